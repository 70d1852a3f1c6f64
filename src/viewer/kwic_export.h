// The KWIC lines of a result file as the viewer shows them (its order after a sort, without the
// deleted lines, every nth), as table rows for the export writers: hit, file, left, node, right,
// keyword, and the sort key while the lines are sorted.
#pragma once

#include "core/result.h"
#include "export/table.h"
#include "export/table_writer.h"
#include "viewer/result_viewer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lexmora {

// The columns an export of this viewer has (the sort key only while it is sorted).
std::vector<Column> KwicExportColumns(const ResultViewer& viewer);

// Every line shown, in display order, one row at a time into `writer` (begin, rows, finish).
// `targetName` (UTF-8) names the file in the message of a stopped export, which fails with
// FailureCode::Cancelled and leaves the writer unfinished (a file writer then leaves nothing).
// Reading needs the viewer's record cache, hence not const.
Status ExportKwicLines(ResultViewer& viewer, TableWriter& writer,
                       const ExportProgress& progress = {}, const std::string& targetName = "-");

// The same rows as one table (the desktop's table window, tests).
Table KwicLinesTable(ResultViewer& viewer);

} // namespace lexmora
