// Kopix started again with the same settings file: the running window takes the request.
#include "mainwin/UfC.h"

#include "core/PathRules.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QTimer>

namespace kopix {

void TfC::OpenFromAnotherStart(const QString& document) {
    m_platform.bringToFront(this);
    if (document.isEmpty())
        return;
    if (!hasTxtExtension(document)) {
        OpenRequested(document);
        return;
    }
    if (!QApplication::activeModalWidget()) {
        FileOpenAccept(document);
        return;
    }
    // A question or a dialog is open: it is answered first, as it would be before Ctrl+O.
    auto* wait = new QTimer(this);
    connect(wait, &QTimer::timeout, this, [this, wait, document] {
        if (QApplication::activeModalWidget())
            return;
        wait->stop();
        wait->deleteLater();
        if (!m_sessionEnding && isVisible())
            FileOpenAccept(document);
    });
    wait->start(250);
}

void TfC::setIndependentCopy() {
    m_independentCopy = true;
    // Both read the same place from the settings file, and the running one, on top too, would hide this
    // one exactly: it goes a title bar's height down and right, as desktops cascade windows (up and left
    // where the work area ends).
    const int titleBar = frameMargins().top();
    const int step = titleBar > 0 ? titleBar : 24;
    const QRect outer = outerRectNow();
    QRect moved = fitToWorkArea(outer.translated(step, step), rcTV);
    if (moved.topLeft() == outer.topLeft())
        moved = fitToWorkArea(outer.translated(-step, -step), rcTV);
    placeOuterRect(moved);
    SetDocCaption(windowTitle() == QLatin1String("Kopix") ? QString()
                                                          : fileNamePart(displayedDocumentPath()));
}

} // namespace kopix
