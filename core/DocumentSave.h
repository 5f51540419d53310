#pragma once

#include "core/FileSystem.h"
#include "core/TextCodec.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

namespace kopix {

// What writing corrections over a document would give, worked out before anything is written.
struct CorrectionSave {
    // The file's new bytes (empty when a character cannot be written, see below).
    QByteArray bytes;
    // Index in the text of the first character the encoding has no code for; -1 when there is none.
    qsizetype unrepresentable = -1;
    // Characters that could not be read (bytes that did not decode) would not be written back as they
    // were but replaced: the user should be asked first.
    bool losesUnreadable = false;
    // What follows the file's first NUL, never shown, would be deleted (the row holding the NUL was
    // changed or deleted, or lines were added after it, or the file goes over to another encoding): the
    // user should be asked first.
    bool dropsHiddenTail = false;
    // Reading the bytes back gives exactly the text, cleanly and in the same encoding, so the list can take
    // the text instead of reading the file again: a Unicode encoding, no byte kept that did not decode, no
    // NUL (nor what follows one), no half surrogate pair, and no signature the text itself would make.
    bool readsBackAsText = false;
};

// The bytes for the editor's text (lines separated by CR LF, as the editor holds them) in `writeAs`,
// signature included. `original` is the file as it is on disk (when it can be read), in `readAs`, the
// encoding it was read in. When the two are the same, every line the user left as it was keeps its exact
// bytes, so nothing changes that the user did not change: not a character with several codes in the
// legacy page, not bytes that did not decode. Lines with new text are encoded, and so is a line the user
// added a second time. What follows a NUL (the bytes from the NUL on) is written back as it was, right
// after the row holding the NUL, while that row is the text's last line as loaded. `decodedCleanly` stands
// for the original when it cannot be read: false gives losesUnreadable, as nothing tells a NUL from a
// character that did not decode then.
CorrectionSave planCorrectionSave(QStringView text, TextEncoding writeAs,
                                  const std::optional<QByteArray>& original, TextEncoding readAs,
                                  bool decodedCleanly,
                                  const LegacyCodePage& legacy = LegacyCodePage::system());

// The same bytes, worked out without the file, where they can be: the file on disk is the one loaded, in a
// Unicode encoding, and it decoded cleanly to its end. Every line of such a file has exactly the bytes its
// text encodes to, so keeping the bytes of the lines left alone is encoding the whole text. Nothing when
// the file must be read and matched line by line (planCorrectionSave).
// textAsUtf8, where the caller has it (the editor holds the text so), spares encoding the text again.
std::optional<CorrectionSave>
planPlainCorrectionSave(QStringView text, TextEncoding encoding, bool loadedCleanly,
                        std::optional<QByteArrayView> textAsUtf8 = std::nullopt);

// Where corrections go that could not be written to their document without asking (the session ended):
// a new file in `folder`, named after the document and the time, "phrases (訂正 2026-12-09 17.20.05).txt",
// with " 2", " 3" … added while a file of that name exists. Nothing that exists is ever named.
QString recoveryCopyPath(const QString& folder, const QString& documentPath, const QDateTime& when);

} // namespace kopix
