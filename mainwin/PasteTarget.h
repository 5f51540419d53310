#pragma once

#include "core/AppSettings.h"

#include <QKeyCombination>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace kopix {

class Platform;
class StatusPanel;

// The window the user came from, for the two ways Kopix works from the keyboard with other programs: after
// a copy the phrase is pasted into that window (when the user asked for it), and the global key brings
// Kopix to the front and, pressed again, goes back there. Whenever the window is gone or does not come to
// the front, nothing is typed anywhere; the status bar says so, and the text is on the clipboard anyway.
class PasteTarget : public QObject {
    Q_OBJECT
public:
    // warn shows a message box over the window.
    PasteTarget(Platform& platform, QWidget& window, StatusPanel& notes,
                std::function<void(const QString&)> warn, QObject* parent = nullptr);

    // Takes new settings: follows the active window when either is on, takes the global key. The global
    // key's problems (no usable key, taken by another program) are told in one message.
    void apply(const KopixSettings& settings);
    // Pastes into the window the user came from after a copy, when the settings say so.
    void afterCopy();

    // A global key as the settings write it ("Ctrl+Alt+K"), when it is one: a single key with Ctrl, Alt or
    // the Windows key, or a function key, so that it never takes a key typing needs.
    static std::optional<QKeyCombination> globalKeyOf(const QString& text);
    // Why a text is no global key, for the user ("" when it is one): the reason alone, and as the sentence
    // of a message.
    static QString globalKeyReason(const QString& text);
    static QString globalKeyProblem(const QString& text);
    // Why the settings page cannot take a key as the global key, in a line ("" when it can): a key typing
    // or editing needs, or one another program holds.
    QString globalKeyRefusal(QKeyCombination key);

private:
    void globalKeyPressed();
    // Follows the active window from now on; false (and the user told once) when the desktop cannot say.
    bool follow();

    Platform& m_platform;
    QWidget& m_window;
    StatusPanel& m_notes;
    std::function<void(const QString&)> m_warn;
    bool m_pasteInto = false;
    QKeyCombination m_pasteKey;
    QString m_globalKey;     // as set ("" none)
    bool m_keyTaken = false; // the global key is grabbed
    bool m_following = false;
    bool m_followFailed = false;
};

} // namespace kopix
