#include "mainwin/FindBar.h"

#include "mainwin/DocumentListView.h"
#include "mainwin/Fonts.h"
#include "mainwin/LineDelegate.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace kopix {

FindBar::FindBar(DocumentListView& list, LineDelegate& delegate, Window window, QWidget* parent)
    : QWidget(parent), m_list(list), m_delegate(delegate), m_window(std::move(window)) {
    setObjectName(QStringLiteral("FindBar"));
    auto* caption = new QLabel(QStringLiteral("検索(&S)："), this);
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("EdFind"));
    m_box->setFont(designFont(ListFace, 14));
    m_box->setAccessibleName(QStringLiteral("検索する文字"));
    m_box->setAccessibleDescription(
        QStringLiteral("入力した文字を含む行へ移動する。↓・↑で次・前、Enterでコピー、Escで閉じる"));
    caption->setBuddy(m_box);
    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("BtnFindClose"));
    m_closeButton->setText(QStringLiteral("×"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setAccessibleName(QStringLiteral("検索を閉じる"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 0, 1);
    row->setSpacing(2);
    row->addWidget(caption);
    row->addWidget(m_box, 1);
    row->addWidget(m_closeButton);
    setFixedHeight(24);
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textEdited, this, &FindBar::textEdited);
    connect(m_closeButton, &QToolButton::clicked, this, &FindBar::closeBar);
    hide();
}

QColor FindBar::warningColour() {
    return QColor(255, 102, 102);
}

void FindBar::openBar() {
    show();
    m_box->setFocus(Qt::ShortcutFocusReason);
    m_box->selectAll();
    mark(m_box->text());
}

void FindBar::closeBar() {
    hide();
    mark(QString());
    m_list.setFocus(Qt::OtherFocusReason);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Escape:
        closeBar();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        copyFound();
        return true;
    case Qt::Key_Down:
        step(FindDirection::Forward);
        return true;
    case Qt::Key_Up:
        step(FindDirection::Backward);
        return true;
    case Qt::Key_G:
        if (modifiers == Qt::ControlModifier)
            step(FindDirection::Forward);
        else if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
            step(FindDirection::Backward);
        else
            break;
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::textEdited(const QString& text) {
    mark(text);
    if (text.isEmpty()) {
        showNoMatch(false);
        return;
    }
    const QModelIndex current = m_list.currentIndex();
    showNoMatch(!find(current.isValid() ? current.row() : 0, FindDirection::Forward));
}

void FindBar::copyFound() {
    if (m_noMatch) {
        // The bar stays open, so the text can be corrected.
        m_window.note(tr("「%1」はどの行にもないため、コピーしません").arg(m_box->text()));
        return;
    }
    // The row found is copied as Enter in the list copies it; the text stays for the next time.
    closeBar();
    m_window.copy();
}

void FindBar::step(FindDirection direction) {
    if (m_box->text().isEmpty())
        return;
    const LineStore& lines = m_window.lines();
    const QModelIndex current = m_list.currentIndex();
    const qsizetype row = current.isValid() ? current.row() : 0;
    const qsizetype count = std::max<qsizetype>(lines.count(), 1);
    const qsizetype from =
        direction == FindDirection::Forward ? (row + 1) % count : (row + count - 1) % count;
    showNoMatch(!find(from, direction));
}

bool FindBar::find(qsizetype fromRow, FindDirection direction) {
    const std::optional<FindHit> hit = findInLines(m_window.lines(), m_box->text(), fromRow, direction);
    if (!hit)
        return false;
    // As a click on the row would: the one row selected, the caret on it, the copy gesture armed.
    const QModelIndex index = m_list.model()->index(int(hit->row), 0);
    m_list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_list.scrollTo(index);
    m_window.armCopy();
    return true;
}

void FindBar::showNoMatch(bool noMatch) {
    if (noMatch == m_noMatch)
        return;
    m_noMatch = noMatch;
    QPalette palette = m_box->palette();
    palette.setColor(QPalette::Base, noMatch ? warningColour() : QWidget::palette().color(QPalette::Base));
    m_box->setPalette(palette);
}

void FindBar::mark(const QString& text) {
    m_delegate.setFindText(text);
    m_list.viewport()->update();
}

} // namespace kopix
