#include "mainwin/CopyStrips.h"

#include "mainwin/Colors.h"
#include "mainwin/DocumentListView.h"

#include <QAccessible>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPointingDevice>

namespace kopix {

namespace {

QFrame* makeStrip(const QString& name, QWidget& parent) {
    auto* strip = new QFrame(&parent);
    strip->setObjectName(name);
    strip->setFixedWidth(16);
    strip->setFrameStyle(QFrame::Panel | QFrame::Raised);
    strip->setLineWidth(1);
    // The strip paints its own colour, opaque, rather than the themed background behind it.
    strip->setAutoFillBackground(true);
    strip->setMouseTracking(true);
    strip->setAccessibleDescription(
        CopyStrips::tr("選んだ行を、ポインタが載るとコピーする（水色：未コピー、紺：コピー済み）"));
    return strip;
}

} // namespace

CopyStrips::CopyStrips(DocumentListView& list, QWidget& stripsParent, Window window, QObject* parent)
    : QObject(parent), m_list(list), m_window(std::move(window)),
      m_left(makeStrip(QStringLiteral("Pnl1"), stripsParent)),
      m_right(makeStrip(QStringLiteral("Pnl2"), stripsParent)) {
    connect(&m_list, &DocumentListView::pressed, this, &CopyStrips::LBoxMouseDown);
    connect(&m_list, &DocumentListView::keyDown, this, &CopyStrips::LBoxKeyDown);
    // The file was read again in the middle of a drag, which went on selecting: the copy state follows
    // what is selected, as after the press the drag started with.
    connect(&m_list, &DocumentListView::selectedAcrossReload, this, &CopyStrips::arm);
    m_left->installEventFilter(this);
    m_right->installEventFilter(this);
    NameStripsForScreenReaders(STS);
}

bool CopyStrips::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        Pnl1MouseMove(*static_cast<QMouseEvent*>(event));
    return QObject::eventFilter(watched, event);
}

TColor CopyStrips::stripColour(TSTS state) {
    switch (state) {
    case TSTS::Sel0:
        return clBtnFace;
    case TSTS::SelN:
        return clAqua;
    case TSTS::SelC:
        return clNavy;
    }
    return clBtnFace;
}

void CopyStrips::SetSTS(TSTS state) {
    STS = state;
    if (state == TSTS::SelC)
        CopySelectionToClipboard();
    NameStripsForScreenReaders(state);
    // A link launch keeps its own colour on the strips while a selection is armed again meanwhile.
    if (state == TSTS::SelN && m_window.isLaunching())
        return;
    PaintStrips(stripColour(state));
}

void CopyStrips::arm() {
    if (STS != TSTS::SelN)
        SetSTS(TSTS::SelN);
}

void CopyStrips::copyArmed() {
    if (STS == TSTS::SelN)
        SetSTS(TSTS::SelC);
}

void CopyStrips::LinkLaunchEnded() {
    // A selection waiting to be copied is entered again (aqua); idle and copied only get their colour
    // back, so nothing is copied twice and the green never stays behind.
    if (STS == TSTS::SelN)
        SetSTS(TSTS::SelN);
    else
        PaintStrips(stripColour(STS));
}

void CopyStrips::PaintStrips(TColor colour) {
    for (QFrame* strip : {m_left, m_right}) {
        QPalette palette = strip->palette();
        palette.setColor(QPalette::Window, toQColor(colour, palette));
        strip->setPalette(palette);
    }
}

void CopyStrips::NameStripsForScreenReaders(TSTS state) {
    // Their colour, said: a selection waits (aqua), or has just been copied (navy). A copy is said anew
    // each time, also one of the same rows again.
    const QString said = state == TSTS::SelN   ? tr("：選択中（未コピー）")
                         : state == TSTS::SelC ? tr("：コピーしました")
                                               : QString();
    for (const auto& [strip, name] :
         {std::pair{m_left, tr("左のコピー帯")}, std::pair{m_right, tr("右のコピー帯")}}) {
        if (state == TSTS::SelC && strip->accessibleName() == name + said)
            strip->setAccessibleName(name);
        strip->setAccessibleName(name + said);
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (state == TSTS::SelC) {
        QAccessibleAnnouncementEvent copied(&m_list, tr("コピーしました"));
        QAccessible::updateAccessibility(&copied);
    }
#endif
}

void CopyStrips::LBoxMouseDown(Qt::MouseButtons buttons, const QPoint& position) {
    // The right button opens the menu; it never arms the gesture.
    if (buttons & Qt::RightButton)
        return;
    if (STS == TSTS::SelN)
        return;
    if (m_list.indexAt(position).isValid())
        SetSTS(TSTS::SelN);
}

void CopyStrips::Pnl1MouseMove(const QMouseEvent& event) {
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const QInputDevice::DeviceType device =
        event.device() ? event.device()->type() : QInputDevice::DeviceType::Mouse;
    const bool fromMouse =
        device == QInputDevice::DeviceType::Mouse || device == QInputDevice::DeviceType::TouchPad;
    if (held == Qt::NoModifier && event.buttons() == Qt::NoButton && fromMouse &&
        m_list.window()->isActiveWindow() && STS == TSTS::SelN) {
        SetSTS(TSTS::SelC);
        m_window.copiedByGesture();
    }
}

void CopyStrips::LBoxKeyDown(int key) {
    TSTS target = STS;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        target = TSTS::SelC;
        break;
    case Qt::Key_Escape:
        m_window.close();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        target = TSTS::SelN;
        break;
    default:
        break;
    }
    if (target == STS)
        return;
    SetSTS(target);
    if (target == TSTS::SelC)
        m_window.copiedByGesture();
}

RowRanges CopyStrips::selectedRows() const {
    RowRanges ranges;
    for (const QItemSelectionRange& range : m_list.selectionModel()->selection())
        ranges.emplace_back(range.top(), range.bottom());
    return normalizedRanges(std::move(ranges));
}

void CopyStrips::CopySelectionToClipboard() {
    QGuiApplication::clipboard()->setText(composeCopyText(m_window.lines(), selectedRows()),
                                          QClipboard::Clipboard);
}

} // namespace kopix
