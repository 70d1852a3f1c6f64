#include "wordcount/list_export.h"

#include "export/messages.h"

namespace lexmora {

namespace {

constexpr std::int64_t kProgressStep = 8192;

double shareOf(std::int64_t frequency, std::int64_t tokens) {
    return tokens > 0 ? static_cast<double>(frequency) / static_cast<double>(tokens) : 0.0;
}

// Reads the whole list once (one read, not one per word) and hands on each record's row.
template <typename Take> Status visitRows(const FrequencyTable& table, Take&& take) {
    Result<std::vector<std::string>> words = ReadAllWords(table.file());
    if (!words)
        return words.failure();
    const std::int64_t tokens = table.file().tokenCount;
    const NormOption& norm = NormOptionOf(table.norm());
    Row row(5);
    for (std::int64_t i = 0; i < table.size(); ++i) {
        const auto listIndex = static_cast<std::size_t>(table.listIndexAt(i));
        const std::int64_t frequency = table.file().types[listIndex].count;
        const double share = shareOf(frequency, tokens);
        row[0] = i + 1;
        row[1] = listIndex < words->size() ? (*words)[listIndex] : std::string();
        row[2] = frequency;
        row[3] = share * 100.0;
        row[4] = share * static_cast<double>(norm.base);
        if (!take(i + 1, row))
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
                      const ListExportProgress& progress, const std::string& targetName) {
    if (Status begun = writer.begin(WordListColumns(table)); !begun)
        return begun;
    const std::int64_t total = table.size();
    Status failed;
    bool stopped = false;
    const Status read = visitRows(table, [&](std::int64_t done, const Row& row) {
        if (Status added = writer.add(row); !added) {
            failed = std::move(added);
            return false;
        }
        if (progress && done % kProgressStep == 0 && !progress(done, total)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (!read)
        return read;
    if (!failed)
        return failed;
    if (stopped)
        return Failure(exporting::msg::ExportStopped(targetName), FailureCode::Cancelled);
    if (progress)
        progress(total, total);
    return writer.finish();
}

Result<Table> WordListTable(const FrequencyTable& table) {
    Table out;
    out.columns = WordListColumns(table);
    out.rows.reserve(static_cast<std::size_t>(table.size()));
    const Status read = visitRows(table, [&](std::int64_t, const Row& row) {
        out.rows.push_back(row);
        return true;
    });
    if (!read)
        return read.failure();
    out.notes.push_back(std::string("norm: ") + NormOptionOf(table.norm()).caption);
    return out;
}

} // namespace lexmora
