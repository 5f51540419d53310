#include "mainwin/Icons.h"

#include <QStringList>

// Outside any namespace, as Qt's resource macro wants it.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace kopix {

namespace {

struct ImageSource {
    Image image;
    QStringList themeNames; // freedesktop names, best first
    const char* ownFile;    // in the program's resources
};

const ImageSource& sourceOf(Image image) {
    static const ImageSource sources[] = {
        {Image::Menu, {QStringLiteral("open-menu")}, "menu.svg"},
        {Image::Open, {QStringLiteral("document-open")}, "open.svg"},
        {Image::RecentFiles, {QStringLiteral("document-open-recent")}, "recent.svg"},
        {Image::Bookmarks, {QStringLiteral("user-bookmarks"), QStringLiteral("bookmarks")}, "bookmarks.svg"},
        {Image::Editor,
         {QStringLiteral("accessories-text-editor"), QStringLiteral("document-edit")},
         "editor.svg"},
        {Image::Refresh, {QStringLiteral("view-refresh")}, "refresh.svg"},
        {Image::Help, {QStringLiteral("help-contents"), QStringLiteral("help-browser")}, "help.svg"},
        {Image::Shrink, {QStringLiteral("view-restore")}, "shrink.svg"},
        {Image::Revert, {QStringLiteral("document-revert")}, "revert.svg"},
        {Image::Undo, {QStringLiteral("edit-undo")}, "undo.svg"},
        {Image::Cut, {QStringLiteral("edit-cut")}, "cut.svg"},
        {Image::Copy, {QStringLiteral("edit-copy")}, "copy.svg"},
        {Image::Paste, {QStringLiteral("edit-paste")}, "paste.svg"},
        {Image::Delete, {QStringLiteral("edit-delete")}, "delete.svg"},
    };
    for (const ImageSource& source : sources)
        if (source.image == image)
            return source;
    return sources[0];
}

} // namespace

QIcon imageIcon(Image image) {
    // The resources live in a static library; this keeps them in the program.
    static const bool resourcesLoaded = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(resourcesLoaded);
    const ImageSource& source = sourceOf(image);
    for (const QString& name : source.themeNames) {
        for (const QString& candidate : {name, QString(name + QStringLiteral("-symbolic"))}) {
            if (QIcon::hasThemeIcon(candidate))
                return QIcon::fromTheme(candidate);
        }
    }
    return QIcon(QStringLiteral(":/kopix/icons/") + QLatin1String(source.ownFile));
}

} // namespace kopix
