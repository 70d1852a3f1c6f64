// An analysis table as a Qt item model: cells as the people's table writes them (numbers
// right-aligned, at most three decimals), sorting by a column as SortRows orders rows, and a
// filter on the first column's text. The cells stay in a column store; only the rows on the
// screen are turned into text, and a sort reorders row numbers, never the cells.
#pragma once

#include "export/column_table.h"

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace lexmora::ui {

// "Table rows" count in the table's current order (after a sort, row 0 is the first shown when
// nothing is filtered); "view rows" count the rows the filter leaves; "stored rows" index the
// column store.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableModel(QObject* parent = nullptr);

    void setTable(Table table);
    void setTable(ColumnTable table);
    const ColumnTable& columnTable() const { return m_table; }
    std::size_t tableRowCount() const { return m_order.size(); }
    // A table row's cells; its index into the column store.
    Row rowCells(int tableRow) const;
    std::uint32_t storedRowOf(int tableRow) const {
        return m_order[static_cast<std::size_t>(tableRow)];
    }
    // Every row in the current order, as a Table (small tables, tests).
    Table sortedTable() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Reorders the table's rows (numbers by value, text by the program's word order), stably.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortedColumn() const { return m_sortColumn; }

    // A background for each row (keyness: positive and negative keywords told apart), given
    // the store and the stored row.
    using RowBrush = std::function<QVariant(const ColumnTable&, std::size_t storedRow)>;
    void setRowBrush(RowBrush brush) { m_rowBrush = std::move(brush); }

    // Shows only the rows whose first column holds `text` (case-insensitive); empty shows all.
    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }

    // The table row shown at a view row, and back (-1: not shown).
    int tableRowAt(int viewRow) const;
    int viewRowOf(int tableRow) const;

    // The stored rows of the shown rows (all, or those at `viewRows`, in view order), for
    // WriteColumnRows and its kin.
    std::vector<std::uint32_t> shownStoredRows() const;
    std::vector<std::uint32_t> storedRowsOfViewRows(std::vector<int> viewRows) const;

private:
    void rebuildShown();
    void matchFilter();
    QString firstColumnText(std::size_t storedRow) const;

    ColumnTable m_table;
    std::vector<std::uint32_t> m_order; // stored rows in table order
    bool m_filtered = false;
    std::vector<std::uint8_t> m_matches; // per stored row, while filtered
    std::vector<int> m_shown;            // table rows in view order, while filtered
    QString m_filter;
    int m_sortColumn = -1;
    RowBrush m_rowBrush;
};

} // namespace lexmora::ui
