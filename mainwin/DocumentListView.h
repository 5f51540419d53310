#pragma once

#include <QListView>

namespace kopix {

// The list of the document's lines: rows of one height, extended multi-selection, a drop target for files.
class DocumentListView : public QListView {
    Q_OBJECT
public:
    explicit DocumentListView(QWidget* parent = nullptr);

Q_SIGNALS:
    // Local files dropped on the list, in the order given.
    void filesDropped(const QStringList& paths);
    // Any double-click in the list, also below the last row.
    void listDoubleClicked();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace kopix
