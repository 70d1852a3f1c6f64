// A lexmora::Table as a Qt item model: cells as the people's table writes them (numbers
// right-aligned, at most three decimals), sorting by a column as SortRows orders rows, and a
// filter on the first column's text. The rows stay the engine's; the view only reads them.
#pragma once

#include "export/table.h"

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

namespace lexmora::ui {

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableModel(QObject* parent = nullptr);

    void setTable(Table table);
    const Table& table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Reorders the table's rows (numbers by value, text by the program's word order).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortedColumn() const { return m_sortColumn; }

    // A background for each row (keyness: positive and negative keywords told apart).
    void setRowBrush(std::function<QVariant(const Row&)> brush) { m_rowBrush = std::move(brush); }

    // Shows only the rows whose first column holds `text` (case-insensitive); empty shows all.
    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }

    // The table's row (index into table().rows) shown at a view row, and back (-1: not shown).
    int tableRowAt(int viewRow) const;
    int viewRowOf(int tableRow) const;

    // The shown rows (all, or those at `viewRows`, in view order) as a table of their own.
    Table shownTable() const;
    Table tableOfViewRows(std::vector<int> viewRows) const;

private:
    void rebuildShown();

    Table m_table;
    std::vector<int> m_shown; // table rows in view order
    QString m_filter;
    int m_sortColumn = -1;
    std::function<QVariant(const Row&)> m_rowBrush;
};

} // namespace lexmora::ui
