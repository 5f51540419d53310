// Reading the settings file at start-up and writing it at exit.
#include "mainwin/UfC.h"

#include "core/FileSystem.h"
#include "core/ProfileFile.h"
#include "core/WindowGeometry.h"
#include "mainwin/DocumentListView.h"
#include "mainwin/LineListModel.h"
#include "mainwin/PasteTarget.h"
#include "platform/Platform.h"

#include <QDebug>
#include <QSignalBlocker>

namespace kopix {

void TfC::ReadSettingsFile() {
    const ProfileFile ini = ProfileFile::load(settingsFilePath());
    // Sizes in the settings file are outer sizes; the frame is asked for before the window is shown.
    m_frame = m_platform.frameExtents(this);
    const QSize frameExtra(m_frame.left() + m_frame.right(), m_frame.top() + m_frame.bottom());

    StartupDefaults defaults;
    defaults.outerWidth = width() + frameExtra.width();
    defaults.outerHeight = height() + frameExtra.height();
    defaults.minimumWidth = minimumWidth() + frameExtra.width();
    defaults.minimumHeight = minimumHeight() + frameExtra.height();
    defaults.fontSize = 11;
    defaults.fontStyle = 0;
    defaults.fontColor = clWindowText;
    const StoredSettings s =
        readSettings(ini, defaults, wDirS, fileExists, m_place.portable, &m_kopixRejected);
    m_firstRun = isFirstRun(ini);

    // Size and position, pulled into the work area of the nearest screen before the window takes them:
    // a hand-edited position may lie anywhere in the 32-bit range.
    const WindowRect wanted(s.left, s.top, s.width, s.height);
    rcTV = m_platform.workAreaNear(wanted.bounded());
    placeOuterRect(fitToWorkArea(wanted, rcTV));

    TopI = s.topIndex;

    ApplyListFont(s.listFontSize);

    m_usedFL.fillWithoutNotice(s.recentFiles);
    // Held before anything follows it: the paste target takes the [Kopix] options once the window shows.
    const QSignalBlocker quiet(m_settings);
    m_settings.set(s);
}

void TfC::SettingsChanged(const Settings& before) {
    const Settings& now = m_settings.value();
    if (now.listFontSize != before.listFontSize)
        ApplyListFont(now.listFontSize);
    if (now.rules != before.rules)
        LBox->viewport()->update();
    if (now.kopix != before.kopix)
        ApplyKopixOptions();
}

void TfC::ApplyKopixOptions() {
    // The global key belongs to the Kopix that writes the settings: a copy beside it takes none, or it
    // would be told that another program holds the key.
    KopixSettings applied = settings().kopix;
    if (m_independentCopy)
        applied.globalKey.clear();
    m_pasteTarget->apply(applied);
    // A global key that can never be one (written by hand into the settings file) was named just now; it is
    // not kept, or the same message would come back at every start. The paste target holds no key already.
    if (!PasteTarget::globalKeyReason(settings().kopix.globalKey).isEmpty()) {
        Settings kept = settings();
        kept.kopix.globalKey.clear();
        const QSignalBlocker quiet(m_settings);
        m_settings.set(kept);
    }
}

void TfC::WriteSettingsFile() {
    const QString path = settingsFilePath();
    ProfileFile ini = ProfileFile::load(path);

    StoredSettings s{settings(), wDirS, m_usedFL.entries()};
    const QRect normal = m_rectAtClose ? *m_rectAtClose : m_platform.normalRectangle(this);
    s.width = m_shrunk ? FukugenWidth : normal.width();
    s.height = m_shrunk ? FukugenHeight : normal.height();
    s.left = normal.left();
    s.top = normal.top();
    s.topIndex = LBox->topRow();
    writeSettings(ini, s);

    QString reason;
    if (!ini.save(path, &reason))
        SettingsNotWritten(reason);
}

void TfC::SettingsNotWritten(const QString& reason) {
    // The reason goes on a line of its own: a folder that is read-only asks for something else than a
    // settings file that is a pipe or was not written by Kopix.
    QString text = errorBoxText(QStringLiteral("%1 に書き込めません").arg(settingsFilePath()));
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason;
    // At a logout nobody would close the box, and the program would never end.
    if (m_sessionEnding)
        qWarning().noquote() << text;
    else
        m_platform.showErrorBox(this, m_applicationTitle, text);
}

} // namespace kopix
