// What the analysis sub-commands (ngrams, clusters) share: their number and format options,
// the sources they refuse by kind, and a list printed row by row in the format asked for.
#pragma once

#include "analysis/sequence_list.h"
#include "cli/cli_context.h"
#include "export/table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::cli {

// A whole number from 1 up (at most 12 digits); nothing for anything else.
std::optional<std::int64_t> PositiveNumber(std::string_view text);

// "table", "tsv", "csv", "json": the formats printed on standard output.
std::optional<TableFormat> TextFormatNamed(std::string_view name);

// What a path that is there but is neither a file nor a folder is ("a FIFO (named pipe)"...).
std::optional<std::string> OtherFileKind(const std::string& path);

// The files given, and those of the folders given (with their trees when asked, matching
// `pattern`); a folder that cannot be read is named. A FIFO or a device given by name is told
// and left out: the count's own check would call it missing and abandon the whole run. A
// missing file is kept, for the run's own question.
std::vector<std::string> ExpandCountSources(const std::vector<std::string>& paths, bool tree,
                                            const std::string& pattern, CliContext& context);

// The list as a table with columns `firstColumn`, freq, range, on standard output in UTF-8 (as
// the writers give it); false when standard output could not be written.
bool PrintSequences(const SequenceList& list, std::string_view firstColumn, TableFormat format);

} // namespace lexmora::cli
