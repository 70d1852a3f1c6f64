#include "viewer/kwic_export.h"

#include "viewer/kwic_columns.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "search/result_files.h"

#include <algorithm>
#include <unordered_map>

namespace lexmora {

namespace {

// Puts `text` in cell `i` of the row, into the room of the string already there: the rows of
// an export are built in one Row, without an allocation per cell.
void setText(Row& row, std::size_t i, std::string_view text) {
    if (auto* held = std::get_if<std::string>(&row[i]))
        held->assign(text.data(), text.size());
    else
        row[i] = std::string(text);
}

struct LineCutter {
    std::size_t leftWidth;
    std::size_t nodeWords;

    void cut(std::string_view text, Row& row, std::size_t at) const {
        const KwicCut cells = CutKwicLine(text, leftWidth, nodeWords);
        setText(row, at, cells.left);
        setText(row, at + 1, cells.keyword);
        setText(row, at + 2, cells.right);
    }
};

// Builds each shown line's row and hands it on until `take` returns false.
template <typename Take> bool visitRows(ResultViewer& viewer, Take&& take) {
    const bool sorted = viewer.sorted();
    const std::int64_t first = viewer.hasHeader() ? 2 : 1;
    SourceNames files(viewer);
    const LineCutter cutter{static_cast<std::size_t>(std::max(viewer.LeftContextWidth(), 0)),
                            KeywordWordsForCut(viewer.ViewKeyword())};
    bool whole = true;
    Row row(7);
    viewer.VisitRecords(
        first, viewer.IndexCount(), [&](std::int64_t position, std::string_view record) {
            row.resize(7);
            const std::uint32_t number = viewer.recordAt(position);
            row[0] = std::int64_t{number} - (viewer.hasHeader() ? 1 : 0);
            if (record == kDamagedRecordText) {
                setText(row, 1, "");
                setText(row, 2, "");
                setText(row, 3, record);
                setText(row, 4, "");
            } else {
                const DumpRecordFields fields = SplitDumpRecord(record, viewer.RecordLength());
                setText(row, 1, files.nameOf(fields));
                cutter.cut(viewer.kwicText(record), row, 2);
            }
            setText(row, 5, viewer.ViewKeyword());
            const auto keyIndex = static_cast<std::size_t>(position - 2);
            if (sorted && keyIndex < viewer.SortKeys().size())
                setText(row, 6, viewer.firstLevelText(viewer.SortKeys()[keyIndex]));
            else
                row.resize(6);
            whole = take(position - first + 1, row);
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
    return StreamRows(
        writer, KwicExportColumns(viewer), total,
        [&](const RowTake& take) {
            visitRows(viewer, take);
            return Status::success();
        },
        progress, targetName);
}

Table KwicLinesTable(ResultViewer& viewer) {
    Table table;
    table.columns = KwicExportColumns(viewer);
    table.rows.reserve(static_cast<std::size_t>(std::max<std::int64_t>(viewer.IndexCount(), 0)));
    visitRows(viewer, [&](std::int64_t, const Row& row) {
        table.rows.push_back(row);
        return true;
    });
    return table;
}

} // namespace lexmora
