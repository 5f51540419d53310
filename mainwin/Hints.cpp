#include "mainwin/Hints.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>
#include <QWidget>

namespace kopix {

HintController::HintController(QObject* parent) : QObject(parent) {
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(ShowAfterMs);
    connect(&m_showTimer, &QTimer::timeout, this, &HintController::show);
}

void HintController::setDelaysForTest(int showAfterMs, int hideAfterMs) {
    m_showTimer.setInterval(showAfterMs);
    m_hideAfterMs = hideAfterMs;
}

void HintController::addHint(QWidget* widget, const QString& hint, bool onFrameOnly) {
    m_hints.insert(widget, hint);
    widget->setToolTip(hint);
    // What the hint says is what a screen reader says about the control.
    widget->setAccessibleDescription(hint);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this, widget] { m_hints.remove(widget); });
    if (!onFrameOnly)
        return;
    for (QWidget* inside : widget->findChildren<QWidget*>()) {
        m_insideFrames.insert(inside, widget);
        inside->installEventFilter(this);
        connect(inside, &QObject::destroyed, this, [this, inside] { m_insideFrames.remove(inside); });
    }
}

bool HintController::eventFilter(QObject* watched, QEvent* event) {
    if (QWidget* frame = m_insideFrames.value(watched)) {
        // Over a control inside the frame no hint shows; back on the frame, it comes again.
        if (event->type() == QEvent::Enter && frame == m_under) {
            m_showTimer.stop();
            QToolTip::hideText();
        } else if (event->type() == QEvent::Leave && frame == m_under) {
            m_showTimer.start();
        } else if (event->type() == QEvent::ToolTip) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    if (!m_hints.contains(watched))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ToolTip:
        return true; // the timing is ours, not the style's
    case QEvent::Enter:
        m_under = static_cast<QWidget*>(watched);
        m_showTimer.start();
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
        if (watched == m_under)
            hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void HintController::show() {
    if (!m_under || !m_under->isVisible())
        return;
    QToolTip::showText(QCursor::pos(), m_hints.value(m_under), m_under, m_under->rect(), m_hideAfterMs);
}

void HintController::hide() {
    m_showTimer.stop();
    m_under.clear();
    QToolTip::hideText();
}

} // namespace kopix
