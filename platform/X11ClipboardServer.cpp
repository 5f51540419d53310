#include "platform/X11ClipboardServer.h"

#include <QString>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <vector>

namespace kopix {

namespace {

// A requestor that stops fetching the pieces of a long answer is given up after this long.
constexpr auto TransferTimeout = std::chrono::seconds(10);

// Requestors vanish at any time (their window destroyed under an answer); their errors end nothing.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

[[noreturn]] int serverGone(Display*) {
    // The session is over; so is the clipboard.
    std::_Exit(0);
}

// A long answer in pieces: the requestor deletes the property each time it has read a piece.
struct Transfer {
    Window requestor = None;
    Atom property = None;
    Atom type = None;
    const QByteArray* data = nullptr;
    qsizetype sent = 0;
    bool finished = false; // the closing empty piece has been written
    std::chrono::steady_clock::time_point lastActivity;
};

class Server {
public:
    Server(Display* display, const QByteArray& utf8) : m_display(display), m_utf8(utf8) {
        // STRING is Latin-1: offered only for a text Latin-1 holds whole, never with "?" in its place.
        const QString text = QString::fromUtf8(utf8);
        if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; }))
            m_latin1 = text.toLatin1();
        m_clipboard = atom("CLIPBOARD");
        m_targets = atom("TARGETS");
        m_timestampTarget = atom("TIMESTAMP");
        m_utf8Target = atom("UTF8_STRING");
        m_text = atom("TEXT");
        m_incr = atom("INCR");
        // The largest property one request may write, with room for the request itself.
        const long maxRequestUnits = XExtendedMaxRequestSize(display) > 0 ? XExtendedMaxRequestSize(display)
                                                                          : XMaxRequestSize(display);
        m_chunk = std::clamp<qsizetype>(qsizetype(maxRequestUnits) * 4 - 4096, 4096, 1024 * 1024);
    }

    bool takeClipboard() {
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(m_display, m_window, PropertyChangeMask);
        // A real timestamp for the ownership, as the conventions ask: the server's time of a property
        // change on our own window.
        const Atom stamp = atom("KOPIX_TIMESTAMP");
        XChangeProperty(m_display, m_window, stamp, XA_STRING, 8, PropModeAppend, nullptr, 0);
        XEvent event;
        XWindowEvent(m_display, m_window, PropertyChangeMask, &event);
        m_time = event.xproperty.time;
        XSetSelectionOwner(m_display, m_clipboard, m_window, m_time);
        return XGetSelectionOwner(m_display, m_clipboard) == m_window;
    }

    // Serves until another program takes the clipboard.
    void run() {
        for (;;) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == SelectionClear && event.xselectionclear.selection == m_clipboard)
                    return;
                if (event.type == SelectionRequest)
                    answer(event.xselectionrequest);
                else if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete)
                    nextPiece(event.xproperty.window, event.xproperty.atom);
            }
            dropStalledTransfers();
            pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
            // With pieces still to send, wake up now and then to give up on a requestor that went quiet.
            ::poll(&connection, 1, m_transfers.empty() ? -1 : 1000);
        }
    }

private:
    Atom atom(const char* name) { return XInternAtom(m_display, name, False); }

    void answer(const XSelectionRequestEvent& request) {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = request.display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        // Old clients name no property: the target stands for it.
        const Atom property = request.property != None ? request.property : request.target;
        reply.property = property;
        const bool ours =
            request.selection == m_clipboard && (request.time == CurrentTime || request.time >= m_time);
        if (!ours) {
            reply.property = None;
        } else if (request.target == m_targets) {
            const Atom targets[] = {m_targets, m_timestampTarget, m_utf8Target, m_text, XA_STRING};
            const int offered = int(std::size(targets)) - (m_latin1 ? 0 : 1);
            XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(targets), offered);
        } else if (request.target == m_timestampTarget) {
            const long time = long(m_time);
            XChangeProperty(m_display, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&time), 1);
        } else if (request.target == m_utf8Target || request.target == m_text) {
            send(request.requestor, property, m_utf8Target, m_utf8);
        } else if (request.target == XA_STRING && m_latin1) {
            send(request.requestor, property, XA_STRING, *m_latin1);
        } else {
            reply.property = None; // MULTIPLE, pictures, anything else: refused
        }
        XSendEvent(m_display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(m_display);
    }

    void send(Window requestor, Atom property, Atom type, const QByteArray& data) {
        if (data.size() <= m_chunk) {
            XChangeProperty(m_display, requestor, property, type, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(data.constData()), int(data.size()));
            return;
        }
        // Too long for one request: announce the size, then one piece each time the requestor has read
        // the last (it deletes the property).
        XSelectInput(m_display, requestor, PropertyChangeMask);
        const long size = long(data.size());
        XChangeProperty(m_display, requestor, property, m_incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
        m_transfers.push_back({requestor, property, type, &data, 0, false, std::chrono::steady_clock::now()});
    }

    void nextPiece(Window requestor, Atom property) {
        const auto found = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const Transfer& t) {
            return t.requestor == requestor && t.property == property;
        });
        if (found == m_transfers.end())
            return;
        Transfer& transfer = *found;
        if (transfer.finished) {
            // The empty closing piece has been read: done.
            endTransfer(found);
            return;
        }
        const qsizetype length = std::min(m_chunk, transfer.data->size() - transfer.sent);
        XChangeProperty(m_display, requestor, property, transfer.type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(transfer.data->constData() + transfer.sent),
                        int(length));
        transfer.sent += length;
        transfer.finished = length == 0;
        transfer.lastActivity = std::chrono::steady_clock::now();
        XFlush(m_display);
    }

    void endTransfer(std::vector<Transfer>::iterator transfer) {
        const Window requestor = transfer->requestor;
        m_transfers.erase(transfer);
        const bool stillFetching = std::any_of(m_transfers.begin(), m_transfers.end(),
                                               [&](const Transfer& t) { return t.requestor == requestor; });
        if (!stillFetching)
            XSelectInput(m_display, requestor, NoEventMask);
        XFlush(m_display);
    }

    void dropStalledTransfers() {
        const auto now = std::chrono::steady_clock::now();
        for (auto t = m_transfers.begin(); t != m_transfers.end();) {
            if (now - t->lastActivity > TransferTimeout) {
                endTransfer(t);
                t = m_transfers.begin();
            } else {
                ++t;
            }
        }
    }

    Display* m_display;
    const QByteArray m_utf8;
    std::optional<QByteArray> m_latin1; // none when Latin-1 cannot hold the text
    Window m_window = None;
    Time m_time = CurrentTime;
    Atom m_clipboard = None, m_targets = None, m_timestampTarget = None, m_utf8Target = None, m_text = None,
         m_incr = None;
    qsizetype m_chunk = 4096;
    std::vector<Transfer> m_transfers;
};

} // namespace

int X11ClipboardServer::serveStandardInput(const QByteArray& displayName) {
    // Whatever else Kopix was given (a shell's 5>fifo, a launcher's pipe) stays with Kopix: a reader of it
    // must see its end when Kopix exits, not when another program copies.
    ::close_range(STDERR_FILENO + 1, ~0U, 0);
    QByteArray text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, n);
    }
    // The server lives on after Kopix: a shell reading Kopix's output must see its end when Kopix exits,
    // and the folder Kopix ran in must stay free to unmount.
    if (const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC); nothing >= 0) {
        for (int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(nothing, descriptor);
        ::close(nothing);
    }
    // Should it fail, the server only stays in the folder; there is nobody to tell.
    [[maybe_unused]] const int changed = ::chdir("/");
    return serve(displayName, text);
}

int X11ClipboardServer::serve(const QByteArray& displayName, const QByteArray& utf8Text) {
    XSetErrorHandler(ignoreErrors);
    XSetIOErrorHandler(serverGone);
    Display* display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display)
        return 1;
    Server server(display, utf8Text);
    if (!server.takeClipboard()) {
        XCloseDisplay(display);
        return 1;
    }
    server.run();
    XCloseDisplay(display);
    return 0;
}

} // namespace kopix
