#include "core/ClipPreview.h"

#include <algorithm>

namespace kopix {

QString clipPreview(QStringView text) {
    qsizetype n = qMin(text.size(), ClipPreviewLimit);
    // A character outside the basic plane is two code units; the limit must not cut one in half, which
    // would show as a broken glyph. It then falls wholly outside the head.
    if (n < text.size() && n > 0 && text[n - 1].isHighSurrogate() && text[n].isLowSurrogate())
        --n;
    qsizetype headLength = 0;
    while (headLength < n && text[headLength] != u'\t' && text[headLength] != u'\r')
        ++headLength;
    const QStringView head = text.first(headLength);
    if (text.size() > headLength)
        return u' ' + head.toString() + u'…';
    return head.toString();
}

QString clipNotTextLabel() {
    return QStringLiteral("（対象外）");
}

QString clipSecretLabel() {
    return QStringLiteral("（非表示）");
}

QString secretHintTarget() {
    return QStringLiteral("x-kde-passwordManagerHint");
}

ClipboardOffer examineClipboardTargets(const QStringList& targets) {
    // Best first: the ones that say they are UTF-8, then Latin-1 STRING, then the vaguer ones.
    static const QStringList textTargets{
        QStringLiteral("UTF8_STRING"), QStringLiteral("text/plain;charset=utf-8"),
        QStringLiteral("STRING"),      QStringLiteral("text/plain"),
        QStringLiteral("TEXT"),
    };
    ClipboardOffer offer;
    offer.hasSecretHint = targets.contains(secretHintTarget());
    for (const QString& candidate : textTargets) {
        // MIME types ignore case ("charset=UTF-8"); the owner is asked in the spelling it offered.
        const auto offered = std::find_if(targets.cbegin(), targets.cend(), [&](const QString& target) {
            return target.compare(candidate, Qt::CaseInsensitive) == 0;
        });
        if (offered != targets.cend()) {
            offer.textTarget = *offered;
            break;
        }
    }
    return offer;
}

bool isSecretHint(const QByteArray& value) {
    return value.trimmed() == "secret";
}

QString decodeClipboardText(const QByteArray& bytes, QStringView type) {
    if (type == u"STRING")
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(bytes);
}

} // namespace kopix
