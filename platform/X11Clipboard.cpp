#include "platform/X11Clipboard.h"

#include "core/ClipPreview.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <cstring>
#include <cstdio>
#define KDBG(...) std::fprintf(stderr, __VA_ARGS__)

namespace kopix {

namespace {

// Enough of a text for its preview (see clipPreview), with room to spare; a longer text is not read
// further, however large it is.
constexpr long PrefixBytes = 4096;

QString systemErrorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

QByteArray X11ClipboardReader::applicationDisplayName()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return QByteArray();
    return QByteArray(DisplayString(x11->display()));
}

X11ClipboardReader::X11ClipboardReader(const QByteArray& displayName, QObject* parent) : QObject(parent)
{
    m_display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!m_display)
        return;
    m_clipboardAtom = XInternAtom(m_display, "CLIPBOARD", False);
    m_targetsAtom = XInternAtom(m_display, "TARGETS", False);
    m_utf8Atom = XInternAtom(m_display, "UTF8_STRING", False);
    m_incrAtom = XInternAtom(m_display, "INCR", False);
    m_hintAtom = XInternAtom(m_display, secretHintTarget().toLatin1().constData(), False);
    m_propertyAtom = XInternAtom(m_display, "KOPIX_CLIPBOARD", False);

    m_notifier = new QSocketNotifier(ConnectionNumber(m_display), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11ClipboardReader::processEvents);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        // The owner took too long (or never answers): report it rather than wait on.
        finish(ClipboardContent::failed(systemErrorText(ETIMEDOUT)));
    });
}

X11ClipboardReader::~X11ClipboardReader()
{
    if (!m_display)
        return;
    delete m_notifier;
    XCloseDisplay(m_display);
}

void X11ClipboardReader::read(QObject* context, std::function<void(const ClipboardContent&)> done)
{
    abandon();
    m_hasContext = context != nullptr;
    m_context = context;
    m_done = std::move(done);
    if (!m_display) {
        finish(ClipboardContent::failed(systemErrorText(ECONNREFUSED)));
        return;
    }
    KDBG("read: owner %lx\n", XGetSelectionOwner(m_display, m_clipboardAtom));
    if (XGetSelectionOwner(m_display, m_clipboardAtom) == None) {
        // Nobody holds the clipboard: it was emptied, or its owner has gone.
        finish(ClipboardContent::noText());
        return;
    }
    m_requestor = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    // Pieces of a long answer are announced as property changes on the window.
    XSelectInput(m_display, m_requestor, PropertyChangeMask);
    m_deadline.start(m_deadlineMs);
    request(m_targetsAtom, Step::Targets);
    // The round trips above may have queued events already; the socket would not tell about those.
    processEvents();
}

void X11ClipboardReader::request(unsigned long target, Step step)
{
    m_step = step;
    m_incremental = false;
    m_incrementalType = 0;
    m_collected.clear();
    XConvertSelection(m_display, m_clipboardAtom, target, m_propertyAtom, m_requestor, CurrentTime);
    XFlush(m_display);
}

void X11ClipboardReader::processEvents()
{
    if (!m_display)
        return;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (m_step == Step::Idle || event.xany.window != m_requestor)
            continue; // an answer to a read given up already
        if (event.type == SelectionNotify && event.xselection.selection == m_clipboardAtom)
            selectionArrived(event.xselection.property);
        else if (event.type == PropertyNotify && m_incremental && event.xproperty.atom == m_propertyAtom &&
                 event.xproperty.state == PropertyNewValue)
            incrementArrived();
    }
}

void X11ClipboardReader::selectionArrived(unsigned long property)
{
    if (property == None) {
        refused();
        return;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, m_requestor, m_propertyAtom, 0, PrefixBytes / 4, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) != Success) {
        refused();
        return;
    }
    QByteArray bytes;
    if (data) {
        // Xlib hands 32-bit items over as longs.
        const int itemSize = format == 32 ? int(sizeof(long)) : format / 8;
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(count) * itemSize);
        XFree(data);
    }
    // Deleting the property tells the owner we have it (and, for a long answer, to send the first piece).
    XDeleteProperty(m_display, m_requestor, m_propertyAtom);
    XFlush(m_display);
    if (type == m_incrAtom) {
        m_incremental = true;
        return;
    }
    answered(type, bytes);
}

void X11ClipboardReader::incrementArrived()
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, m_requestor, m_propertyAtom, 0, PrefixBytes / 4, True, AnyPropertyType,
                           &type, &format, &count, &after, &data) != Success) {
        refused();
        return;
    }
    const qsizetype size = data && format == 8 ? qsizetype(count) : 0;
    if (data) {
        m_collected.append(reinterpret_cast<const char*>(data), size);
        XFree(data);
    }
    if (after > 0)
        XDeleteProperty(m_display, m_requestor, m_propertyAtom);
    XFlush(m_display);
    if (m_incrementalType == 0 && type != None)
        m_incrementalType = type;
    // An empty piece ends the answer; enough for the preview ends our interest in the rest.
    if (size == 0 || m_collected.size() >= PrefixBytes) {
        m_incremental = false;
        const QByteArray whole = m_collected;
        answered(m_incrementalType, whole);
    }
}

void X11ClipboardReader::answered(unsigned long type, const QByteArray& bytes)
{
    KDBG("answered step %d type %lu %d bytes\n", int(m_step), type, int(bytes.size()));
    switch (m_step) {
    case Step::Idle:
        return;
    case Step::Targets: {
        const ClipboardOffer offer = examineClipboardTargets(atomNames(bytes));
        m_textTarget = offer.textTarget;
        if (offer.hasSecretHint)
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
        finish(ClipboardContent::ofText(
            decodeClipboardText(bytes, type == XA_STRING ? QStringView(u"STRING") : QStringView(u"UTF8_STRING"))));
        return;
    }
}

void X11ClipboardReader::refused()
{
    KDBG("refused step %d\n", int(m_step));
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

void X11ClipboardReader::askForText()
{
    if (m_textTarget.isEmpty()) {
        finish(ClipboardContent::noText());
        return;
    }
    request(XInternAtom(m_display, m_textTarget.toLatin1().constData(), False), Step::Text);
}

QStringList X11ClipboardReader::atomNames(const QByteArray& atomList)
{
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

void X11ClipboardReader::finish(const ClipboardContent& content)
{
    auto done = std::move(m_done);
    const bool deliver = !m_hasContext || m_context;
    abandon();
    if (done && deliver)
        done(content);
}

void X11ClipboardReader::abandon()
{
    m_deadline.stop();
    if (m_display && m_requestor) {
        // Owners still sending to it give up when the window goes.
        XDestroyWindow(m_display, m_requestor);
        XFlush(m_display);
    }
    m_requestor = 0;
    m_step = Step::Idle;
    m_done = nullptr;
    m_context = nullptr;
    m_hasContext = false;
    m_textTarget.clear();
    m_incremental = false;
    m_incrementalType = 0;
    m_collected.clear();
}

} // namespace kopix
