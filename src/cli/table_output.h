// How the command line hands a table on: printed to standard output in one of the text formats,
// or saved to a file (any format, workbooks included) that takes its name only when whole.
#pragma once

#include "cli/cli_context.h"
#include "export/table_writer.h"

#include <functional>
#include <optional>
#include <string>

namespace lexmora::cli {

// The format a `--format` or `--export` word names; a usage message on standard error when it
// names none. `allowWorkbook`: xlsx is offered (it needs a file).
std::optional<TableFormat> formatOption(const std::string& command, const std::string& word,
                                        bool allowWorkbook);

// Prints `table` in `format` (UTF-8) on standard output and its notes on standard error.
int printTable(CliContext& context, const Table& table, TableFormat format);

// Writes rows into `path` through `fill` (which begins, adds and finishes the writer). A file of
// the name is kept unless the user agrees (--yes) to replace it. Prints the name saved.
int saveRows(CliContext& context, TableFormat format, const std::string& path,
             const std::function<Status(TableWriter&)>& fill);

} // namespace lexmora::cli
