#include "mainwin/Icons.h"

#include "core/Contrast.h"

#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QStringList>

#include <algorithm>
#include <functional>
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

// An icon made when it is first drawn or measured: reading an SVG parses it, looking a name up in an icon
// theme reads the theme's index, and most of the program's pictures sit in menus that a session may never
// open.
class IconOnFirstUse : public QIconEngine {
public:
    explicit IconOnFirstUse(std::function<QIcon()> make) : m_make(std::move(make)) {}

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
    // There is always a picture: the program's own ones are always there, and asking must not make it.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("IconOnFirstUse"); }
    QIconEngine* clone() const override { return new IconOnFirstUse(m_make); }

private:
    const QIcon& icon() {
        if (!m_icon)
            m_icon = m_make();
        return *m_icon;
    }

    std::function<QIcon()> m_make;
    std::optional<QIcon> m_icon;
};

// Kopix's own pictures are drawn in dark grey ink on light tool bars. Under a dark desktop theme the ink
// takes the theme's text colour, or the pictures would all but vanish; their coloured parts stay.
class InkFollowsPalette : public QIconEngine {
public:
    explicit InkFollowsPalette(QIcon drawn) : m_drawn(std::move(drawn)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return inked(m_drawn.pixmap(size, mode, state));
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return inked(m_drawn.pixmap(size, scale, mode, state));
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return m_drawn.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return m_drawn.availableSizes(mode, state);
    }
    bool isNull() override { return m_drawn.isNull(); }
    QString key() const override { return QStringLiteral("InkFollowsPalette"); }
    QIconEngine* clone() const override { return new InkFollowsPalette(m_drawn); }

private:
    static QPixmap inked(const QPixmap& drawn) {
        const QColor text = QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
        if (drawn.isNull() || !isLight({text.red(), text.green(), text.blue()}))
            return drawn;
        QImage image = drawn.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = line[x];
                const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
                const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
                // Ink: a grey darker than the middle.
                if (qAlpha(pixel) > 0 && high - low < 24 && high < 150)
                    line[x] = qRgba(text.red(), text.green(), text.blue(), qAlpha(pixel));
            }
        }
        QPixmap result = QPixmap::fromImage(image);
        result.setDevicePixelRatio(drawn.devicePixelRatio());
        return result;
    }

    QIcon m_drawn;
};

void loadIconResources() {
    // The resources live in a static library; this keeps them in the program.
    static const bool loaded = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(loaded);
}

// Whether the desktop has an icon theme of its own. Without one Qt falls back to hicolor, which holds the
// icons of programs, not of commands: looking the commands' names up there would find nothing, after
// reading its index of some 650 folders.
bool desktopHasIconTheme() {
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

} // namespace

QIcon lookUpImage(Image image) {
    const ImageSource& source = sourceOf(image);
    if (desktopHasIconTheme()) {
        for (const QString& name : source.themeNames) {
            for (const QString& candidate : {name, QString(name + QStringLiteral("-symbolic"))}) {
                if (QIcon::hasThemeIcon(candidate))
                    return QIcon::fromTheme(candidate);
            }
        }
    }
    loadIconResources();
    return QIcon(
        new InkFollowsPalette(QIcon(QStringLiteral(":/kopix/icons/") + QLatin1String(source.ownFile))));
}

QIcon applicationIcon() {
    // Drawn beforehand in the sizes X window icons are made in: the scalable picture would be drawn in
    // all four as each window is made.
    return QIcon(new IconOnFirstUse([] {
        loadIconResources();
        QIcon icon;
        for (const int size : {16, 32, 64, 128})
            icon.addFile(QStringLiteral(":/kopix/app/%1x%1.png").arg(size), QSize(size, size));
        return icon;
    }));
}

QIcon imageIcon(Image image) {
    // Each picture is looked for once, however many buttons and menus show it.
    return QIcon(new IconOnFirstUse([image] {
        static QHash<Image, QIcon> found;
        const auto known = found.constFind(image);
        if (known != found.cend())
            return *known;
        return *found.insert(image, lookUpImage(image));
    }));
}

} // namespace kopix
