#pragma once

#include "platform/LinuxPlatform.h"
#include "support/KopixFixture.h"
#include "support/XServer.h"

#include <QWindow>

namespace kopix::test {

// The main window with the real desktop, on the test's X server.
class RealKopixFixture : public KopixFixture {
protected:
    void SetUp() override {
        KopixFixture::SetUp();
        desktop = &linux;
        parkPointer();
    }
    // Starts Kopix on a document and waits until the window manager has framed and activated it.
    void startFramed(const QByteArray& text, const QByteArray& settings = "[fC]\r\nA_L=100\r\nA_T=100\r\n") {
        writeFile(QStringLiteral("Kopix.ini"), settings);
        start(writeFile(QStringLiteral("doc.txt"), text));
        ASSERT_TRUE(waitFor([this] { return window->windowHandle()->frameMargins().top() > 0; }));
        ASSERT_TRUE(waitFor([this] { return window->isActiveWindow(); }));
    }
    unsigned long windowId() const { return static_cast<unsigned long>(window->winId()); }
    // Where a point of a widget is on the screen, as xdotool's arguments.
    static QStringList at(const QWidget* widget, const QPoint& point) {
        const QPoint global = widget->mapToGlobal(point);
        return {QString::number(global.x()), QString::number(global.y())};
    }
    // The pointer starts each case far from the window.
    static void parkPointer() {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("1200"), QStringLiteral("1000")});
    }

    LinuxPlatform linux;
};

} // namespace kopix::test
