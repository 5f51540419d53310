// Files dragged from another program, as from a file manager, over X11's drag-and-drop protocol: the data
// travels between the two processes, and the dragging program learns what Kopix did with the files.
#include "support/EventWait.h"
#include "support/KopixProcess.h"
#include "support/XServer.h"

#include <QDrag>
#include <QMimeData>
#include <QProcess>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>

namespace kopix::test {
namespace {

// A window of this test program that starts dragging its files when pressed, offering what file managers
// offer. It stays open after the drop: the files' names are fetched from it then.
class DragSource : public QWidget {
public:
    explicit DragSource(const QStringList& files,
                        Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
        : m_files(files), m_offered(offered) {}
    std::optional<Qt::DropAction> result;

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& file : m_files)
            urls.append(QUrl::fromLocalFile(file));
        mime->setUrls(urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        result = drag->exec(m_offered, Qt::MoveAction);
    }

private:
    QStringList m_files;
    Qt::DropActions m_offered;
};

// Drags the files from a source offering `offered` onto a running Kopix; returns what the source was told
// (nothing when the drag did not end) and whether Kopix then showed the first file.
std::pair<std::optional<Qt::DropAction>, bool> dragOntoKopix(Qt::DropActions offered, QByteArray* kept) {
    KopixProcess kopix;
    kopix.writeFile(QStringLiteral("Kopix.ini"), "[fC]\r\nA_L=100\r\nA_T=100\r\n");
    const QByteArray bytes = "dropped\r\nsecond row\r\n";
    const QString dropped = kopix.writeFile(QStringLiteral("落とした 文書.txt"), bytes);
    if (!kopix.start({kopix.writeFile(QStringLiteral("first.txt"), "first\r\n")}))
        return {};
    const unsigned long window = kopix.waitForWindow(QStringLiteral("first.txt - Kopix"));
    if (window == 0)
        return {};
    const QStringList geometry =
        runTool(QStringLiteral("xdotool"),
                {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)})
            .split(u'\n');
    const auto value = [&](const QString& key) {
        for (const QString& line : geometry)
            if (line.startsWith(key + u'='))
                return line.mid(key.size() + 1).toInt();
        return -1;
    };
    const int listX = value(QStringLiteral("X")) + value(QStringLiteral("WIDTH")) / 2;
    const int listY = value(QStringLiteral("Y")) + value(QStringLiteral("HEIGHT")) / 2;
    DragSource source({dropped}, offered);
    source.setGeometry(700, 100, 200, 200);
    source.show();
    waitFor([&] { return source.windowHandle() && source.windowHandle()->isExposed(); });
    // The pointer presses on the source, travels onto the middle of the window (the list) and lets go;
    // xdotool runs beside the drag's own event loop.
    QProcess pointer;
    pointer.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"), QStringLiteral("--sync"),    QStringLiteral("800"),
                   QStringLiteral("200"),       QStringLiteral("mousedown"), QStringLiteral("1"),
                   QStringLiteral("sleep"),     QStringLiteral("0.1"),       QStringLiteral("mousemove"),
                   QStringLiteral("600"),       QStringLiteral("200"),       QStringLiteral("sleep"),
                   QStringLiteral("0.1"),       QStringLiteral("mousemove"), QString::number(listX),
                   QString::number(listY),      QStringLiteral("sleep"),     QStringLiteral("0.1"),
                   QStringLiteral("mousemove"), QString::number(listX + 5),  QString::number(listY),
                   QStringLiteral("sleep"),     QStringLiteral("0.1"),       QStringLiteral("mouseup"),
                   QStringLiteral("1")});
    waitFor([&] { return source.result.has_value(); }, 10000);
    const bool shown = source.result && kopix.waitForWindow(QStringLiteral("落とした 文書.txt - Kopix")) != 0;
    *kept = kopix.readFile(QStringLiteral("落とした 文書.txt"));
    pointer.waitForFinished(3000);
    return {source.result, shown};
}

// A file dragged from another program is opened, and the source is told Kopix took a copy: whether it
// proposed a move among other actions (as file managers do), or a move alone (XdndActionMove).
TEST(FileDrop, ADraggedFileIsOpenedAndTheSourceToldItWasACopy) {
    const struct {
        const char* name;
        Qt::DropActions offered;
    } cases[] = {
        {"copy, move and link", Qt::CopyAction | Qt::MoveAction | Qt::LinkAction},
        {"a move alone", Qt::MoveAction},
    };
    for (const auto& c : cases) {
        QByteArray kept;
        const auto [result, shown] = dragOntoKopix(c.offered, &kept);
        ASSERT_TRUE(result.has_value()) << c.name << ": the drag did not end";
        EXPECT_EQ(*result, Qt::CopyAction) << c.name;
        EXPECT_TRUE(shown) << c.name << ": the dropped file is shown";
        EXPECT_EQ(kept, QByteArray("dropped\r\nsecond row\r\n")) << c.name;
    }
}

} // namespace
} // namespace kopix::test
