// A word list as the frequency viewer shows it (its sort, its norm), as table rows for the
// export writers: rank, word, freq, percent and norm, numbers as numbers.
#pragma once

#include "core/result.h"
#include "export/table.h"
#include "export/table_writer.h"
#include "wordcount/frequency_table.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lexmora {

// How far an export has come; false when the user asked it to stop.
using ListExportProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// rank, word, freq, percent (four decimals), norm (the table's norm: its decimals).
std::vector<Column> WordListColumns(const FrequencyTable& table);

// Every record in the table's order into `writer` (begin, rows, finish). Words are written
// whole, not cut as the viewer's rows cut them. A stopped export fails with
// FailureCode::Cancelled and leaves the writer unfinished; `targetName` (UTF-8) names the file
// in its message.
Status ExportWordList(const FrequencyTable& table, TableWriter& writer,
                      const ListExportProgress& progress = {}, const std::string& targetName = "-");

// The same rows as one table.
Result<Table> WordListTable(const FrequencyTable& table);

} // namespace lexmora
