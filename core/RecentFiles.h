#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kopix {

// The recent-files list: exactly ten paths once filled, entry 0 the document on display, empty strings in
// the free slots at the end. Every change calls the change notification.
class RecentFiles {
public:
    static constexpr int Size = 10;

    const QStringList& entries() const { return m_entries; }
    QString entry(int index) const {
        return index >= 0 && index < m_entries.size() ? m_entries[index] : QString();
    }
    qsizetype size() const { return m_entries.size(); }

    // Filling at start-up: notifies nobody.
    void fillWithoutNotice(QStringList entries);
    void setOnChanged(std::function<void()> onChanged) { m_onChanged = std::move(onChanged); }

    // The first entry equal to path (letter case counts: these are Linux paths); -1 when there is none.
    int indexOf(const QString& path) const;

    // A document at path was read; `found` is indexOf(path) taken before the file was read.
    // Not in the list: inserted at 0, the last entry drops out. At 1-9: moved to 0, keeping its own
    // spelling. At 0: nothing changes. Returns whether the list changed.
    bool documentOpened(const QString& path, int found);
    // The file of entry `found` does not exist: the entry moves to the last slot and is emptied.
    bool documentMissing(int found);

private:
    void changed();

    QStringList m_entries;
    std::function<void()> m_onChanged;
};

// Reads the stored recent files F0, F1, ... in order: an empty key ends the list; a path that no longer
// exists is tried once more with the old program folder swapped for the new one; what exists neither way
// is dropped. The result is padded to ten entries.
QStringList relocateRecentFiles(const std::function<QString(int)>& storedEntry, const QString& fDir,
                                const QString& wDirS, const std::function<bool(const QString&)>& fileExists);

// The stored editor path, taken only when the folder of the last writer is known, and moved with the
// program folder like the recent files (no existence test).
QString relocateEditorPath(const QString& stored, const QString& fDir, const QString& wDirS);

} // namespace kopix
