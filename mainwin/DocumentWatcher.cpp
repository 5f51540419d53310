#include "mainwin/DocumentWatcher.h"

#include "core/FileSystem.h"
#include "core/PathBytes.h"
#include "core/PathRules.h"

#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kopix {

using std::chrono::milliseconds;

namespace {

// Everything that can happen to a file, or to the entries of a folder.
constexpr uint32_t WatchedEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

// Links within links within links: a loop ends here.
constexpr int MostLinks = 8;

struct Place {
    QString path;
    QStringList names; // none: the place itself
};

// The places a path depends on: the file itself where there is one, the entry of its name in its folder
// (while the folder is missing, the entry of the missing folder in the nearest folder above it that is
// there), and the same for the target of a link.
void addPlacesOf(const QString& path, std::vector<Place>& places, int links = 0) {
    if (pathExists(path))
        places.push_back({path, {}});
    QString child = path;
    for (QString folder = folderPart(path); !folder.isEmpty(); child = folder, folder = folderPart(folder)) {
        if (folderExists(folder)) {
            places.push_back({folder, {fileNamePart(child)}});
            break;
        }
        if (folder == u"/")
            break;
    }
    if (links < MostLinks && isSymbolicLink(path)) {
        if (const QString target = symbolicLinkTarget(path); !target.isEmpty())
            addPlacesOf(target, places, links + 1);
    }
}

bool identify(const QString& path, quint64* device, quint64* inode) {
    struct stat info {};
    if (::stat(pathBytes(path).constData(), &info) != 0)
        return false;
    *device = quint64(info.st_dev);
    *inode = quint64(info.st_ino);
    return true;
}

} // namespace

DocumentWatcher::DocumentWatcher(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &DocumentWatcher::report);
    // Without inotify (the system's limit reached) F4 still reads the file again.
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0) {
        m_events = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
        connect(m_events, &QSocketNotifier::activated, this, &DocumentWatcher::readEvents);
    }
}

DocumentWatcher::~DocumentWatcher() {
    if (m_events)
        m_events->setEnabled(false);
    if (m_inotify >= 0)
        ::close(m_inotify);
}

void DocumentWatcher::watch(const QString& path) {
    if (path != m_path) {
        m_path = path;
        m_timer->stop();
        m_sinceFirstChange.invalidate();
    }
    watchAgain();
}

void DocumentWatcher::watchAgain() {
    if (m_inotify < 0)
        return;
    std::vector<Place> places;
    if (!m_path.isEmpty())
        addPlacesOf(m_path, places);
    // Which file or folder each place is now; a place with nothing there is watched from the one above it.
    std::vector<std::pair<quint64, quint64>> identities(places.size());
    for (size_t i = 0; i < places.size(); ++i) {
        if (!identify(places[i].path, &identities[i].first, &identities[i].second))
            identities[i] = {0, 0};
    }
    const auto identityOf = [&](const QString& path) {
        for (size_t i = 0; i < places.size(); ++i) {
            if (places[i].path == path)
                return identities[i];
        }
        return std::pair<quint64, quint64>{0, 0};
    };
    // What is watched stays as long as it is wanted and still the same file or folder at its path.
    for (auto it = m_watched.begin(); it != m_watched.end();) {
        Watched& watched = it->second;
        const auto [device, inode] = identityOf(watched.path);
        if (inode != 0 && device == watched.device && inode == watched.inode) {
            watched.names.clear();
            watched.everything = false;
            ++it;
            continue;
        }
        ::inotify_rm_watch(m_inotify, it->first);
        it = m_watched.erase(it);
    }
    for (size_t i = 0; i < places.size(); ++i) {
        const auto [device, inode] = identities[i];
        if (inode == 0)
            continue;
        const int descriptor =
            ::inotify_add_watch(m_inotify, pathBytes(places[i].path).constData(), WatchedEvents);
        if (descriptor < 0)
            continue;
        // One file or folder reached by two paths (a link and its target) is one watch.
        Watched& watched =
            m_watched.try_emplace(descriptor, Watched{places[i].path, device, inode, false, {}})
                .first->second;
        if (places[i].names.isEmpty())
            watched.everything = true;
        watched.names += places[i].names;
    }
}

void DocumentWatcher::readEvents() {
    alignas(inotify_event) char buffer[16 * 1024];
    bool matters = false;
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                matters = true;
                continue;
            }
            const auto watched = m_watched.find(event->wd);
            if (watched == m_watched.end())
                continue;
            if (event->mask & IN_IGNORED) {
                // The kernel gave the watch up (the file or folder went): watched again below.
                m_watched.erase(watched);
                matters = true;
                continue;
            }
            const bool named = event->len > 0 && event->name[0] != '\0';
            matters = matters || !named || watched->second.everything ||
                      watched->second.names.contains(pathFromBytes(event->name));
        }
    }
    if (!matters)
        return;
    watchAgain();
    noticeChange();
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
    watchAgain();
    Q_EMIT changed();
    // Counted from the end of the report, so a file that keeps changing leaves time between two reads.
    m_sinceReport.start();
}

} // namespace kopix
