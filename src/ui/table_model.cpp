#include "ui/table_model.h"

#include "ui/text_convert.h"

#include <algorithm>

namespace lexmora::ui {

namespace {

bool isNumber(ColumnKind kind) {
    return kind != ColumnKind::Text;
}

QString firstColumnText(const Row& row, const Column& column) {
    return row.empty() ? QString() : toQt(CellText(row.front(), column, true));
}

} // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TableModel::setTable(Table table) {
    beginResetModel();
    m_table = std::move(table);
    m_sortColumn = -1;
    rebuildShown();
    endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.columns.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const auto column = static_cast<std::size_t>(index.column());
    const Column& kind = m_table.columns[column];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (isNumber(kind.kind) ? Qt::AlignRight : Qt::AlignLeft));
    const Row& row = m_table.rows[static_cast<std::size_t>(tableRowAt(index.row()))];
    if (role == Qt::BackgroundRole)
        return m_rowBrush ? m_rowBrush(row) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    if (column >= row.size())
        return QString();
    return toQt(CellText(row[column], kind, true));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= columnCount())
        return {};
    const Column& column = m_table.columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return toQt(column.name);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (isNumber(column.kind) ? Qt::AlignRight : Qt::AlignLeft));
    // A first click on a number column shows the highest first; text goes from A.
    if (role == Qt::InitialSortOrderRole)
        return isNumber(column.kind) ? Qt::DescendingOrder : Qt::AscendingOrder;
    return {};
}

void TableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount())
        return;
    Q_EMIT layoutAboutToBeChanged();
    SortRows(m_table.rows, static_cast<std::size_t>(column), order == Qt::DescendingOrder);
    m_sortColumn = column;
    rebuildShown();
    Q_EMIT layoutChanged();
}

void TableModel::setFilter(const QString& text) {
    if (text == m_filter)
        return;
    beginResetModel();
    m_filter = text;
    rebuildShown();
    endResetModel();
}

int TableModel::tableRowAt(int viewRow) const {
    if (viewRow < 0 || viewRow >= static_cast<int>(m_shown.size()))
        return -1;
    return m_shown[static_cast<std::size_t>(viewRow)];
}

int TableModel::viewRowOf(int tableRow) const {
    const auto found = std::find(m_shown.begin(), m_shown.end(), tableRow);
    return found == m_shown.end() ? -1 : static_cast<int>(found - m_shown.begin());
}

Table TableModel::shownTable() const {
    std::vector<int> all(m_shown.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<int>(i);
    return tableOfViewRows(std::move(all));
}

Table TableModel::tableOfViewRows(std::vector<int> viewRows) const {
    std::sort(viewRows.begin(), viewRows.end());
    Table part;
    part.columns = m_table.columns;
    part.rows.reserve(viewRows.size());
    for (const int viewRow : viewRows) {
        const int tableRow = tableRowAt(viewRow);
        if (tableRow >= 0)
            part.rows.push_back(m_table.rows[static_cast<std::size_t>(tableRow)]);
    }
    return part;
}

void TableModel::rebuildShown() {
    m_shown.clear();
    m_shown.reserve(m_table.rows.size());
    if (m_table.columns.empty())
        return;
    for (std::size_t i = 0; i < m_table.rows.size(); ++i) {
        if (m_filter.isEmpty() || firstColumnText(m_table.rows[i], m_table.columns.front())
                                      .contains(m_filter, Qt::CaseInsensitive))
            m_shown.push_back(static_cast<int>(i));
    }
}

} // namespace lexmora::ui
