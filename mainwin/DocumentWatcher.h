#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <map>

class QSocketNotifier;
class QTimer;

namespace kopix {

// Follows the document on disk. Whatever happens to the file at its path (rewritten in place, replaced by
// a rename as most editors and sync tools save, deleted, made again) is reported once it has settled:
// SettleTime without a further change. A file that never settles, such as a log being written, is
// reported at most once every MinimumInterval. The window decides what a report means, by comparing the
// file with what it read.
//
// It is the path the user opened that is followed, not the file or folder that happened to be there: a
// folder moved away and made again, or the target of a link deleted and written anew, is followed again
// as soon as it is there. The path's bytes are kept (PathBytes.h), so a name that is not UTF-8 is
// followed too.
class DocumentWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds SettleTime{200};
    static constexpr std::chrono::milliseconds MinimumInterval{1000};

    explicit DocumentWatcher(QObject* parent = nullptr);
    ~DocumentWatcher() override;
    // Follows the file at path from now on ("" for none).
    void watch(const QString& path);

Q_SIGNALS:
    void changed();

private:
    // A place watched: a folder for the entries of some of its names, or the file itself.
    struct Watched {
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
        bool everything = false; // the file itself: every event matters
        QStringList names;       // else the entries of the folder that matter
    };
    // Watches what the path depends on, as things stand now: the file, its folder (or, while that is
    // missing, the nearest folder above it that is there), and the same for each link the path leads
    // through. What no longer matters, or is no longer what is there, is given up.
    void watchAgain();
    void readEvents();
    void noticeChange();
    void report();

    int m_inotify = -1;
    QSocketNotifier* m_events = nullptr;
    std::map<int, Watched> m_watched; // by watch descriptor
    QTimer* m_timer;
    QString m_path;
    QElapsedTimer m_sinceFirstChange; // running while a change waits to be reported
    QElapsedTimer m_sinceReport;
    bool m_reporting = false;
};

} // namespace kopix
