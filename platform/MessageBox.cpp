#include "platform/MessageBox.h"

namespace kopix {

QString msgDlgTitle(MsgDlgType type) {
    switch (type) {
    case MsgDlgType::Warning:
        return QStringLiteral("警告");
    case MsgDlgType::Error:
        return QStringLiteral("エラー");
    case MsgDlgType::Information:
        return QStringLiteral("情報");
    case MsgDlgType::Confirmation:
        return QStringLiteral("確認");
    }
    return QString();
}

QString errorBoxText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

} // namespace kopix
