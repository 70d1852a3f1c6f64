// The Collocates window: span boxes, measure, thresholds, stop list, "Stop at sentence end" and
// the corpus, Start, the collocates in the shared table window and the position profile of the
// selected one. What a double-click does (the viewer's filter) is the opener's.
#pragma once

#include "analysis/collocates.h"
#include "core/program_state.h"
#include "core/prompter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace lexmora::ui {

class TableWindow;

// What the window is opened on: a result file and, from the viewer, the hits it shows.
struct CollocatesSource {
    std::string resultPath;
    std::optional<std::vector<std::int64_t>> records;
};

// The hits (1 = first) that have the collocate in their window.
using ShowCollocateHits =
    std::function<void(const std::string& collocate, const std::vector<std::int64_t>& hits)>;

TableWindow* MakeCollocatesWindow(ProgramState& state, Prompter& prompter,
                                  const CollocatesSource& source, ShowCollocateHits showHits,
                                  QWidget* parent);

// The lexmora-cli line that gives the same table (UTF-8).
std::string CollocatesCommandLine(const ProgramState& state, const CollocatesRequest& request,
                                  const std::string& stopListPath);

} // namespace lexmora::ui
