#include "core/StartupNotification.h"

namespace kopix {

QByteArray startupRemoveMessage(const QByteArray& id) {
    // A value with a space, a quote or a backslash in it goes in double quotes, with the last two escaped.
    QByteArray value = id;
    if (id.contains(' ') || id.contains('"') || id.contains('\\')) {
        value = "\"";
        for (const char c : id) {
            if (c == '"' || c == '\\')
                value += '\\';
            value += c;
        }
        value += '"';
    }
    QByteArray message("remove: ID=");
    message.append(value).append('\0');
    return message;
}

} // namespace kopix
