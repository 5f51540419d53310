#pragma once

#include "core/LineStore.h"

#include <QAbstractListModel>

namespace kopix {

// The document's lines as rows of the list. Holds the line storage itself; a row's text is made only
// when the view asks for it.
class LineListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every row in one reset.
    void setLines(LineStore lines);
    const LineStore& lines() const { return m_lines; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // Made here without the base class's range check, which asks rowCount() (a virtual call) for every
    // index the view makes.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    LineStore m_lines;
};

} // namespace kopix
