// What the viewer shows of a result file as a `lexmora-cli view` line: the every-nth step, the
// last sort, the deletions and the last ".cnc" extract saved from the same display order.
#pragma once

#include "core/command_line.h"
#include "core/result.h"
#include "viewer/extracts.h"
#include "viewer/result_viewer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace lexmora {

// A ".cnc" extract or the ".new" file (Save Changes, Save Sorted List) saved in the viewer, with
// the display order it was taken from.
struct SavedExtract {
    std::string file; // the viewed file
    std::vector<std::int64_t> positions;
    LineForm form = LineForm::WholeRecord;
    std::vector<std::uint32_t> index; // the display order at the time
    bool newFile = false;             // the whole display order as a ".new" result file
};

// The line's view: the deletions are the display positions, in the order the command line's
// single sort gives, of the records the viewer no longer shows. A failure when the shown order
// is not that order less those records (a deletion undone after a sort), or when the sort took
// words on both sides of the keyword. The extract is left out unless it was saved from the
// display order shown now and covers a run of positions (a ".new" file covers them all).
Result<ViewLine> DescribeView(const ResultViewer& viewer,
                              const std::optional<SavedExtract>& extract,
                              const std::string& outputFolder);

} // namespace lexmora
