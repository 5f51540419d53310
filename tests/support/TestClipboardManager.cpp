#include "support/TestClipboardManager.h"

#include <QSocketNotifier>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace kopix::test {

TestClipboardManager::TestClipboardManager(Behaviour behaviour) : m_behaviour(behaviour) {
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return;
    m_managerAtom = XInternAtom(m_display, "CLIPBOARD_MANAGER", False);
    m_clipboardAtom = XInternAtom(m_display, "CLIPBOARD", False);
    m_saveTargetsAtom = XInternAtom(m_display, "SAVE_TARGETS", False);
    m_targetsAtom = XInternAtom(m_display, "TARGETS", False);
    m_utf8Atom = XInternAtom(m_display, "UTF8_STRING", False);
    m_dataAtom = XInternAtom(m_display, "TEST_MANAGER_DATA", False);
    m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    m_notifier = new QSocketNotifier(ConnectionNumber(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TestClipboardManager::processEvents);
    // Events a round trip has queued already do not show on the socket.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &TestClipboardManager::processEvents);
    poll->start(20);
}

TestClipboardManager::~TestClipboardManager() {
    if (!m_display)
        return;
    delete m_notifier;
    XCloseDisplay(m_display); // the selections go with the connection
}

bool TestClipboardManager::start() {
    if (!m_display)
        return false;
    XSetSelectionOwner(m_display, m_managerAtom, m_window, CurrentTime);
    const bool owned = XGetSelectionOwner(m_display, m_managerAtom) == m_window;
    XFlush(m_display);
    return owned;
}

void TestClipboardManager::processEvents() {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == SelectionRequest && event.xselectionrequest.selection == m_managerAtom) {
            ++m_requests;
            if (m_behaviour == Behaviour::Silent || event.xselectionrequest.target != m_saveTargetsAtom)
                continue;
            m_requestor = event.xselectionrequest.requestor;
            m_requestProperty = event.xselectionrequest.property;
            m_requestTime = event.xselectionrequest.time;
            XConvertSelection(m_display, m_clipboardAtom, m_utf8Atom, m_dataAtom, m_window, CurrentTime);
            XFlush(m_display);
        } else if (event.type == SelectionNotify && event.xselection.requestor == m_window &&
                   event.xselection.selection == m_clipboardAtom) {
            fetched(event.xselection.property);
        } else if (event.type == SelectionRequest && event.xselectionrequest.selection == m_clipboardAtom) {
            serve(&event.xselectionrequest);
        }
    }
}

void TestClipboardManager::fetched(unsigned long property) {
    if (property != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, m_window, m_dataAtom, 0, 1 << 24, True, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success &&
            data) {
            m_saved = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count));
            XFree(data);
        }
        XSetSelectionOwner(m_display, m_clipboardAtom, m_window, CurrentTime);
    }
    // Tell the exiting program how it went: its property back means saved.
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = m_requestor;
    reply.selection = m_managerAtom;
    reply.target = m_saveTargetsAtom;
    reply.property = property != None ? m_requestProperty : None;
    reply.time = m_requestTime;
    XSendEvent(m_display, m_requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(m_display);
}

void TestClipboardManager::serve(const void* requestEvent) {
    const auto& request = *static_cast<const XSelectionRequestEvent*>(requestEvent);
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = request.property;
    if (request.target == m_targetsAtom) {
        const Atom targets[] = {m_targetsAtom, m_utf8Atom};
        XChangeProperty(m_display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(targets), 2);
    } else if (request.target == m_utf8Atom) {
        XChangeProperty(m_display, request.requestor, request.property, m_utf8Atom, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(m_saved.constData()), int(m_saved.size()));
    } else {
        reply.property = None;
    }
    XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(m_display);
}

} // namespace kopix::test
