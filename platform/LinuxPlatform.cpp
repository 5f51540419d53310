#include "platform/LinuxPlatform.h"

#include "core/FileSystem.h"
#include "core/HelpPages.h"
#include "core/PathBytes.h"
#include "core/PathRules.h"
#include "core/WindowGeometry.h"
#include "platform/DetachedProcess.h"
#include "platform/MessageDialog.h"
#include "platform/X11Activation.h"
#include "platform/X11ActiveWindow.h"
#include "platform/X11Clipboard.h"
#include "platform/X11Connection.h"
#include "platform/X11FrameExtents.h"
#include "platform/X11GlobalKey.h"
#include "platform/X11NumLock.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <limits>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace kopix {

namespace {

bool readFlag(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(1) == "1";
}

} // namespace

bool blockDeviceIsRemovable(const QString& sysfsRoot, unsigned major, unsigned minor) {
    const QString device =
        QFileInfo(sysfsRoot + QStringLiteral("/dev/block/%1:%2").arg(major).arg(minor)).canonicalFilePath();
    if (device.isEmpty())
        return false;
    // A partition has a "partition" file and its disk is the folder above it.
    if (QFileInfo::exists(device + QStringLiteral("/removable")))
        return readFlag(device + QStringLiteral("/removable"));
    return readFlag(QFileInfo(device).path() + QStringLiteral("/removable"));
}

LinuxPlatform::LinuxPlatform() = default;

LinuxPlatform::~LinuxPlatform() = default;

bool LinuxPlatform::isOnRemovableDrive(const QString& folder) {
    struct stat info {};
    if (::stat(pathBytes(folder).constData(), &info) != 0)
        return false;
    return blockDeviceIsRemovable(QStringLiteral("/sys"), major(info.st_dev), minor(info.st_dev));
}

QRect LinuxPlatform::workAreaNear(const QRect& rect) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> geometries;
    for (QScreen* screen : screens)
        geometries.append(screen->geometry());
    const int nearest = nearestScreen(rect, geometries);
    if (nearest < 0)
        return rect;
    return screens[nearest]->availableGeometry();
}

QRect LinuxPlatform::normalRectangle(const QWidget* window) {
    const QRect inner = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
    QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    // A maximised (or full-screen) window has the frame of that state: openbox drops the borders, so the
    // normal rectangle worked out with it would lie a pixel right of and below the real one, and a pixel
    // smaller each way, on every exit. The frame of the normal state is asked for instead.
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        if (const std::optional<QMargins> normal = normalFrameExtents(window->windowFlags()))
            frame = *normal;
    }
    return inner.marginsAdded(frame);
}

QMargins LinuxPlatform::frameExtents(QWidget* window) {
    if (const QWindow* handle = window->windowHandle(); handle && window->isVisible()) {
        if (const QMargins known = handle->frameMargins(); !known.isNull())
            return known;
    }
    return normalFrameExtents(window->windowFlags()).value_or(QMargins());
}

void LinuxPlatform::askFrameExtents(Qt::WindowFlags flags) {
    m_frameQuestion = FrameQuestion{flags, askAboutStandIn(flags)};
}

std::unique_ptr<QWidget> LinuxPlatform::askAboutStandIn(Qt::WindowFlags flags) {
    const std::optional<X11Connection> x11 = applicationX11Connection();
    if (!x11)
        return nullptr;
    // The window manager is asked about a stand-in with the same flags, so the same type and decorations
    // (and in the normal state): making the window's own X window this early would turn its later moves
    // into moves of the client area rather than of the frame.
    auto standIn = std::make_unique<QWidget>(nullptr, flags);
    if (!kopix::askFrameExtents(x11->display, static_cast<unsigned long>(standIn->winId())))
        return nullptr;
    return standIn;
}

std::optional<QMargins> LinuxPlatform::normalFrameExtents(Qt::WindowFlags flags) {
    // A question asked ahead for these flags has its answer waiting, usually.
    std::unique_ptr<QWidget> standIn;
    if (m_frameQuestion && m_frameQuestion->flags == flags)
        standIn = std::move(m_frameQuestion->standIn);
    else
        standIn = askAboutStandIn(flags);
    m_frameQuestion.reset();
    if (!standIn)
        return std::nullopt;
    return awaitFrameExtents(applicationX11Connection()->display,
                             static_cast<unsigned long>(standIn->winId()), 300);
}

void LinuxPlatform::setStayOnTop(QWidget* window, bool onTop) {
    // Changing the flags of the QWindow asks the window manager to switch _NET_WM_STATE_ABOVE on the
    // mapped window; QWidget::setWindowFlag would hide and re-create it.
    QWindow* handle = window->windowHandle();
    if (!handle) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        return;
    }
    Qt::WindowFlags flags = handle->flags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    handle->setFlags(flags);
}

void LinuxPlatform::bringToFront(QWidget* window) {
    // A box open over the window is what wants an answer.
    QWidget* target = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : window;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && target->windowHandle())
        requestActivationByUser(x11->display(), static_cast<unsigned long>(target->winId()), m_globalKeyTime);
    else
        target->activateWindow();
}

int LinuxPlatform::showMessage(const MessageRequest& request) {
    if (m_askingStopped) {
        qWarning().noquote() << request.text.section(QStringLiteral("\r\n"), 0, 0);
        return MessageDialog::cancelledAnswer(request.buttons);
    }
    return MessageDialog::run(request, [this](int context) { showHelp(context); });
}

void LinuxPlatform::showErrorBox(QWidget* owner, const QString& title, const QString& text) {
    if (m_askingStopped) {
        qWarning().noquote() << text;
        return;
    }
    MessageDialog::runErrorBox(owner, title, text);
}

void LinuxPlatform::stopAsking() {
    m_askingStopped = true;
    cancelModalWindows();
}

QString LinuxPlatform::showHelp(int context) {
    const QString program = folderPart(executablePath());
    if (const QString page = helpPage(program, context); !page.isEmpty())
        return openWithDesktopProgram(DesktopTarget::HelpPage, page, executablePath());
    // A copy built or unpacked without them: the user learns where they were looked for.
    const QStringList folders = helpFolders(program);
    return QCoreApplication::translate("LinuxPlatform",
                                       "ヘルプのページがありません（%1 にも %2 にもありません）。")
        .arg(pathForDisplay(folders[0]), pathForDisplay(folders[1]));
}

bool LinuxPlatform::startProgram(const QString& program, const QString& argument) {
    // Its own process, not waited for: what it does then is its own affair.
    return startDetachedProcess(program, {argument});
}

QString LinuxPlatform::openWithDesktop(const QString& path, DesktopTarget target) {
    return openWithDesktopProgram(target, path, executablePath());
}

X11NumLock& LinuxPlatform::numLock() {
    if (!m_numLock)
        m_numLock = std::make_unique<X11NumLock>();
    return *m_numLock;
}

qint64 LinuxPlatform::memoryBytes() {
    // A system that does not say is taken to have as much as any machine Kopix runs on.
    return physicalMemoryBytes().value_or(std::numeric_limits<qint64>::max());
}

std::optional<bool> LinuxPlatform::numLockOn() {
    return numLock().isOn();
}

void LinuxPlatform::watchNumLock(std::function<void()> onChange) {
    numLock().watch(std::move(onChange));
}

QString LinuxPlatform::openUrl(const QUrl& url) {
    // A program that opens anything would as gladly open a local file or start a program; web pages only.
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return QString();
    return openWithDesktopProgram(DesktopTarget::WebPage, url.toString(QUrl::FullyEncoded), executablePath());
}

void LinuxPlatform::readClipboard(QObject* context, std::function<void(const ClipboardContent&)> done) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && !m_clipboardReader)
        m_clipboardReader =
            std::make_unique<X11ClipboardReader>(X11ClipboardReader::applicationDisplayName());
    // Our own copies are at hand in this process; so is everything on a platform without X. Should no
    // connection of our own be possible, Qt's read (which waits for the owner) is all there is.
    if (!x11 || !m_clipboardReader->isConnected() || clipboard->ownsClipboard()) {
        if (m_clipboardReader)
            m_clipboardReader->cancel(); // a slower read still running is out of date now
        done(clipboardContentOf(clipboard->mimeData()));
        return;
    }
    m_clipboardReader->read(context, std::move(done));
}

namespace {

// A paste's read: this program's own text is taken from Qt at once; another program's through a reader
// of its own, which never waits for an owner that does not answer.
void readWholeText(std::unique_ptr<X11ClipboardReader>& reader, X11ClipboardReader::Selection selection,
                   QObject* context, std::function<void(const std::optional<QString>&)> done) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QClipboard::Mode mode =
        selection == X11ClipboardReader::Selection::Primary ? QClipboard::Selection : QClipboard::Clipboard;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && !reader)
        reader = std::make_unique<X11ClipboardReader>(X11ClipboardReader::applicationDisplayName(),
                                                      X11ClipboardReader::Extent::WholeText, selection);
    const bool own = mode == QClipboard::Selection ? clipboard->ownsSelection() : clipboard->ownsClipboard();
    if (!x11 || !reader->isConnected() || own) {
        if (reader)
            reader->cancel();
        const QMimeData* data = clipboard->mimeData(mode);
        done(data && data->hasText() ? std::optional<QString>(data->text()) : std::nullopt);
        return;
    }
    reader->read(context, [done = std::move(done)](const ClipboardContent& content) {
        done(content.kind == ClipboardContent::Kind::Text ? std::optional<QString>(content.text)
                                                          : std::nullopt);
    });
}

} // namespace

void LinuxPlatform::readClipboardText(QObject* context,
                                      std::function<void(const std::optional<QString>&)> done) {
    readWholeText(m_pasteReader, X11ClipboardReader::Selection::Clipboard, context, std::move(done));
}

void LinuxPlatform::readPrimaryText(QObject* context,
                                    std::function<void(const std::optional<QString>&)> done) {
    readWholeText(m_primaryReader, X11ClipboardReader::Selection::Primary, context, std::move(done));
}

X11ActiveWindow& LinuxPlatform::activeWindow() {
    if (!m_activeWindow)
        m_activeWindow = std::make_unique<X11ActiveWindow>();
    return *m_activeWindow;
}

bool LinuxPlatform::followActiveWindow() {
    return activeWindow().start();
}

OtherWindow LinuxPlatform::previousWindow() {
    return OtherWindow(activeWindow().previous());
}

void LinuxPlatform::pasteInto(OtherWindow window, QKeyCombination key,
                              std::function<void(PasteOutcome)> done) {
    // Shift+Insert pastes the primary selection in xterm and other X programs, not the clipboard: for the
    // paste it holds the text just copied too, rather than whatever was last selected (the find box's text).
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (key == QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert) && clipboard->supportsSelection() &&
        clipboard->ownsClipboard())
        clipboard->setText(clipboard->text(QClipboard::Clipboard), QClipboard::Selection);
    activeWindow().pasteInto(window.native(), key, std::move(done));
}

bool LinuxPlatform::activateOtherWindow(OtherWindow window) {
    return activeWindow().activate(window.native());
}

X11GlobalKey& LinuxPlatform::globalKey() {
    if (!m_globalKey)
        m_globalKey = std::make_unique<X11GlobalKey>();
    return *m_globalKey;
}

QString LinuxPlatform::grabGlobalKey(QKeyCombination key, std::function<void()> pressed,
                                     std::function<void(const QString& problem)> changed) {
    // The key reaches Kopix on a connection of its own, not through Qt: its time is what the window
    // manager is shown when Kopix asks for a window to come forward.
    return globalKey().grab(
        key,
        [this, pressed = std::move(pressed)](quint32 time) {
            activeWindow().noteUserTime(time);
            m_globalKeyTime = time;
            pressed();
            m_globalKeyTime = 0;
        },
        std::move(changed));
}

QString LinuxPlatform::probeGlobalKey(QKeyCombination key) {
    return globalKey().probe(key);
}

} // namespace kopix
