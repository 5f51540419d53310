#include "settings/PageControl.h"

#include "mainwin/AccessibleRoles.h"

#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kopix {

PageControl::PageControl(QWidget* parent)
    : QWidget(parent), m_tabArea(new QWidget(this)), m_pages(new QStackedWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabArea);
    layout->addWidget(m_pages, 1);
    m_pages->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setAccessibleRole(m_tabArea, QAccessible::PageTabList);
}

int PageControl::addPage(QWidget* page, const QString& caption) {
    auto* tab = new QToolButton(m_tabArea);
    setAccessibleRole(tab, QAccessible::PageTab);
    tab->setText(caption);
    tab->setCheckable(true);
    tab->setAutoExclusive(true);
    tab->setAutoRaise(true);
    tab->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const int index = int(m_tabs.size());
    m_tabs.append(tab);
    m_pages->addWidget(page);
    connect(tab, &QToolButton::clicked, this, [this, index] { setCurrentIndex(index); });
    if (m_current < 0)
        setCurrentIndex(0);
    layOutTabs();
    return index;
}

void PageControl::setCurrentIndex(int index) {
    if (index < 0 || index >= count())
        return;
    m_tabs[index]->setChecked(true);
    if (index == m_current)
        return;
    // Screen readers hear which page tab is selected now.
    for (const int changed : {m_current, index}) {
        if (changed < 0)
            continue;
        QAccessible::State selected;
        selected.selected = true;
        QAccessibleStateChangeEvent event(m_tabs[changed], selected);
        QAccessible::updateAccessibility(&event);
    }
    m_current = index;
    m_pages->setCurrentIndex(index);
    Q_EMIT currentChanged(index);
}

QWidget* PageControl::currentPage() const {
    return m_pages->currentWidget();
}

void PageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutTabs();
}

void PageControl::layOutTabs() {
    // Left to right, a new row when the next tab would not fit.
    const int width = std::max(1, this->width());
    int x = 0, y = 0, rowHeight = 0;
    for (QToolButton* tab : m_tabs) {
        const QSize size = tab->sizeHint();
        if (x > 0 && x + size.width() > width) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        tab->setGeometry(QRect(QPoint(x, y), size));
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
    m_tabArea->setFixedHeight(y + rowHeight);
}

} // namespace kopix
