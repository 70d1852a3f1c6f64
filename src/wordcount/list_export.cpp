#include "wordcount/list_export.h"


namespace lexmora {

namespace {

double shareOf(std::int64_t frequency, std::int64_t tokens) {
    return tokens > 0 ? static_cast<double>(frequency) / static_cast<double>(tokens) : 0.0;
}

// Reads the whole list once (one read, not one per word) and hands on the row of each record
// chosen (every record when `chosen` is null), in the table's order or the order chosen.
template <typename Take>
Status visitRows(const FrequencyTable& table, const std::vector<std::int64_t>* chosen,
                 Take&& take) {
    Result<std::vector<std::string>> words = ReadAllWords(table.file());
    if (!words)
        return words.failure();
    const std::int64_t tokens = table.file().tokenCount;
    const NormOption& norm = NormOptionOf(table.norm());
    Row row(5);
    const std::int64_t count = chosen ? static_cast<std::int64_t>(chosen->size()) : table.size();
    for (std::int64_t n = 0; n < count; ++n) {
        const std::int64_t i = chosen ? (*chosen)[static_cast<std::size_t>(n)] : n;
        const auto listIndex = static_cast<std::size_t>(table.listIndexAt(i));
        const std::int64_t frequency = table.file().types[listIndex].count;
        const double share = shareOf(frequency, tokens);
        row[0] = i + 1;
        row[1] = listIndex < words->size() ? (*words)[listIndex] : std::string();
        row[2] = frequency;
        row[3] = share * 100.0;
        row[4] = share * static_cast<double>(norm.base);
        if (!take(n + 1, row))
            break;
    }
    return Status::success();
}

} // namespace

std::vector<Column> WordListColumns(const FrequencyTable& table) {
    const NormOption& norm = NormOptionOf(table.norm());
    return {{"rank", ColumnKind::Integer},
            {"word", ColumnKind::Text},
            {"freq", ColumnKind::Integer},
            {"percent", ColumnKind::Real, 4},
            {"norm", ColumnKind::Real, norm.decimals}};
}

Status ExportWordList(const FrequencyTable& table, TableWriter& writer,
                      const ListExportProgress& progress, const std::string& targetName,
                      const std::vector<std::int64_t>* chosen) {
    const std::int64_t total = chosen ? static_cast<std::int64_t>(chosen->size()) : table.size();
    return StreamRows(
        writer, WordListColumns(table), total,
        [&](const RowTake& take) { return visitRows(table, chosen, take); }, progress, targetName);
}

Result<Table> WordListTable(const FrequencyTable& table) {
    Table out;
    out.columns = WordListColumns(table);
    out.rows.reserve(static_cast<std::size_t>(table.size()));
    const Status read = visitRows(table, nullptr, [&](std::int64_t, const Row& row) {
        out.rows.push_back(row);
        return true;
    });
    if (!read)
        return read.failure();
    out.notes.push_back(std::string("norm: ") + NormOptionOf(table.norm()).caption);
    return out;
}

} // namespace lexmora
