#include "mainwin/LineListModel.h"

#include <limits>

namespace kopix {

void LineListModel::setLines(LineStore lines) {
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
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
