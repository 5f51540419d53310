#include "mainwin/LinkLauncher.h"

#include "core/LineStore.h"
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

LinkLauncher::LinkLauncher(DocumentListView& list, Platform& platform, Window window, QObject* parent)
    : QObject(parent), m_list(list), m_platform(platform), m_window(std::move(window)),
      Timerhttp(new QTimer(this)) {
    Timerhttp->setObjectName(QStringLiteral("Timerhttp"));
    // The green second is the user's sign that the link went out; keep both waits close to their length.
    Timerhttp->setTimerType(Qt::PreciseTimer);
}

void LinkLauncher::SetUpLinkLaunch() {
    connect(&m_list, &DocumentListView::listDoubleClicked, this, &LinkLauncher::LBoxDblClick);
    connect(Timerhttp, &QTimer::timeout, this, &LinkLauncher::TimerhttpTimer);
}

bool LinkLauncher::isLaunching() const {
    return Timerhttp->isActive();
}

void LinkLauncher::LBoxDblClick() {
    // The caret row is the row pressed last: the one just double-clicked.
    const QModelIndex caret = m_list.currentIndex();
    const LineStore& lines = m_window.lines();
    if (!caret.isValid() || caret.row() >= lines.count())
        return;
    const QStringView row = lines.line(caret.row());
    if (!isLinkRow(row))
        return;
    m_window.paintStrips(clGreen);
    Starthttp = false;
    WChr = launchTarget(row);
    // A short wait already running keeps its remaining time; the showing wait is replaced by a fresh
    // short one, so a newer link opens about 20 ms after its double-click.
    if (!(Timerhttp->isActive() && Timerhttp->interval() == CallDelayMs))
        Timerhttp->start(CallDelayMs);
}

void LinkLauncher::TimerhttpTimer() {
    Timerhttp->stop();
    Timerhttp->setInterval(0);
    if (!Starthttp) {
        // Anything but a web address (an empty target, "httpfoo", "http_notes.txt") is not handed on:
        // the desktop's opener would open a local file or start a program. The strips keep the same
        // timing either way.
        if (const std::optional<QUrl> url = browsableUrl(WChr)) {
            if (const QString failure = m_platform.openUrl(*url); !failure.isEmpty())
                m_window.reportNotOpened(url->toString(), failure);
        }
        Starthttp = true;
        Timerhttp->start(ShowingMs);
        return;
    }
    m_window.launchEnded();
}

} // namespace kopix
