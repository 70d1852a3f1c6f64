// A table kept column by column, for the desktop's long analysis tables: each column's cells
// in one array of eight-byte values (a whole number, a real, or where a text starts in one
// arena shared by the table), with a byte per cell saying which. A table of a million rows of
// thirteen cells then costs tens of megabytes and no allocation per cell; rows are made back
// only for the few that are shown, copied or written.
#pragma once

#include "core/result.h"
#include "export/table.h"
#include "export/table_writer.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Which value a cell holds (Cell's alternatives, in their order).
enum class CellKind : std::uint8_t { Nothing, Text, Integer, Real };

class ColumnTable {
public:
    ColumnTable() = default;
    explicit ColumnTable(std::vector<Column> columns);
    // The rows of `table` moved in; each is freed as soon as it is stored.
    static ColumnTable fromTable(Table table);

    const std::vector<Column>& columns() const { return m_columns; }
    std::vector<std::string>& notes() { return m_notes; }
    const std::vector<std::string>& notes() const { return m_notes; }
    std::size_t rowCount() const { return m_rows; }
    std::size_t columnCount() const { return m_columns.size(); }

    void reserve(std::size_t rows);
    // Cells past the columns are dropped; missing cells hold nothing.
    void addRow(const Row& row);

    CellKind kindAt(std::size_t row, std::size_t column) const {
        return static_cast<CellKind>(m_data[column].kinds[row]);
    }
    std::string_view textAt(std::size_t row, std::size_t column) const;
    std::int64_t integerAt(std::size_t row, std::size_t column) const;
    double realAt(std::size_t row, std::size_t column) const;
    // A number cell's value as the sort compares it (a whole number as a real).
    double numberAt(std::size_t row, std::size_t column) const;

    Cell cellAt(std::size_t row, std::size_t column) const;
    Row rowAt(std::size_t row) const;
    // Fills `cells` with a row, reusing the room of the strings already there.
    void fillRow(std::size_t row, Row& cells) const;
    // The cell as CellText writes it.
    std::string cellText(std::size_t row, std::size_t column, bool forPeople = false) const;

    // Orders `rows` (indexes of this table) by one column exactly as SortRows orders a Table's
    // rows: numbers by value, text by the word order, nothing last either way; stable.
    void sortRows(std::vector<std::uint32_t>& rows, std::size_t column, bool descending) const;

    // The rows at `rows`, in that order, as a Table of their own (with the notes).
    Table tableOf(std::span<const std::uint32_t> rows) const;

private:
    struct ColumnData {
        std::vector<std::uint8_t> kinds;  // a CellKind per row
        std::vector<std::uint64_t> slots; // the value's bits, or the text's start in m_arena
    };
    void storeText(ColumnData& data, std::string_view text);

    std::vector<Column> m_columns;
    std::vector<ColumnData> m_data;
    std::string m_arena; // each text as four bytes of length, then its bytes
    std::vector<std::string> m_notes;
    std::size_t m_rows = 0;
};

// The rows at `rows` of `table`, in that order, through `writer`: begun, added one reused row
// at a time, finished.
Status WriteColumnRows(const ColumnTable& table, std::span<const std::uint32_t> rows,
                       TableWriter& writer);
// The same into a text format, as one string (clipboard, printing).
std::string ColumnRowsText(const ColumnTable& table, std::span<const std::uint32_t> rows,
                           TableFormat format);
// The same into a file (see OpenTableFile).
Status WriteColumnRowsFile(const ColumnTable& table, std::span<const std::uint32_t> rows,
                           TableFormat format, const std::string& path, Placement placement);

} // namespace lexmora
