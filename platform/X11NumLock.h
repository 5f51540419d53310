#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>
#include <optional>

struct _XDisplay;

namespace kopix {

// NumLock as XKB has it, through the application's own X connection. Changes come as XKB indicator
// events, so nothing is polled. Without an X display (the offscreen platform) it knows nothing.
class X11NumLock : public QAbstractNativeEventFilter {
public:
    X11NumLock();
    ~X11NumLock() override;
    X11NumLock(const X11NumLock&) = delete;
    X11NumLock& operator=(const X11NumLock&) = delete;

    std::optional<bool> isOn() const;
    // onChange runs on every indicator change from now on.
    void watch(std::function<void()> onChange);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    _XDisplay* m_display = nullptr;
    int m_xkbEventBase = -1;
    unsigned m_numLockMask = 0; // the modifier NumLock locks (Mod2 on most keymaps)
    bool m_filterInstalled = false;
    std::function<void()> m_onChange;
};

} // namespace kopix
