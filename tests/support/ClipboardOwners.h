#pragma once

// Other programs on the clipboard, for the tests on a real X server: a small owner of our own that
// answers as told (in pieces, late, or never at all, like a hung program), and xclip.
// Include it after Qt's headers: X11's macros (None, Bool) break them.
#include "support/EventWait.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>
#include <utility>
#include <vector>

namespace kopix::test {

inline int xErrors = 0;

inline int countXErrors(Display*, XErrorEvent*) {
    ++xErrors;
    return 0;
}

// Runs X calls and counts the errors the server answers them with.
template <typename Calls> int errorsOf(Display* display, Calls calls) {
    XSync(display, False);
    xErrors = 0;
    XErrorHandler previous = XSetErrorHandler(countXErrors);
    calls();
    XSync(display, False);
    XSetErrorHandler(previous);
    return xErrors;
}

// Another X client that takes the CLIPBOARD, on a connection of its own. It answers requests for its
// targets, in pieces of `chunk` bytes when chunk > 0, late, or never at all (a hung program), and counts
// the errors its answers meet.
class TestOwner {
public:
    enum class Answers { Yes, Late, Never };
    TestOwner(const QList<std::pair<QByteArray, QByteArray>>& offers, Answers answers, int chunk = 0)
        : m_offers(offers), m_chunk(chunk) {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return;
        m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        m_clipboard = XInternAtom(m_display, "CLIPBOARD", False);
        m_targets = XInternAtom(m_display, "TARGETS", False);
        m_incr = XInternAtom(m_display, "INCR", False);
        XSetSelectionOwner(m_display, m_clipboard, m_window, CurrentTime);
        XFlush(m_display);
        m_late = answers == Answers::Late;
        if (answers != Answers::Never) {
            m_notifier =
                std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
            QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { serve(); });
        }
    }
    ~TestOwner() {
        m_notifier.reset();
        if (m_display)
            XCloseDisplay(m_display); // the clipboard is left without an owner
    }
    bool owns() const { return m_display && XGetSelectionOwner(m_display, m_clipboard) == m_window; }
    int errors() const { return m_errors; }
    int answers() const { return m_answers; }
    // An answer in pieces is still under way.
    bool transferring() const { return !m_transfers.empty(); }

private:
    struct Transfer {
        Window requestor;
        Atom property;
        Atom type;
        QByteArray rest;
    };

    void serve() {
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == SelectionRequest && m_late) {
                const XSelectionRequestEvent request = event.xselectionrequest;
                QTimer::singleShot(300, [this, request] { answer(request); });
            } else if (event.type == SelectionRequest) {
                answer(event.xselectionrequest);
            } else if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete)
                nextPiece(event.xproperty.window, event.xproperty.atom);
        }
    }
    void answer(const XSelectionRequestEvent& request) {
        ++m_answers;
        m_errors += errorsOf(m_display, [&] { writeAnswer(request); });
    }
    void writeAnswer(const XSelectionRequestEvent& request) {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        if (request.target == m_targets) {
            std::vector<long> atoms{long(m_targets)};
            for (const auto& offer : m_offers)
                atoms.push_back(long(XInternAtom(m_display, offer.first.constData(), False)));
            XChangeProperty(m_display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(atoms.data()), int(atoms.size()));
            reply.xselection.property = request.property;
        } else {
            for (const auto& [name, bytes] : m_offers) {
                if (XInternAtom(m_display, name.constData(), False) != request.target)
                    continue;
                if (m_chunk > 0) {
                    // Announce a transfer in pieces; each piece follows the deletion of the one before.
                    XSelectInput(m_display, request.requestor, PropertyChangeMask);
                    const long size = long(bytes.size());
                    XChangeProperty(m_display, request.requestor, request.property, m_incr, 32,
                                    PropModeReplace, reinterpret_cast<const unsigned char*>(&size), 1);
                    m_transfers.push_back({request.requestor, request.property, request.target, bytes});
                } else {
                    XChangeProperty(
                        m_display, request.requestor, request.property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
                }
                reply.xselection.property = request.property;
            }
        }
        XSendEvent(m_display, request.requestor, False, NoEventMask, &reply);
        XFlush(m_display);
    }
    void nextPiece(Window requestor, Atom property) {
        for (auto it = m_transfers.begin(); it != m_transfers.end(); ++it) {
            if (it->requestor != requestor || it->property != property)
                continue;
            const QByteArray piece = it->rest.left(m_chunk);
            it->rest.remove(0, piece.size());
            m_errors += errorsOf(m_display, [&] {
                XChangeProperty(m_display, requestor, property, it->type, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(piece.constData()), int(piece.size()));
            });
            if (piece.isEmpty())
                m_transfers.erase(it);
            return;
        }
    }

    QList<std::pair<QByteArray, QByteArray>> m_offers;
    int m_chunk = 0;
    bool m_late = false;
    int m_errors = 0;
    int m_answers = 0;
    Display* m_display = nullptr;
    Window m_window = 0;
    Atom m_clipboard = 0;
    Atom m_targets = 0;
    Atom m_incr = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<Transfer> m_transfers;
};

// xclip takes the CLIPBOARD (or the selection named) with the given bytes (as UTF8_STRING, or the type
// given) and keeps serving them in the background until another program takes it.
inline bool xclipIn(const QByteArray& bytes, const QString& type = QString(),
                    const QString& selection = QStringLiteral("clipboard")) {
    QStringList arguments{QStringLiteral("-selection"), selection, QStringLiteral("-i")};
    if (!type.isEmpty())
        arguments << QStringLiteral("-t") << type;
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), arguments);
    if (!xclip.waitForStarted(5000))
        return false;
    xclip.write(bytes);
    xclip.closeWriteChannel();
    // It goes to the background once it owns the clipboard; keep answering the server meanwhile.
    return waitFor([&xclip] { return xclip.state() == QProcess::NotRunning; }, 10000) &&
           xclip.exitCode() == 0;
}

} // namespace kopix::test
