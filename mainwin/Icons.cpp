#include "mainwin/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>

namespace kopix {

namespace {

const QColor ink(0x40, 0x40, 0x40);

QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

} // namespace

QIcon menuIcon() {
    // Three bars.
    return drawn([](QPainter& painter) {
        for (int y : {3, 7, 11})
            painter.fillRect(QRect(2, y, 12, 2), ink);
    });
}

QIcon recentFilesIcon() {
    // A clock face.
    return QIcon::fromTheme(QStringLiteral("document-open-recent"), drawn([](QPainter& painter) {
                                painter.setPen(QPen(ink, 1.5));
                                painter.setBrush(Qt::white);
                                painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
                                painter.drawLine(QPointF(8, 8), QPointF(8, 4));
                                painter.drawLine(QPointF(8, 8), QPointF(11, 9.5));
                            }));
}

QIcon bookmarksIcon() {
    // A white star, like the one that marks a bookmarked line.
    return QIcon::fromTheme(QStringLiteral("bookmarks"), drawn([](QPainter& painter) {
                                QPainterPath star;
                                for (int i = 0; i < 10; ++i) {
                                    const double radius = i % 2 == 0 ? 7.0 : 3.0;
                                    const double angle = -M_PI / 2 + i * M_PI / 5;
                                    const QPointF point(8 + radius * std::cos(angle),
                                                        8.5 + radius * std::sin(angle));
                                    if (i == 0)
                                        star.moveTo(point);
                                    else
                                        star.lineTo(point);
                                }
                                star.closeSubpath();
                                painter.setPen(QPen(QColor(0xC0, 0x90, 0x00), 1.2));
                                painter.setBrush(QColor(0xFF, 0xE0, 0x60));
                                painter.drawPath(star);
                            }));
}

QIcon cutIcon() {
    // Scissors.
    return QIcon::fromTheme(QStringLiteral("edit-cut"), drawn([](QPainter& painter) {
                                painter.setPen(QPen(ink, 1.4));
                                painter.drawLine(QPointF(4, 1.5), QPointF(10.5, 10));
                                painter.drawLine(QPointF(12, 1.5), QPointF(5.5, 10));
                                painter.setBrush(Qt::white);
                                painter.drawEllipse(QRectF(2, 9.5, 5, 5));
                                painter.drawEllipse(QRectF(9, 9.5, 5, 5));
                            }));
}

QIcon copyIcon() {
    // Two sheets, one over the other.
    return QIcon::fromTheme(QStringLiteral("edit-copy"), drawn([](QPainter& painter) {
                                painter.setPen(QPen(ink, 1));
                                painter.setBrush(Qt::white);
                                painter.drawRect(QRectF(1.5, 1.5, 8, 10));
                                painter.drawRect(QRectF(6.5, 4.5, 8, 10));
                            }));
}

QIcon pasteIcon() {
    // A clipboard with a sheet on it.
    return QIcon::fromTheme(QStringLiteral("edit-paste"), drawn([](QPainter& painter) {
                                painter.setPen(QPen(ink, 1));
                                painter.setBrush(QColor(0xC8, 0x9A, 0x5A));
                                painter.drawRect(QRectF(2.5, 2.5, 10, 12));
                                painter.setBrush(Qt::white);
                                painter.drawRect(QRectF(6.5, 6.5, 8, 8));
                                painter.setBrush(ink);
                                painter.drawRect(QRectF(5.5, 1, 4, 2.5));
                            }));
}

} // namespace kopix
