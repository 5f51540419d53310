#include "mainwin/Icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QStringList>

#include <optional>
#include <utility>

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

// An icon read from its file when it is first drawn or measured: reading an SVG parses it, and most of the
// program's pictures sit in menus that a session may never open.
class FileIconOnFirstUse : public QIconEngine {
public:
    explicit FileIconOnFirstUse(QString path) : m_path(std::move(path)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    // The program's own pictures are always there; asking must not read them.
    bool isNull() override { return m_path.isEmpty(); }
    QString key() const override { return QStringLiteral("FileIconOnFirstUse"); }
    QIconEngine* clone() const override { return new FileIconOnFirstUse(m_path); }

private:
    const QIcon& icon() {
        if (!m_icon)
            m_icon = QIcon(m_path);
        return *m_icon;
    }

    QString m_path;
    std::optional<QIcon> m_icon;
};

} // namespace

QIcon iconFromFile(const QString& path) {
    // The resources live in a static library; this keeps them in the program.
    static const bool resourcesLoaded = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(resourcesLoaded);
    return QIcon(new FileIconOnFirstUse(path));
}

QIcon imageIcon(Image image) {
    const ImageSource& source = sourceOf(image);
    for (const QString& name : source.themeNames) {
        for (const QString& candidate : {name, QString(name + QStringLiteral("-symbolic"))}) {
            if (QIcon::hasThemeIcon(candidate))
                return QIcon::fromTheme(candidate);
        }
    }
    return iconFromFile(QStringLiteral(":/kopix/icons/") + QLatin1String(source.ownFile));
}

} // namespace kopix
