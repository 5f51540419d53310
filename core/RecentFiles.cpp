#include "core/RecentFiles.h"

#include "core/PathRules.h"

namespace kopix {

void RecentFiles::fillWithoutNotice(QStringList entries) {
    m_entries = std::move(entries);
}

int RecentFiles::indexOf(const QString& path) const {
    // Notes.txt and notes.txt are two files here.
    return int(m_entries.indexOf(path));
}

bool RecentFiles::documentOpened(const QString& path, int found) {
    if (found == 0)
        return false;
    if (found > 0 && found < m_entries.size()) {
        m_entries.move(found, 0);
    } else {
        m_entries.prepend(path);
        while (m_entries.size() > Size)
            m_entries.removeLast();
    }
    changed();
    return true;
}

bool RecentFiles::documentMissing(int found) {
    if (found < 0 || found >= m_entries.size())
        return false;
    m_entries.move(found, m_entries.size() - 1);
    m_entries.last().clear();
    changed();
    return true;
}

void RecentFiles::changed() {
    if (m_onChanged)
        m_onChanged();
}

QStringList relocateRecentFiles(const std::function<QString(int)>& storedEntry, const QString& fDir,
                                const QString& wDirS, const std::function<bool(const QString&)>& fileExists) {
    QStringList entries;
    const bool moved = programFolderMoved(fDir, wDirS);
    for (int k = 0; k < RecentFiles::Size; ++k) {
        const QString stored = storedEntry(k);
        if (stored.isEmpty())
            break;
        if (fileExists(stored)) {
            entries.append(stored);
        } else if (moved) {
            const QString relocated = relocatedPath(stored, fDir, wDirS);
            if (fileExists(relocated))
                entries.append(relocated);
        }
    }
    while (entries.size() < RecentFiles::Size)
        entries.append(QString());
    return entries;
}

QString relocateEditorPath(const QString& stored, const QString& fDir, const QString& wDirS) {
    if (stored.isEmpty() || fDir.isEmpty())
        return QString();
    if (!programFolderMoved(fDir, wDirS))
        return stored;
    return relocatedPath(stored, fDir, wDirS);
}

} // namespace kopix
