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

using ListExportProgress = ExportProgress;

// rank, word, freq, percent (four decimals), norm (the table's norm: its decimals).
std::vector<Column> WordListColumns(const FrequencyTable& table);

// Every record in the table's order into `writer` (begin, rows, finish). Words are written
// whole, not cut as the viewer's rows cut them. A stopped export fails with
// FailureCode::Cancelled and leaves the writer unfinished; `targetName` (UTF-8) names the file
// in its message. `chosen`: only the records at these table positions, in this order (the
// command line's --find, --range and --top); rank stays the record's place in the table.
Status ExportWordList(const FrequencyTable& table, TableWriter& writer,
                      const ListExportProgress& progress = {}, const std::string& targetName = "-",
                      const std::vector<std::int64_t>* chosen = nullptr);

// The same rows as one table.
Result<Table> WordListTable(const FrequencyTable& table);

} // namespace lexmora
