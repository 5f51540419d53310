#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>

class QFileSystemWatcher;
class QTimer;

namespace kopix {

// Follows the document on disk. Whatever happens to the file at its path (rewritten in place, replaced by
// a rename as most editors and sync tools save, deleted, made again) is reported once it has settled:
// SettleTime without a further change. A file that never settles, such as a log being written, is
// reported at most once every MinimumInterval. The window decides what a report means, by comparing the
// file with what it read.
class DocumentWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds SettleTime{200};
    static constexpr std::chrono::milliseconds MinimumInterval{1000};

    explicit DocumentWatcher(QObject* parent = nullptr);
    // Follows the file at path from now on ("" for none).
    void watch(const QString& path);

Q_SIGNALS:
    void changed();

private:
    void noticeChange();
    void report();
    // A file replaced or deleted leaves the watch: its path is watched again as soon as a file is there.
    void watchFileAgain();

    QFileSystemWatcher* m_watcher;
    QTimer* m_timer;
    QString m_path;
    QElapsedTimer m_sinceFirstChange; // running while a change waits to be reported
    QElapsedTimer m_sinceReport;
    bool m_reporting = false;
};

} // namespace kopix
