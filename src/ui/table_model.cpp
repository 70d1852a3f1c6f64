#include "ui/table_model.h"

#include "ui/text_convert.h"

#include <algorithm>
#include <numeric>

namespace lexmora::ui {

namespace {

bool isNumber(ColumnKind kind) {
    return kind != ColumnKind::Text;
}

QVariant alignmentOf(ColumnKind kind) {
    return QVariant::fromValue(Qt::AlignVCenter |
                               (isNumber(kind) ? Qt::AlignRight : Qt::AlignLeft));
}

} // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TableModel::setTable(Table table) {
    setTable(ColumnTable::fromTable(std::move(table)));
}

void TableModel::setTable(ColumnTable table) {
    beginResetModel();
    m_table = std::move(table);
    m_order.resize(m_table.rowCount());
    std::iota(m_order.begin(), m_order.end(), std::uint32_t{0});
    m_sortColumn = -1;
    matchFilter();
    rebuildShown();
    endResetModel();
}

Row TableModel::rowCells(int tableRow) const {
    if (tableRow < 0 || static_cast<std::size_t>(tableRow) >= m_order.size())
        return {};
    return m_table.rowAt(storedRowOf(tableRow));
}

Table TableModel::sortedTable() const {
    return m_table.tableOf(m_order);
}

int TableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(m_filtered ? m_shown.size() : m_order.size());
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_table.columnCount());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::TextAlignmentRole)
        return alignmentOf(m_table.columns()[column].kind);
    const std::size_t stored = storedRowOf(tableRowAt(index.row()));
    if (role == Qt::BackgroundRole)
        return m_rowBrush ? m_rowBrush(m_table, stored) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (m_table.kindAt(stored, column)) {
    case CellKind::Text:
        return toQt(m_table.textAt(stored, column));
    case CellKind::Integer:
        return QString::number(static_cast<qlonglong>(m_table.integerAt(stored, column)));
    case CellKind::Real:
        return toQt(m_table.cellText(stored, column, true));
    case CellKind::Nothing:
        break;
    }
    return QString();
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    if (section < 0 || section >= columnCount())
        return {};
    const Column& column = m_table.columns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return toQt(column.name);
    if (role == Qt::TextAlignmentRole)
        return alignmentOf(column.kind);
    // A first click on a number column shows the highest first; text goes from A.
    if (role == Qt::InitialSortOrderRole)
        return isNumber(column.kind) ? Qt::DescendingOrder : Qt::AscendingOrder;
    return {};
}

void TableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount())
        return;
    Q_EMIT layoutAboutToBeChanged();
    m_table.sortRows(m_order, static_cast<std::size_t>(column), order == Qt::DescendingOrder);
    m_sortColumn = column;
    rebuildShown();
    Q_EMIT layoutChanged();
}

void TableModel::setFilter(const QString& text) {
    if (text == m_filter)
        return;
    beginResetModel();
    m_filter = text;
    matchFilter();
    rebuildShown();
    endResetModel();
}

int TableModel::tableRowAt(int viewRow) const {
    if (viewRow < 0 || viewRow >= rowCount())
        return -1;
    return m_filtered ? m_shown[static_cast<std::size_t>(viewRow)] : viewRow;
}

int TableModel::viewRowOf(int tableRow) const {
    if (tableRow < 0 || static_cast<std::size_t>(tableRow) >= m_order.size())
        return -1;
    if (!m_filtered)
        return tableRow;
    const auto found = std::find(m_shown.begin(), m_shown.end(), tableRow);
    return found == m_shown.end() ? -1 : static_cast<int>(found - m_shown.begin());
}

std::vector<std::uint32_t> TableModel::shownStoredRows() const {
    std::vector<std::uint32_t> rows;
    rows.reserve(static_cast<std::size_t>(rowCount()));
    for (int viewRow = 0; viewRow < rowCount(); ++viewRow)
        rows.push_back(storedRowOf(tableRowAt(viewRow)));
    return rows;
}

std::vector<std::uint32_t> TableModel::storedRowsOfViewRows(std::vector<int> viewRows) const {
    std::sort(viewRows.begin(), viewRows.end());
    std::vector<std::uint32_t> rows;
    rows.reserve(viewRows.size());
    for (const int viewRow : viewRows)
        if (const int tableRow = tableRowAt(viewRow); tableRow >= 0)
            rows.push_back(storedRowOf(tableRow));
    return rows;
}

QString TableModel::firstColumnText(std::size_t storedRow) const {
    if (m_table.kindAt(storedRow, 0) == CellKind::Text)
        return toQt(m_table.textAt(storedRow, 0));
    return toQt(m_table.cellText(storedRow, 0, true));
}

// Which stored rows the filter keeps, worked out once per filter (a sort only reorders them).
void TableModel::matchFilter() {
    m_filtered = !m_filter.isEmpty();
    m_matches.clear();
    if (!m_filtered)
        return;
    m_matches.assign(m_table.rowCount(), 0);
    if (m_table.columnCount() == 0)
        return;
    for (std::size_t row = 0; row < m_table.rowCount(); ++row)
        m_matches[row] = firstColumnText(row).contains(m_filter, Qt::CaseInsensitive) ? 1 : 0;
}

void TableModel::rebuildShown() {
    m_shown.clear();
    if (!m_filtered)
        return;
    for (std::size_t i = 0; i < m_order.size(); ++i)
        if (m_matches[m_order[i]])
            m_shown.push_back(static_cast<int>(i));
}

} // namespace lexmora::ui
