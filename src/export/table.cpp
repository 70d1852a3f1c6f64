#include "export/table.h"

#include "wordcount/word_rules.h"

#include <algorithm>
#include <cmath>
#include <charconv>

namespace lexmora {

namespace {

struct FormatName {
    TableFormat format;
    const char* name;
    const char* extension;
};
constexpr FormatName kFormats[] = {{TableFormat::Table, "table", ".txt"},
                                   {TableFormat::Tsv, "tsv", ".tsv"},
                                   {TableFormat::Csv, "csv", ".csv"},
                                   {TableFormat::Json, "json", ".json"},
                                   {TableFormat::Xlsx, "xlsx", ".xlsx"}};

const FormatName& entryOf(TableFormat format) {
    for (const FormatName& entry : kFormats)
        if (entry.format == format)
            return entry;
    return kFormats[0];
}

std::string realText(double value, const Column& column, bool forPeople) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    const int decimals = forPeople ? std::min(column.decimals, 3) : column.decimals;
    // to_chars rounds exactly as printf does, at a fraction of its cost (long tables).
    char buffer[400];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      column.scientific ? std::chars_format::scientific : std::chars_format::fixed,
                      decimals);
    std::string text(buffer, written.ptr);
    // A value that rounds to zero is written without a sign: "-0.000" reads as a fault.
    if (text[0] == '-' && text.find_first_not_of("-0.e+", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

// Orders two cells of one column: nothing last, then numbers by value, text by word order.
int compareCells(const Cell& a, const Cell& b) {
    const bool aEmpty = std::holds_alternative<std::monostate>(a);
    const bool bEmpty = std::holds_alternative<std::monostate>(b);
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty ? 0 : (aEmpty ? 1 : -1);
    const auto* aText = std::get_if<std::string>(&a);
    const auto* bText = std::get_if<std::string>(&b);
    if (aText && bText)
        return CompareWords(*aText, *bText);
    if (aText || bText) // text after numbers in a mixed column
        return aText ? 1 : -1;
    const double x =
        std::holds_alternative<double>(a) ? std::get<double>(a) : double(std::get<std::int64_t>(a));
    const double y =
        std::holds_alternative<double>(b) ? std::get<double>(b) : double(std::get<std::int64_t>(b));
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

std::optional<TableFormat> TableFormatNamed(std::string_view name) {
    for (const FormatName& entry : kFormats)
        if (name == entry.name)
            return entry.format;
    return std::nullopt;
}

const char* TableFormatName(TableFormat format) {
    return entryOf(format).name;
}

const char* TableFormatExtension(TableFormat format) {
    return entryOf(format).extension;
}

std::string CellText(const Cell& cell, const Column& column, bool forPeople) {
    if (const auto* text = std::get_if<std::string>(&cell))
        return *text;
    if (const auto* whole = std::get_if<std::int64_t>(&cell))
        return std::to_string(*whole);
    if (const auto* real = std::get_if<double>(&cell))
        return realText(*real, column, forPeople);
    return {};
}

void SortRows(std::vector<Row>& rows, std::size_t column, bool descending) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const Cell& x = column < a.size() ? a[column] : Cell{};
        const Cell& y = column < b.size() ? b[column] : Cell{};
        const bool xEmpty = std::holds_alternative<std::monostate>(x);
        const bool yEmpty = std::holds_alternative<std::monostate>(y);
        if (xEmpty || yEmpty) // nothing sorts last either way
            return !xEmpty && yEmpty;
        const int order = compareCells(x, y);
        return descending ? order > 0 : order < 0;
    });
}

} // namespace lexmora
