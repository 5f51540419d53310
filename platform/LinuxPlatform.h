#pragma once

#include "platform/Platform.h"

namespace kopix {

// The desktop as X11 (or XWayland) and Qt give it.
class LinuxPlatform : public Platform {
public:
    bool isOnRemovableDrive(const QString& folder) override;
    QRect workAreaNear(const QRect& rect) override;
    QRect normalRectangle(const QWidget* window) override;
    void setStayOnTop(QWidget* window, bool onTop) override;
    int showMessage(const MessageRequest& request) override;
    void showErrorBox(QWidget* owner, const QString& title, const QString& text) override;
    void showHelp(int context) override;
};

// Whether the block device major:minor is removable, read from a sysfs tree (a parameter for tests). The
// flag lives on the whole disk, so a partition looks one folder up.
bool blockDeviceIsRemovable(const QString& sysfsRoot, unsigned major, unsigned minor);

} // namespace kopix
