#include "mainwin/StatusPanel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>

namespace kopix {

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent), m_noteTimer(new QTimer(this)) {
    m_noteTimer->setSingleShot(true);
    m_noteTimer->setInterval(NoteLifetime);
    connect(m_noteTimer, &QTimer::timeout, this, [this] {
        m_note.clear();
        shownTextChanged();
    });
}

void StatusPanel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    shownTextChanged();
}

void StatusPanel::showNote(const QString& note) {
    m_note = note;
    m_noteTimer->start();
    shownTextChanged();
}

void StatusPanel::setSpokenLabel(const QString& label, std::function<QString(const QString&)> spoken) {
    m_label = label;
    m_spoken = std::move(spoken);
    shownTextChanged();
}

void StatusPanel::shownTextChanged() {
    update();
    if (m_label.isEmpty())
        return;
    // The name changes with the text, which screen readers hear of.
    const QString shown = shownText();
    const QString spoken = m_spoken          ? m_spoken(shown)
                           : shown.isEmpty() ? m_label
                                             : tr("%1：%2").arg(m_label, shown);
    if (spoken != accessibleName())
        setAccessibleName(spoken);
}

QString StatusPanel::shownText() const {
    QString shown = m_note.isEmpty() ? m_text : m_note;
    shown.replace(u'\n', u'↵');
    return shown;
}

bool StatusPanel::showsWholeText() const {
    return TextIndent + fontMetrics().horizontalAdvance(shownText()) <= contentsRect().width();
}

QSize StatusPanel::sizeHint() const {
    return QSize(TextIndent + fontMetrics().horizontalAdvance(shownText()) + 2 * frameWidth(),
                 fontMetrics().height());
}

QSize StatusPanel::minimumSizeHint() const {
    return QSize(0, 0);
}

void StatusPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics = fontMetrics();
    // One line, centred in the height; drawing at a point never breaks it.
    const int baseline = inside.top() + (inside.height() - metrics.height()) / 2 + metrics.ascent();
    painter.drawText(QPoint(inside.left() + TextIndent, baseline), shownText());
}

StatusPanelRow::StatusPanelRow(QStatusBar* bar) : QWidget(bar), m_bar(bar), m_row(new QHBoxLayout(this)) {
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(0);
    bar->installEventFilter(this);
    followBar();
}

StatusPanel* StatusPanelRow::addPanel(const QString& name, int fixedWidth) {
    auto* panel = new StatusPanel(this);
    panel->setObjectName(name);
    if (fixedWidth > 0) {
        panel->setFixedWidth(fixedWidth);
    } else {
        // A long text must not widen the window: the panel shows what fits.
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    m_row->addWidget(panel, fixedWidth > 0 ? 0 : 1);
    return panel;
}

bool StatusPanelRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_bar && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest ||
                             event->type() == QEvent::ChildAdded))
        followBar();
    return QWidget::eventFilter(watched, event);
}

void StatusPanelRow::followBar() {
    // The whole width; a line of bevel above and below, as the bar draws its own items.
    setGeometry(m_bar->rect().adjusted(0, 2, 0, -1));
    for (QSizeGrip* grip : m_bar->findChildren<QSizeGrip*>(Qt::FindDirectChildrenOnly))
        grip->raise();
}

} // namespace kopix
