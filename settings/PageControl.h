#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QStackedWidget;
class QToolButton;

namespace kopix {

// Pages with their tabs in as many rows as the width needs, so every tab shows whole in a narrow dialog
// (a one-row tab bar would hide some behind scroll arrows). A tab lights up under the pointer.
class PageControl : public QWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr);

    int addPage(QWidget* page, const QString& caption);
    int count() const { return int(m_tabs.size()); }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);
    QWidget* currentPage() const;
    QToolButton* tab(int index) const { return m_tabs.value(index); }

Q_SIGNALS:
    void currentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOutTabs();

    QWidget* m_tabArea;
    QStackedWidget* m_pages;
    QList<QToolButton*> m_tabs;
    int m_current = -1;
};

} // namespace kopix
