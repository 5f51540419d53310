#include "mainwin/ModalWatcher.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QWidget>

namespace kopix {

ModalWatcher::ModalWatcher(std::function<void()> begin, std::function<void()> end, QObject* parent)
    : QObject(parent), m_begin(std::move(begin)), m_end(std::move(end)) {
    qApp->installEventFilter(this);
}

bool ModalWatcher::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // A window the window manager minimised (openbox lets the user minimise any dialog) gets a spontaneous
    // Hide and, when restored, a spontaneous Show: it is still open and still modal, so only the program's
    // own showing and hiding count.
    if ((type == QEvent::Show || type == QEvent::Hide) && !event->spontaneous()) {
        // The file dialogs stand for the desktop's own, which leave the main window on top.
        if (auto* widget = qobject_cast<QWidget*>(watched);
            widget && widget->isWindow() && widget->isModal() && !qobject_cast<QFileDialog*>(widget)) {
            if (type == QEvent::Show)
                opened(widget);
            else
                closed(widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ModalWatcher::opened(QObject* window) {
    if (m_open.contains(window))
        return;
    m_open.insert(window);
    // A window destroyed while shown never sends its Hide.
    connect(window, &QObject::destroyed, this, [this, window] { closed(window); });
    if (m_open.size() == 1 && m_begin)
        m_begin();
}

void ModalWatcher::closed(QObject* window) {
    if (!m_open.remove(window))
        return;
    disconnect(window, nullptr, this, nullptr);
    if (m_open.isEmpty() && m_end)
        m_end();
}

} // namespace kopix
