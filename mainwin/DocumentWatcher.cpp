#include "mainwin/DocumentWatcher.h"

#include "core/FileSystem.h"
#include "core/PathRules.h"

#include <QFileSystemWatcher>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace kopix {

using std::chrono::milliseconds;

DocumentWatcher::DocumentWatcher(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &DocumentWatcher::report);
    // The folder tells of a file made, deleted or renamed at the path; the file itself of writes.
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &DocumentWatcher::noticeChange);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &DocumentWatcher::noticeChange);
}

void DocumentWatcher::watch(const QString& path) {
    if (path != m_path) {
        if (!m_watcher->files().isEmpty())
            m_watcher->removePaths(m_watcher->files());
        const QString folder = folderPart(path);
        if (!m_watcher->directories().isEmpty() && m_watcher->directories() != QStringList{folder})
            m_watcher->removePaths(m_watcher->directories());
        m_path = path;
        m_timer->stop();
        m_sinceFirstChange.invalidate();
        // Without a watch (the system's limit reached, a folder that cannot be read) F4 still reads the
        // file again.
        if (!folder.isEmpty() && m_watcher->directories().isEmpty() && folderExists(folder))
            m_watcher->addPath(folder);
    }
    watchFileAgain();
}

void DocumentWatcher::watchFileAgain() {
    if (!m_path.isEmpty() && !m_watcher->files().contains(m_path) && fileExists(m_path))
        m_watcher->addPath(m_path);
}

void DocumentWatcher::noticeChange() {
    if (m_path.isEmpty())
        return;
    if (!m_sinceFirstChange.isValid())
        m_sinceFirstChange.start();
    // Once the changes have settled, but no later than an interval after the first of them, and never
    // sooner than an interval after the last report.
    milliseconds due = std::min(SettleTime, MinimumInterval - milliseconds(m_sinceFirstChange.elapsed()));
    if (m_sinceReport.isValid())
        due = std::max(due, MinimumInterval - milliseconds(m_sinceReport.elapsed()));
    m_timer->start(std::max(due, milliseconds(0)));
}

void DocumentWatcher::report() {
    // A report may open a message box, whose event loop may bring the next one: that one waits.
    if (m_reporting) {
        m_timer->start(SettleTime);
        return;
    }
    const QScopedValueRollback reporting(m_reporting, true);
    m_sinceFirstChange.invalidate();
    watchFileAgain();
    Q_EMIT changed();
    // Counted from the end of the report, so a file that keeps changing leaves time between two reads.
    m_sinceReport.start();
}

} // namespace kopix
