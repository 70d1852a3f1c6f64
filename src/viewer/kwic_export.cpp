#include "viewer/kwic_export.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "search/result_files.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace lexmora {

namespace {

// Progress is told once per this many lines.
// The hit number the search writes in front of the left context.
constexpr std::size_t kHitNumberWidth = 5;

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The number of words of the keyword: a multi-word keyword's node spans them all.
std::size_t keywordWords(std::string_view keyword) {
    keyword = trimBlanks(keyword);
    if (keyword.empty())
        return 1;
    std::size_t words = 1;
    for (std::size_t i = 1; i < keyword.size(); ++i)
        if (keyword[i] == ' ' && keyword[i - 1] != ' ')
            ++words;
    return words;
}

// The source file names of the log's entries, looked up once each.
class FileNames {
public:
    explicit FileNames(const ResultViewer& viewer) {
        if (const std::string log = LogFileFor(viewer.path()); fileIsPresent(log))
            m_log = readFileBytes(log).value_or(std::string());
    }
    // The name, good while the record and this object are.
    std::string_view nameOf(const DumpRecordFields& fields) {
        if (!fields.logEntryNumber || m_log.empty())
            return fields.shortName;
        const std::int32_t number = *fields.logEntryNumber;
        auto known = m_names.find(number);
        if (known == m_names.end()) {
            const auto entry = FindLogEntry(m_log, number);
            // A log of another run may hold another file under the number: the record's own
            // short name is then the truth.
            std::string name = entry && !entry->path.empty() ? FileNameOf(entry->path)
                                                             : std::string(fields.shortName);
            if (entry && !equalsNoCase(entry->shortName, fields.shortName))
                name = std::string(fields.shortName);
            known = m_names.emplace(number, std::move(name)).first;
        }
        return known->second;
    }

private:
    std::string m_log;
    std::unordered_map<std::int32_t, std::string> m_names;
};

struct LineCutter {
    std::size_t leftWidth;
    std::size_t nodeWords;

    void cut(std::string_view text, CellView* cells) const {
        const std::size_t column = kHitNumberWidth + leftWidth;
        const std::string_view left =
            text.size() > kHitNumberWidth ? text.substr(kHitNumberWidth, leftWidth) : "";
        std::string_view rest = column < text.size() ? text.substr(column) : "";
        rest = rest.substr(std::min(rest.size(), rest.find_first_not_of(' ')));
        std::size_t end = 0;
        for (std::size_t word = 0; word < nodeWords && end < rest.size(); ++word) {
            if (word > 0)
                end = rest.find_first_not_of(' ', end);
            if (end == std::string_view::npos) {
                end = rest.size();
                break;
            }
            end = std::min(rest.find(' ', end), rest.size());
        }
        cells[0] = trimBlanks(left);
        cells[1] = rest.substr(0, end);
        cells[2] = trimBlanks(rest.substr(end));
    }
};

// Builds each shown line's row, its text cells views into the record and the viewer, and hands
// it on until `take` returns false.
template <typename Take> bool visitRows(ResultViewer& viewer, Take&& take) {
    const bool sorted = viewer.sorted();
    const std::int64_t first = viewer.hasHeader() ? 2 : 1;
    FileNames files(viewer);
    const LineCutter cutter{static_cast<std::size_t>(std::max(viewer.LeftContextWidth(), 0)),
                            keywordWords(viewer.ViewKeyword())};
    bool whole = true;
    std::array<CellView, 7> row;
    viewer.VisitRecords(
        first, viewer.IndexCount(), [&](std::int64_t position, std::string_view record) {
            const std::uint32_t number = viewer.recordAt(position);
            row[0] = std::int64_t{number} - (viewer.hasHeader() ? 1 : 0);
            if (record == kDamagedRecordText) {
                row[1] = std::string_view();
                row[2] = std::string_view();
                row[3] = record;
                row[4] = std::string_view();
            } else {
                const DumpRecordFields fields = SplitDumpRecord(record, viewer.RecordLength());
                row[1] = files.nameOf(fields);
                cutter.cut(viewer.kwicText(record), &row[2]);
            }
            row[5] = std::string_view(viewer.ViewKeyword());
            const auto keyIndex = static_cast<std::size_t>(position - 2);
            std::size_t cells = 6;
            if (sorted && keyIndex < viewer.SortKeys().size()) {
                row[6] = viewer.firstLevelText(viewer.SortKeys()[keyIndex]);
                cells = 7;
            }
            whole = take(position - first + 1, RowView(row.data(), cells));
            return whole;
        });
    return whole;
}

} // namespace

std::vector<Column> KwicExportColumns(const ResultViewer& viewer) {
    std::vector<Column> columns = {{"hit", ColumnKind::Integer}, {"file", ColumnKind::Text},
                                   {"left", ColumnKind::Text},   {"node", ColumnKind::Text},
                                   {"right", ColumnKind::Text},  {"keyword", ColumnKind::Text}};
    if (viewer.sorted())
        columns.push_back({"sort_key", ColumnKind::Text});
    return columns;
}

Status ExportKwicLines(ResultViewer& viewer, TableWriter& writer, const ExportProgress& progress,
                       const std::string& targetName) {
    const std::int64_t total = viewer.IndexCount() - (viewer.hasHeader() ? 1 : 0);
    return StreamRowViews(
        writer, KwicExportColumns(viewer), total,
        [&](const RowViewTake& take) {
            visitRows(viewer, take);
            return Status::success();
        },
        progress, targetName);
}

Table KwicLinesTable(ResultViewer& viewer) {
    Table table;
    table.columns = KwicExportColumns(viewer);
    table.rows.reserve(static_cast<std::size_t>(std::max<std::int64_t>(viewer.IndexCount(), 0)));
    visitRows(viewer, [&](std::int64_t, RowView row) {
        table.rows.push_back(RowOfViews(row));
        return true;
    });
    return table;
}

} // namespace lexmora
