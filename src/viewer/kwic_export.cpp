#include "viewer/kwic_export.h"

#include "viewer/kwic_columns.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "search/result_files.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace lexmora {

namespace {

struct LineCutter {
    std::size_t leftWidth;
    std::size_t nodeWords;

    void cut(std::string_view text, CellView* cells) const {
        const KwicCut cut = CutKwicLine(text, leftWidth, nodeWords);
        cells[0] = cut.left;
        cells[1] = cut.keyword;
        cells[2] = cut.right;
    }
};

// Builds each shown line's row, its text cells views into the record and the viewer, and hands
// it on until `take` returns false.
template <typename Take> bool visitRows(ResultViewer& viewer, Take&& take) {
    const bool sorted = viewer.sorted();
    const std::int64_t first = viewer.hasHeader() ? 2 : 1;
    SourceNames files(viewer);
    const LineCutter cutter{static_cast<std::size_t>(std::max(viewer.LeftContextWidth(), 0)),
                            KeywordWordsForCut(viewer.ViewKeyword())};
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
