#include "mainwin/FindBar.h"

#include "mainwin/DocumentListView.h"
#include "mainwin/Fonts.h"
#include "mainwin/LineDelegate.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>

namespace kopix {

namespace {

// A slice of a search goes on for about this long, so that the window answers again well within a tenth of
// a second; a million rows take much less, so most searches end in their first slice, inside the keystroke.
constexpr std::chrono::milliseconds SliceTime{40};
// Between looks at the clock, the characters searched: a few milliseconds' worth even where nearly every
// character begins a partial match.
constexpr qsizetype StepCharacters = qsizetype(1) << 20;

QString boxDescription() {
    return QStringLiteral("入力した文字を含む行へ移動する。↓・↑で次・前、Enterでコピー、Escで閉じる");
}

} // namespace

FindBar::FindBar(DocumentListView& list, LineDelegate& delegate, Window window, QWidget* parent)
    : QWidget(parent), m_list(list), m_delegate(delegate), m_window(std::move(window)) {
    setObjectName(QStringLiteral("FindBar"));
    auto* caption = new QLabel(QStringLiteral("検索(&S)："), this);
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("EdFind"));
    m_box->setFont(designFont(ListFace, 14));
    m_box->setAccessibleName(QStringLiteral("検索する文字"));
    m_box->setAccessibleDescription(boxDescription());
    caption->setBuddy(m_box);
    m_closeButton = new QToolButton(this);
    m_closeButton->setObjectName(QStringLiteral("BtnFindClose"));
    m_closeButton->setText(QStringLiteral("×"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setAccessibleName(QStringLiteral("検索を閉じる"));
    m_searchingLabel = new QLabel(tr("検索中…"), this);
    m_searchingLabel->setObjectName(QStringLiteral("LblFinding"));
    m_searchingLabel->hide();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 0, 1);
    row->setSpacing(2);
    row->addWidget(caption);
    row->addWidget(m_box, 1);
    row->addWidget(m_searchingLabel);
    row->addWidget(m_closeButton);
    setFixedHeight(24);
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textEdited, this, &FindBar::textEdited);
    connect(m_closeButton, &QToolButton::clicked, this, &FindBar::closeBar);
    m_nextSlice = new QTimer(this);
    m_nextSlice->setSingleShot(true);
    m_nextSlice->setInterval(0);
    connect(m_nextSlice, &QTimer::timeout, this, &FindBar::searchSlice);
    // A search reads the lines in place: when they are replaced, it starts again over the new ones. So
    // does a text no row had: the new lines (a reload, another document) may have it.
    connect(m_list.model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (isSearching() || m_noMatch) {
            cancelSearch();
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isVisible())
                        textEdited(m_box->text());
                    else
                        showNoMatch(false);
                },
                Qt::QueuedConnection);
        }
    });
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
    cancelSearch();
    // The focus goes back to the list before the bar hides, which would hand it to the tabs on the way
    // (and a screen reader would say so).
    m_list.setFocus(Qt::OtherFocusReason);
    hide();
    mark(QString());
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
    // A search for the text before, and an Enter waiting for it, are for a text no longer there.
    cancelSearch();
    mark(text);
    if (text.isEmpty()) {
        showNoMatch(false);
        return;
    }
    const QModelIndex current = m_list.currentIndex();
    find(current.isValid() ? current.row() : 0, FindDirection::Forward);
}

void FindBar::copyFound() {
    if (isSearching()) {
        m_copyWhenFound = true;
        return;
    }
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
    if (m_box->text().isEmpty() || isSearching())
        return;
    const LineStore& lines = m_window.lines();
    const QModelIndex current = m_list.currentIndex();
    const qsizetype row = current.isValid() ? current.row() : 0;
    const qsizetype count = std::max<qsizetype>(lines.count(), 1);
    const qsizetype from =
        direction == FindDirection::Forward ? (row + 1) % count : (row + count - 1) % count;
    find(from, direction);
}

void FindBar::find(qsizetype fromRow, FindDirection direction) {
    m_search = std::make_unique<LineSearch>(m_window.lines(), m_box->text(), fromRow, direction);
    searchSlice();
}

void FindBar::searchSlice() {
    if (!m_search)
        return;
    const auto sliceEnd = std::chrono::steady_clock::now() + SliceTime;
    const qsizetype step = m_sliceForTest > 0 ? m_sliceForTest : StepCharacters;
    do {
        if (m_search->advance(step)) {
            searchEnd(m_search->hit());
            return;
        }
    } while (m_sliceForTest == 0 && std::chrono::steady_clock::now() < sliceEnd);
    // Until the search ends, it is not known whether a row has the text.
    showNoMatch(false);
    showSearching(true);
    m_nextSlice->start();
}

void FindBar::searchEnd(std::optional<FindHit> hit) {
    const bool copy = std::exchange(m_copyWhenFound, false);
    cancelSearch();
    if (hit) {
        // As a click on the row would: the one row selected, the caret on it, the copy gesture armed.
        const QModelIndex index = m_list.model()->index(int(hit->row), 0);
        m_list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list.scrollTo(index);
        m_window.armCopy();
    }
    showNoMatch(!hit);
    if (copy)
        copyFound();
    Q_EMIT searchEnded();
}

void FindBar::cancelSearch() {
    m_search.reset();
    m_nextSlice->stop();
    m_copyWhenFound = false;
    showSearching(false);
}

void FindBar::showSearching(bool searching) {
    if (m_searchingLabel->isVisibleTo(this) == searching)
        return;
    m_searchingLabel->setVisible(searching);
    // Said where the focus is, so that a screen reader tells it too.
    m_box->setAccessibleDescription(searching ? tr("検索中です。見つかるまでお待ちください")
                                              : boxDescription());
}

void FindBar::showNoMatch(bool noMatch) {
    if (noMatch == m_noMatch)
        return;
    m_noMatch = noMatch;
    // Said where the focus is, as the colour shows it.
    m_box->setAccessibleDescription(noMatch ? tr("「%1」はどの行にもありません").arg(m_box->text())
                                            : boxDescription());
    QPalette palette = m_box->palette();
    palette.setColor(QPalette::Base, noMatch ? warningColour() : QWidget::palette().color(QPalette::Base));
    m_box->setPalette(palette);
}

void FindBar::mark(const QString& text) {
    m_delegate.setFindText(text);
    m_list.viewport()->update();
}

} // namespace kopix
