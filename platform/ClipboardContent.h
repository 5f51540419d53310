#pragma once

#include <QString>

class QMimeData;

namespace kopix {

// What reading the clipboard found.
struct ClipboardContent {
    enum class Kind {
        Text,   // text, in `text` (possibly only its first part when it is long; see clipPreview)
        NoText, // no text offered: a picture, files, nothing at all
        Secret, // text a password manager marked as secret; `text` stays empty
        Failed, // the clipboard could not be read; `error` says why
    };
    Kind kind = Kind::NoText;
    QString text;
    QString error;

    static ClipboardContent ofText(const QString& text) { return {Kind::Text, text, QString()}; }
    static ClipboardContent noText() { return {Kind::NoText, QString(), QString()}; }
    static ClipboardContent secret() { return {Kind::Secret, QString(), QString()}; }
    static ClipboardContent failed(const QString& error) { return {Kind::Failed, QString(), error}; }
};

// The content of clipboard data held in this process (what Qt gives for our own copies, or on a
// display-less platform). No data at all counts as no text.
ClipboardContent clipboardContentOf(const QMimeData* data);

} // namespace kopix
