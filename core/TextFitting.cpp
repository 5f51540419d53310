#include "core/TextFitting.h"

#include <deque>

namespace kopix {

namespace {

// A path's folder part as the cutting sees it: a leading "/", the "..." an earlier cut left, and the
// folders still there, each with its "/".
struct FolderPart {
    bool rooted = false;
    bool cut = false;
    std::deque<QString> folders;

    bool isEmpty() const { return !rooted && !cut && folders.empty(); }
    QString text() const {
        QString result = rooted ? QStringLiteral("/") : QString();
        if (cut)
            result += QStringLiteral(".../");
        for (const QString& folder : folders)
            result += folder;
        return result;
    }
    // One step of shortening: the next folder goes, then the "/" before the "...", then the "..." itself.
    void shorten() {
        if (!folders.empty()) {
            folders.pop_front();
            cut = true;
        } else if (rooted) {
            rooted = false;
        } else {
            cut = false;
        }
    }
};

FolderPart folderPartOf(QStringView folder) {
    FolderPart part;
    if (folder.startsWith(u'/')) {
        part.rooted = true;
        folder = folder.sliced(1);
    }
    // Every folder ends with its "/"; a second "/" at the start (//server/share) is a folder of its own.
    while (!folder.isEmpty()) {
        const qsizetype slash = folder.indexOf(u'/');
        part.folders.push_back(folder.first(slash + 1).toString());
        folder = folder.sliced(slash + 1);
    }
    return part;
}

} // namespace

QString ShortenPath(QStringView path, const TextWidth& width, int maxWidth) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const QStringView name = path.sliced(slash + 1);
    FolderPart folder = folderPartOf(path.first(slash + 1));
    QString result = path.toString();
    while (!folder.isEmpty() && width(result) > maxWidth) {
        folder.shorten();
        result = folder.text() + name;
    }
    return result;
}

QString EllipsisText(QStringView text, const TextWidth& width, int maxWidth) {
    const qsizetype longest = std::max<qsizetype>(0, qsizetype(maxWidth) * FittingUnitsPerPixel);
    if (text.size() <= longest && width(text) <= maxWidth)
        return text.toString();
    // The widths of a text's beginnings grow with their length: the longest that fits with "..." is found
    // by halving.
    const auto candidate = [&text](qsizetype length) {
        return QString(text.first(length) + QStringLiteral("..."));
    };
    qsizetype fits = 0;
    qsizetype tooLong = std::min(text.size(), longest) + 1;
    while (tooLong - fits > 1) {
        const qsizetype middle = fits + (tooLong - fits) / 2;
        if (width(candidate(middle)) <= maxWidth)
            fits = middle;
        else
            tooLong = middle;
    }
    if (fits > 0 && text[fits - 1].isHighSurrogate() && fits < text.size() && text[fits].isLowSurrogate())
        --fits;
    return candidate(fits);
}

QString singleLineText(QStringView text) {
    QString result = text.toString();
    for (QChar& ch : result) {
        switch (ch.unicode()) {
        case u'\t':
        case u'\n':
        case u'\r':
        case u'\v':
        case u'\f':
        case 0x0085: // next line
        case 0x2028: // line separator
        case 0x2029: // paragraph separator
            ch = u' ';
            break;
        default:
            break;
        }
    }
    return result;
}

QString menuItemText(QStringView text) {
    return singleLineText(text).replace(u'&', QStringLiteral("&&"));
}

} // namespace kopix
