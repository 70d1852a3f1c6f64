#include "export/column_table.h"

#include "wordcount/word_rules.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>

namespace lexmora {

namespace {

constexpr std::size_t kLengthBytes = sizeof(std::uint32_t);

std::uint8_t kindOf(const Cell& cell) {
    return static_cast<std::uint8_t>(cell.index()); // Cell's alternatives are CellKind's order
}

// The rows of one kind, kept in the order they came.
struct KindGroups {
    std::vector<std::pair<double, std::uint32_t>> numbers;
    std::vector<std::uint32_t> texts, nothing;
};

} // namespace

ColumnTable::ColumnTable(std::vector<Column> columns)
    : m_columns(std::move(columns)), m_data(m_columns.size()) {}

ColumnTable ColumnTable::fromTable(Table table) {
    ColumnTable store(std::move(table.columns));
    store.m_notes = std::move(table.notes);
    store.reserve(table.rows.size());
    for (Row& row : table.rows) {
        store.addRow(row);
        Row().swap(row);
    }
    return store;
}

void ColumnTable::reserve(std::size_t rows) {
    for (ColumnData& data : m_data) {
        data.kinds.reserve(rows);
        data.slots.reserve(rows);
    }
}

void ColumnTable::storeText(ColumnData& data, std::string_view text) {
    // Four bytes of length: a cell of four gigabytes is beyond any table this program makes.
    const auto length = static_cast<std::uint32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::uint32_t>::max()));
    data.slots.push_back(m_arena.size());
    char prefix[kLengthBytes];
    std::memcpy(prefix, &length, kLengthBytes);
    m_arena.append(prefix, kLengthBytes);
    m_arena.append(text.data(), length);
}

void ColumnTable::addRow(const Row& row) {
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        ColumnData& data = m_data[c];
        const Cell& cell = c < row.size() ? row[c] : Cell{};
        data.kinds.push_back(kindOf(cell));
        if (const auto* text = std::get_if<std::string>(&cell))
            storeText(data, *text);
        else if (const auto* whole = std::get_if<std::int64_t>(&cell))
            data.slots.push_back(static_cast<std::uint64_t>(*whole));
        else if (const auto* real = std::get_if<double>(&cell))
            data.slots.push_back(std::bit_cast<std::uint64_t>(*real));
        else
            data.slots.push_back(0);
    }
    ++m_rows;
}

std::string_view ColumnTable::textAt(std::size_t row, std::size_t column) const {
    const std::size_t start = m_data[column].slots[row];
    std::uint32_t length = 0;
    std::memcpy(&length, m_arena.data() + start, kLengthBytes);
    return std::string_view(m_arena.data() + start + kLengthBytes, length);
}

std::int64_t ColumnTable::integerAt(std::size_t row, std::size_t column) const {
    return static_cast<std::int64_t>(m_data[column].slots[row]);
}

double ColumnTable::realAt(std::size_t row, std::size_t column) const {
    return std::bit_cast<double>(m_data[column].slots[row]);
}

double ColumnTable::numberAt(std::size_t row, std::size_t column) const {
    return kindAt(row, column) == CellKind::Integer ? double(integerAt(row, column))
                                                    : realAt(row, column);
}

Cell ColumnTable::cellAt(std::size_t row, std::size_t column) const {
    switch (kindAt(row, column)) {
    case CellKind::Text:
        return std::string(textAt(row, column));
    case CellKind::Integer:
        return integerAt(row, column);
    case CellKind::Real:
        return realAt(row, column);
    case CellKind::Nothing:
        break;
    }
    return Cell{};
}

Row ColumnTable::rowAt(std::size_t row) const {
    Row cells;
    fillRow(row, cells);
    return cells;
}

void ColumnTable::fillRow(std::size_t row, Row& cells) const {
    cells.resize(m_columns.size());
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (kindAt(row, c) != CellKind::Text) {
            cells[c] = cellAt(row, c);
        } else if (auto* held = std::get_if<std::string>(&cells[c])) {
            const std::string_view text = textAt(row, c);
            held->assign(text.data(), text.size());
        } else {
            cells[c] = std::string(textAt(row, c));
        }
    }
}

std::string ColumnTable::cellText(std::size_t row, std::size_t column, bool forPeople) const {
    if (kindAt(row, column) == CellKind::Text)
        return std::string(textAt(row, column));
    return CellText(cellAt(row, column), m_columns[column], forPeople);
}

// SortRows' order is a strict weak order in three classes: numbers and texts (numbers first
// ascending, texts first descending), then nothing; a stable sort of each class on its own,
// put together in that order, is the very order a stable sort of the whole gives.
void ColumnTable::sortRows(std::vector<std::uint32_t>& rows, std::size_t column,
                           bool descending) const {
    if (column >= m_columns.size())
        return;
    KindGroups groups;
    groups.numbers.reserve(rows.size());
    for (const std::uint32_t row : rows) {
        switch (kindAt(row, column)) {
        case CellKind::Integer:
        case CellKind::Real:
            groups.numbers.emplace_back(numberAt(row, column), row);
            break;
        case CellKind::Text:
            groups.texts.push_back(row);
            break;
        case CellKind::Nothing:
            groups.nothing.push_back(row);
            break;
        }
    }
    auto& numbers = groups.numbers;
    if (descending)
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    else
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    std::stable_sort(groups.texts.begin(), groups.texts.end(),
                     [&](std::uint32_t a, std::uint32_t b) {
                         const int order = CompareWords(textAt(a, column), textAt(b, column));
                         return descending ? order > 0 : order < 0;
                     });
    auto out = rows.begin();
    auto putNumbers = [&] {
        for (const auto& number : numbers)
            *out++ = number.second;
    };
    auto putTexts = [&] { out = std::copy(groups.texts.begin(), groups.texts.end(), out); };
    if (descending) {
        putTexts();
        putNumbers();
    } else {
        putNumbers();
        putTexts();
    }
    std::copy(groups.nothing.begin(), groups.nothing.end(), out);
}

Table ColumnTable::tableOf(std::span<const std::uint32_t> rows) const {
    Table table;
    table.columns = m_columns;
    table.notes = m_notes;
    table.rows.reserve(rows.size());
    for (const std::uint32_t row : rows)
        table.rows.push_back(rowAt(row));
    return table;
}

Status WriteColumnRows(const ColumnTable& table, std::span<const std::uint32_t> rows,
                       TableWriter& writer) {
    if (Status begun = writer.begin(table.columns()); !begun)
        return begun;
    Row cells;
    for (const std::uint32_t row : rows) {
        table.fillRow(row, cells);
        if (Status added = writer.add(cells); !added)
            return added;
    }
    return writer.finish();
}

std::string ColumnRowsText(const ColumnTable& table, std::span<const std::uint32_t> rows,
                           TableFormat format) {
    std::string text;
    auto writer = MakeTextTableWriter(format, [&text](std::string_view bytes) {
        text.append(bytes);
        return true;
    });
    (void)WriteColumnRows(table, rows, *writer); // a string sink never fails
    return text;
}

Status WriteColumnRowsFile(const ColumnTable& table, std::span<const std::uint32_t> rows,
                           TableFormat format, const std::string& path, Placement placement) {
    Result<std::unique_ptr<TableWriter>> opened = OpenTableFile(format, path, placement);
    if (!opened)
        return opened.failure();
    return WriteColumnRows(table, rows, *opened.value());
}

} // namespace lexmora
