#include "platform/Utf8Locale.h"

#include <QByteArray>

#include <clocale>
#include <langinfo.h>

namespace kopix {

namespace {

bool characterSetIsUtf8() {
    const QByteArray set = QByteArray(nl_langinfo(CODESET)).toLower();
    return set == "utf-8" || set == "utf8";
}

} // namespace

void useUtf8CharacterSet() {
    if (characterSetIsUtf8())
        return;
    // The user's language with UTF-8 ("ja_JP.eucJP" becomes "ja_JP.UTF-8"), else a UTF-8 locale every
    // system has.
    QByteArray language(std::setlocale(LC_CTYPE, nullptr));
    language.truncate(language.indexOf('@') >= 0 ? language.indexOf('@') : language.size());
    language.truncate(language.indexOf('.') >= 0 ? language.indexOf('.') : language.size());
    const QByteArray candidates[] = {language.append(".UTF-8"), "C.UTF-8", "C.utf8", "en_US.UTF-8"};
    for (const QByteArray& candidate : candidates) {
        if (std::setlocale(LC_CTYPE, candidate.constData()) && characterSetIsUtf8())
            return;
    }
}

} // namespace kopix
