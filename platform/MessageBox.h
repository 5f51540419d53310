#pragma once

#include "core/WindowGeometry.h"

#include <QString>

#include <functional>

class QWidget;

namespace kopix {

enum class MsgDlgType { Warning, Error, Information, Confirmation };

enum MsgDlgButton : unsigned { mbOK = 1, mbIgnore = 2, mbHelp = 4, mbYes = 8, mbNo = 16, mbCancel = 32 };
using MsgDlgButtons = unsigned;

// Result codes of a message box: which button closed it.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

QString msgDlgTitle(MsgDlgType type);
inline const QString msgDlgCaptionOk = QStringLiteral("OK");
inline const QString msgDlgCaptionIgnore = QStringLiteral("無視(&I)");
inline const QString msgDlgCaptionHelp = QStringLiteral("ヘルプ(&H)");
inline const QString msgDlgCaptionYes = QStringLiteral("はい(&Y)");
inline const QString msgDlgCaptionNo = QStringLiteral("いいえ(&N)");
inline const QString msgDlgCaptionCancel = QStringLiteral("キャンセル");

// Everything a message box of the main window needs: text, kind, buttons, help context and the place
// worked out over the main window.
struct MessageRequest {
    QString text;
    MsgDlgType type = MsgDlgType::Information;
    MsgDlgButtons buttons = mbOK;
    int helpContext = 0;
    MessageBoxPlace place;
    QWidget* owner = nullptr;
};

// The text of the error box for an error no handler caught: "." is added when the text ends in a
// character above ".".
QString errorBoxText(const QString& text);

} // namespace kopix
