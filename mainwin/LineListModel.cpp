#include "mainwin/LineListModel.h"

#include <limits>

namespace kopix {

void LineListModel::setLines(LineStore lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

QModelIndex LineListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0 || parent.isValid() || row >= m_lines.count())
        return QModelIndex();
    return createIndex(row, column);
}

int LineListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    // Qt's views count rows in int; a file with more lines than that shows its first 2^31 - 1.
    return int(std::min<qsizetype>(m_lines.count(), std::numeric_limits<int>::max()));
}

QVariant LineListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_lines.line(index.row()).toString();
    return QVariant();
}

} // namespace kopix
