// The end of the session: logging off, the session manager's request to save, a termination signal.
// Nobody is there to answer a question, so nothing may wait for one, and nothing typed may be lost.
#include "mainwin/UfC.h"

#include "core/DocumentSave.h"
#include "core/FileSystem.h"
#include "core/FileWriter.h"
#include "core/PathRules.h"
#include "mainwin/CorrectionEditor.h"
#include "mainwin/DocumentListView.h"
#include "platform/MessageDialog.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>

namespace kopix {

void TfC::CloseForSessionEnd() {
    if (m_sessionEnding)
        return;
    m_sessionEnding = true;
    // A box waiting for an answer returns as cancelled, and whoever opened it gives up; the close comes
    // after, once those event loops have ended.
    CancelModalWindows();
    QTimer::singleShot(0, this, [this] {
        close();
        // Whatever else is open, the program ends.
        QCoreApplication::quit();
    });
}

void TfC::CancelModalWindows() {
    cancelModalWindows();
}

void TfC::CommitSessionData() {
    bool wroteDocument = false;
    if (SaveCorrectionsUnasked(&wroteDocument) && wroteDocument) {
        // As after any save: the list shows the file as written. The editor keeps its place, should the
        // logout be cancelled.
        const bool editing = PageControl1->currentWidget() == TabNote;
        const CorrectionEditor::ViewPlace place = Memo1->viewPlace();
        ShowSavedDocument(editing ? place.firstLine : LBox->topRow());
        if (editing)
            correctionEditor()->restoreViewPlace(place);
    }
    SaveSettings();
}

void TfC::SaveForLostDisplay() {
    // Nothing on the screen can be touched any more; writing files needs none of it.
    m_sessionEnding = true;
    SaveCorrectionsUnasked();
    SaveSettings();
}

bool TfC::SaveCorrectionsUnasked(bool* wroteDocument) {
    if (wroteDocument)
        *wroteDocument = false;
    if (!correctionsPending())
        return true;
    if (fileExists(m_displayedPath) && SaveCorrections(Asking::Nobody)) {
        if (wroteDocument)
            *wroteDocument = true;
        return true;
    }
    if (!KeepRecoveryCopy(correctionEditor()->text()).isEmpty())
        return true;
    // Nobody is there to tell but whoever reads the program's output, and the exit status.
    m_correctionsLost = true;
    qWarning().noquote() << QStringLiteral("訂正はどこにも保存できませんでした。");
    return false;
}

QString TfC::KeepRecoveryCopy(const QString& text) {
    // Saved once already (the session manager asked before the close): the copy is there.
    if (!m_recoveredText.isNull() && text == m_recoveredText)
        return m_recoveredPath;
    const QDateTime now = QDateTime::currentDateTime();
    // Beside the document, where its owner looks first; where that cannot be written (read-only, full, or
    // gone: a folder taken away with its drive is not made again), in the program's data folder.
    const QString beside = folderPart(m_displayedPath);
    const QString dataFolder = spareCopyFolder();
    for (const QString& folder : {beside, dataFolder}) {
        if (folder.isEmpty() || (folder == beside ? !folderExists(folder) : !makeFolderPath(folder)))
            continue;
        const QString path = recoveryCopyPath(folder, m_displayedPath, now);
        QString reason;
        if (writeFileSafely(path, text.toUtf8(), &reason)) {
            m_recoveredText = text;
            m_recoveredPath = path;
            qWarning().noquote() << QStringLiteral("訂正は %1 に残しました。").arg(path);
            return path;
        }
        qWarning().noquote() << QStringLiteral("%1 に書き込めません: %2").arg(path, reason);
    }
    return QString();
}

} // namespace kopix
