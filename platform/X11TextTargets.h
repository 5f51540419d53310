#pragma once

#include <QAbstractNativeEventFilter>

struct xcb_connection_t;

namespace kopix {

// Answers the old text targets of Kopix's own clipboard and selection without loss. Qt hands STRING and
// TEXT out as Latin-1, so a Japanese row reached a program asking for them as "?????". While it lives,
// STRING is refused for a text Latin-1 cannot hold (the program then asks for another target), and TEXT,
// which may be given in any encoding, is answered as UTF8_STRING. Without X it does nothing.
class X11TextTargets : public QAbstractNativeEventFilter {
public:
    X11TextTargets();
    ~X11TextTargets() override;
    X11TextTargets(const X11TextTargets&) = delete;
    X11TextTargets& operator=(const X11TextTargets&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool m_installed = false;
    xcb_connection_t* m_connection = nullptr; // the application's own
    unsigned long m_clipboard = 0;
    unsigned long m_primary = 0;
    unsigned long m_string = 0;
    unsigned long m_text = 0;
    unsigned long m_utf8String = 0;
};

} // namespace kopix
