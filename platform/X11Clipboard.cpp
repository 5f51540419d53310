#include "platform/X11Clipboard.h"

#include "core/ClipPreview.h"
#include "core/SystemErrorText.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kopix {

namespace {

// Enough of a text for its preview (see clipPreview), with room to spare; of a longer text only this
// much is kept.
constexpr long PrefixBytes = 4096;
// How often a read in progress looks at the clock (and at answers the socket has not told of yet).
constexpr int DeadlineTickMs = 50;
// Windows of abandoned reads whose owners never answered are let go beyond this many.
constexpr qsizetype MaxRetired = 16;

struct Property {
    bool ok = false;
    Atom type = None;
    QByteArray bytes;
    unsigned long after = 0; // bytes not read
};

// A whole text is read in one go up to this many 32-bit units (256 MiB); longer answers come in pieces.
constexpr long WholeTextLongs = 64L * 1024 * 1024;

Property readProperty(Display* display, Window window, Atom property, long maxLongs = PrefixBytes / 4) {
    Property result;
    int format = 0;
    unsigned long count = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, maxLongs, False, AnyPropertyType, &result.type,
                           &format, &count, &result.after, &data) != Success)
        return result;
    result.ok = true;
    if (data) {
        // Xlib hands 32-bit items over as longs.
        const int itemSize = format == 32 ? int(sizeof(long)) : format / 8;
        result.bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count) * itemSize);
        XFree(data);
    }
    return result;
}

} // namespace

QByteArray X11ClipboardReader::applicationDisplayName() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return QByteArray();
    return QByteArray(DisplayString(x11->display()));
}

X11ClipboardReader::X11ClipboardReader(const QByteArray& displayName, Extent extent, Selection selection,
                                       QObject* parent)
    : QObject(parent), m_extent(extent) {
    m_display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!m_display)
        return;
    m_selectionAtom =
        XInternAtom(m_display, selection == Selection::Primary ? "PRIMARY" : "CLIPBOARD", False);
    m_targetsAtom = XInternAtom(m_display, "TARGETS", False);
    m_utf8Atom = XInternAtom(m_display, "UTF8_STRING", False);
    m_incrAtom = XInternAtom(m_display, "INCR", False);
    m_hintAtom = XInternAtom(m_display, secretHintTarget().toLatin1().constData(), False);
    m_propertyAtom = XInternAtom(m_display, "KOPIX_CLIPBOARD", False);

    m_notifier = new QSocketNotifier(ConnectionNumber(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11ClipboardReader::processEvents);
    m_deadline.setInterval(DeadlineTickMs);
    connect(&m_deadline, &QTimer::timeout, this, &X11ClipboardReader::deadlineTick);
}

X11ClipboardReader::~X11ClipboardReader() {
    if (!m_display)
        return;
    delete m_notifier;
    XCloseDisplay(m_display);
}

void X11ClipboardReader::read(QObject* context, std::function<void(const ClipboardContent&)> done) {
    abandon();
    ++m_readNumber;
    m_hasContext = context != nullptr;
    m_context = context;
    m_done = std::move(done);
    if (!m_display) {
        finish(ClipboardContent::failed(systemErrorText(ECONNREFUSED)));
        return;
    }
    if (XGetSelectionOwner(m_display, m_selectionAtom) == None) {
        // Nobody holds the clipboard: it was emptied, or its owner has gone.
        finish(ClipboardContent::noText());
        return;
    }
    m_requestor = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    // Pieces of a long answer are announced as property changes on the window.
    XSelectInput(m_display, m_requestor, PropertyChangeMask);
    startDeadline();
    request(m_targetsAtom, Step::Targets);
    // The round trips above may have queued events already; the socket would not tell about those.
    processEvents();
}

void X11ClipboardReader::startDeadline() {
    m_waitedMs = 0;
    m_sinceTick.start();
    m_deadline.start();
}

void X11ClipboardReader::deadlineTick() {
    // An answer may be waiting that the socket's notice has not brought in yet (the event loop was busy).
    const quint64 read = m_readNumber;
    processEvents();
    if (m_step == Step::Idle || read != m_readNumber)
        return;
    // Only time in which the owner could have answered counts: while Kopix itself was busy (laying out a
    // big document, say) the tick comes late, and counts as one tick.
    m_waitedMs += std::min<qint64>(m_sinceTick.restart(), 2 * DeadlineTickMs);
    if (m_waitedMs >= DeadlineMs) {
        // The owner took too long (or never answers): report it rather than wait on.
        finish(ClipboardContent::failed(systemErrorText(ETIMEDOUT)));
    }
}

void X11ClipboardReader::request(unsigned long target, Step step) {
    m_step = step;
    m_awaiting = true;
    m_incremental = false;
    m_incrementalType = 0;
    m_collected.clear();
    XConvertSelection(m_display, m_selectionAtom, target, m_propertyAtom, m_requestor, CurrentTime);
    XFlush(m_display);
}

void X11ClipboardReader::processEvents() {
    if (!m_display)
        return;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        const bool selection = event.type == SelectionNotify && event.xselection.selection == m_selectionAtom;
        const bool newPiece = event.type == PropertyNotify && event.xproperty.atom == m_propertyAtom &&
                              event.xproperty.state == PropertyNewValue;
        if (!selection && !newPiece)
            continue;
        if (m_step != Step::Idle && event.xany.window == m_requestor) {
            if (selection && m_awaiting)
                selectionArrived(event.xselection.property);
            else if (newPiece && m_incremental)
                incrementArrived();
            continue;
        }
        for (qsizetype i = 0; i < m_retired.size(); ++i) {
            if (m_retired[i].window == event.xany.window) {
                retiredEvent(i, selection, selection ? event.xselection.property : None);
                break;
            }
        }
    }
}

void X11ClipboardReader::selectionArrived(unsigned long property) {
    m_awaiting = false;
    if (property == None) {
        refused();
        return;
    }
    const Property answer = readProperty(m_display, m_requestor, m_propertyAtom,
                                         m_extent == Extent::WholeText ? WholeTextLongs : PrefixBytes / 4);
    // Deleting the property tells the owner we have it (and, for a long answer, to send the first piece).
    XDeleteProperty(m_display, m_requestor, m_propertyAtom);
    XFlush(m_display);
    if (!answer.ok) {
        refused();
        return;
    }
    if (answer.type == m_incrAtom) {
        m_incremental = true;
        return;
    }
    answered(answer.type, answer.bytes);
}

void X11ClipboardReader::incrementArrived() {
    const Property piece = readProperty(m_display, m_requestor, m_propertyAtom,
                                        m_extent == Extent::WholeText ? WholeTextLongs : PrefixBytes / 4);
    // The deletion asks the owner for the next piece.
    XDeleteProperty(m_display, m_requestor, m_propertyAtom);
    XFlush(m_display);
    if (!piece.ok) {
        m_incremental = false;
        refused();
        return;
    }
    if (m_incrementalType == 0 && piece.type != None)
        m_incrementalType = piece.type;
    m_collected.append(piece.bytes);
    // A long text keeps coming: the deadline is for an owner that stops answering, not for a big paste.
    if (m_extent == Extent::WholeText && !piece.bytes.isEmpty())
        startDeadline();
    if (piece.bytes.isEmpty()) {
        // An empty piece ends the answer.
        m_incremental = false;
        const QByteArray whole = m_collected;
        answered(m_incrementalType, whole);
    } else if (m_step == Step::Text && m_extent == Extent::Preview && m_collected.size() >= PrefixBytes) {
        // Enough for the preview. The owner still sends the rest; the window takes it in and drops it
        // after the read is over (m_incremental stays set for that).
        const QByteArray prefix = m_collected;
        answered(m_incrementalType, prefix);
    }
}

void X11ClipboardReader::answered(unsigned long type, const QByteArray& bytes) {
    switch (m_step) {
    case Step::Idle:
        return;
    case Step::Targets: {
        const ClipboardOffer offer = examineClipboardTargets(atomNames(bytes));
        m_textTarget = offer.textTarget;
        if (offer.hasSecretHint && m_extent == Extent::Preview)
            request(m_hintAtom, Step::Hint);
        else
            askForText();
        return;
    }
    case Step::Hint:
        if (isSecretHint(bytes)) {
            finish(ClipboardContent::secret());
            return;
        }
        askForText();
        return;
    case Step::Text:
        finish(ClipboardContent::ofText(decodeClipboardText(
            bytes, type == XA_STRING ? QStringView(u"STRING") : QStringView(u"UTF8_STRING"))));
        return;
    }
}

void X11ClipboardReader::refused() {
    switch (m_step) {
    case Step::Idle:
        return;
    case Step::Targets:
        // An owner that does not list its targets may still give text when asked for it directly.
        m_textTarget = QStringLiteral("UTF8_STRING");
        askForText();
        return;
    case Step::Hint:
        askForText();
        return;
    case Step::Text:
        finish(ClipboardContent::noText());
        return;
    }
}

void X11ClipboardReader::askForText() {
    if (m_textTarget.isEmpty()) {
        finish(ClipboardContent::noText());
        return;
    }
    request(XInternAtom(m_display, m_textTarget.toLatin1().constData(), False), Step::Text);
}

QStringList X11ClipboardReader::atomNames(const QByteArray& atomList) {
    QList<Atom> atoms(atomList.size() / qsizetype(sizeof(Atom)));
    std::memcpy(atoms.data(), atomList.constData(), size_t(atoms.size()) * sizeof(Atom));
    QStringList names;
    if (atoms.isEmpty())
        return names;
    QList<char*> raw(atoms.size(), nullptr);
    if (XGetAtomNames(m_display, atoms.data(), int(atoms.size()), raw.data())) {
        for (char* name : raw) {
            names.append(QString::fromLatin1(name));
            XFree(name);
        }
    }
    return names;
}

void X11ClipboardReader::finish(const ClipboardContent& content) {
    auto done = std::move(m_done);
    const bool deliver = !m_hasContext || m_context;
    abandon();
    if (done && deliver)
        done(content);
}

void X11ClipboardReader::abandon() {
    m_deadline.stop();
    if (m_display && m_requestor) {
        if (m_awaiting || m_incremental)
            retire(m_requestor, m_incremental);
        else
            XDestroyWindow(m_display, m_requestor); // nothing more will be written to it
        XFlush(m_display);
    }
    m_requestor = 0;
    m_step = Step::Idle;
    m_awaiting = false;
    m_done = nullptr;
    m_context = nullptr;
    m_hasContext = false;
    m_textTarget.clear();
    m_incremental = false;
    m_incrementalType = 0;
    m_collected.clear();
}

void X11ClipboardReader::retire(unsigned long window, bool draining) {
    m_retired.append({window, draining});
    if (m_retired.size() > MaxRetired) {
        // An owner that has not answered this long is not going to.
        XDestroyWindow(m_display, m_retired.front().window);
        m_retired.removeFirst();
    }
}

void X11ClipboardReader::retiredEvent(qsizetype index, bool selection, unsigned long property) {
    Retired& retired = m_retired[index];
    bool over = false;
    if (selection) {
        if (retired.draining)
            return;
        if (property == None) {
            over = true;
        } else {
            // Taken and dropped; a long answer is let run to its end.
            const Property answer = readProperty(m_display, retired.window, m_propertyAtom);
            XDeleteProperty(m_display, retired.window, m_propertyAtom);
            retired.draining = answer.ok && answer.type == m_incrAtom;
            over = !retired.draining;
        }
    } else if (retired.draining) {
        const Property piece = readProperty(m_display, retired.window, m_propertyAtom);
        XDeleteProperty(m_display, retired.window, m_propertyAtom);
        over = !piece.ok || (piece.bytes.isEmpty() && piece.after == 0);
    }
    if (over) {
        XDestroyWindow(m_display, retired.window);
        m_retired.removeAt(index);
    }
    XFlush(m_display);
}

} // namespace kopix
