// A table as every analysis and every list export hands it on: named columns of one kind each,
// rows of cells. The writers (table_writer.h) and the desktop's table window read only this.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lexmora {

enum class ColumnKind { Text, Integer, Real };

struct Column {
    std::string name; // the header, exactly as the formats print it
    ColumnKind kind = ColumnKind::Text;
    int decimals = 6;        // Real: digits after the point in files (people's table: at most 3)
    bool scientific = false; // Real: written as 7.700e-11 (p values)
};

// A cell: nothing (a value not defined here), text (Windows-1252), a whole number or a real.
// A real that is infinite is written "inf" (or "-inf"); JSON writes null for it.
using Cell = std::variant<std::monostate, std::string, std::int64_t, double>;
using Row = std::vector<Cell>;

struct Table {
    std::vector<Column> columns;
    std::vector<Row> rows;
    std::vector<std::string> notes; // said to the user beside the table (standard error), cp1252
};

enum class TableFormat { Table, Tsv, Csv, Json, Xlsx };

// "table", "tsv", "csv", "json", "xlsx"; nothing for another word.
std::optional<TableFormat> TableFormatNamed(std::string_view name);
const char* TableFormatName(TableFormat format);
// The file name ending of a format (".txt" for the people's table).
const char* TableFormatExtension(TableFormat format);

// A cell as text (Windows-1252): empty for nothing, whole numbers as digits, reals with the
// column's decimals (`forPeople`: at most three), "inf"/"-inf"/"nan" where not finite.
std::string CellText(const Cell& cell, const Column& column, bool forPeople = false);

// Orders rows by one column: numbers by value, text by the program's word order; `descending`
// reverses it. Nothing sorts after every value either way. Stable.
void SortRows(std::vector<Row>& rows, std::size_t column, bool descending);

} // namespace lexmora
