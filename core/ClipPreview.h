#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace kopix {

// The status bar shows at most this many UTF-16 code units of the clipboard's text.
inline constexpr qsizetype ClipPreviewLimit = 15;

// The one-line preview of a clipboard text: the text up to the first TAB or CR, at most 15 code units
// (one fewer when the 15th would be the first half of a character outside the basic plane); when that is
// not the whole text, a blank before it and "…" after it. A line feed alone does not end the head
// (other programs' LF-only texts show whole when short).
// Only the first 16 code units and whether there are more matter, so a prefix of at least 16 code units
// of a long text gives the same preview as the whole text.
QString clipPreview(QStringView text);

// Panel texts for clipboard content that is not previewed.
QString clipNotTextLabel(); // no text at all: a picture, files, an emptied clipboard
QString clipSecretLabel();  // text a password manager marked as secret

// What the owner of the clipboard offers, judged from its list of targets (X atom names or MIME types).
struct ClipboardOffer {
    // The owner attached a password-manager hint; its value still decides whether the text is secret.
    bool hasSecretHint = false;
    // The target to ask for the text in, the best one offered; empty when no text is offered.
    QString textTarget;
};
ClipboardOffer examineClipboardTargets(const QStringList& targets);

// The name of the hint target password managers attach to their clipboard text.
QString secretHintTarget();
// Whether a password-manager hint's value marks the text as secret.
bool isSecretHint(const QByteArray& value);

// A clipboard text from its bytes, by the type the owner gave them. STRING is Latin-1, as X defines it;
// every other text type is read as UTF-8, which is what today's programs put there.
QString decodeClipboardText(const QByteArray& bytes, QStringView type);

} // namespace kopix
