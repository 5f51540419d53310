// Link launching: a double-click on a row beginning with "http" opens it in the browser. The browser is
// called from Timerhttp 20 ms later, outside the list's own mouse handling, and the strips show green
// from the double-click until a second after the call.
#include "mainwin/UfC.h"

#include "core/LinkTarget.h"
#include "mainwin/Colors.h"
#include "mainwin/DocumentListView.h"
#include "platform/Platform.h"

#include <QTimer>

namespace kopix {

namespace {

constexpr int CallDelayMs = 20;
constexpr int ShowingMs = 1000;

} // namespace

void TfC::SetUpLinkLaunch() {
    // The green second is the user's sign that the link went out; keep both waits close to their length.
    Timerhttp->setTimerType(Qt::PreciseTimer);
    connect(LBox, &DocumentListView::listDoubleClicked, this, &TfC::LBoxDblClick);
    connect(Timerhttp, &QTimer::timeout, this, &TfC::TimerhttpTimer);
}

void TfC::LBoxDblClick() {
    // The caret row is the row pressed last: the one just double-clicked.
    const QModelIndex caret = LBox->currentIndex();
    if (!caret.isValid() || caret.row() >= lines().count())
        return;
    const QStringView row = lines().line(caret.row());
    if (!isLinkRow(row))
        return;
    PaintStrips(clGreen);
    Starthttp = false;
    WChr = launchTarget(row);
    // A short wait already running keeps its remaining time; the showing wait is replaced by a fresh
    // short one, so a newer link opens about 20 ms after its double-click.
    if (!(Timerhttp->isActive() && Timerhttp->interval() == CallDelayMs))
        Timerhttp->start(CallDelayMs);
}

void TfC::TimerhttpTimer() {
    Timerhttp->stop();
    Timerhttp->setInterval(0);
    if (!Starthttp) {
        // Anything but a web address (an empty target, "httpfoo", "http_notes.txt") is not handed on:
        // the desktop's opener would open a local file or start a program. The strips keep the same
        // timing either way.
        if (const std::optional<QUrl> url = browsableUrl(WChr)) {
            if (const QString failure = m_platform.openUrl(*url); !failure.isEmpty())
                ReportNotOpened(url->toString(), failure);
        }
        Starthttp = true;
        Timerhttp->start(ShowingMs);
        return;
    }
    // The launch is over: the strips show the copy state again. A selection waiting to be copied is
    // entered again (aqua); idle and copied only get their colour back, so nothing is copied twice and
    // the green never stays behind.
    if (STS == TSTS::SelN)
        SetSTS(TSTS::SelN);
    else
        PaintStrips(stripColour(STS));
}

} // namespace kopix
