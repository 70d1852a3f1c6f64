// A search run that reads each source once for all its keywords: the first keyword's turn
// walks the sources, recording the walk with every later keyword's hits (OnePassWalk); each
// later keyword's turn is then played back in keyword order, writing the same result files and
// showing the same lines as a walk per keyword would.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "search/one_pass_walk.h"
#include "search/search_run.h"

#include <cstddef>
#include <memory>

namespace lexmora {

// The walk to record for the request's keywords from `first`, at most `count` of them, or null
// when they go keyword by keyword: fewer than two keywords to search.
// `spoolMemory`: the hits kept in memory before they go to temporary files.
std::unique_ptr<OnePassWalk> PrepareOnePass(const ProgramState& state, const SearchRequest& request,
                                            std::size_t spoolMemory, std::size_t first = 0,
                                            std::size_t count = static_cast<std::size_t>(-1));

// The slot of keyword k in the walk, or npos when it is not searched.
std::size_t PassSlotOf(const OnePassWalk& walk, std::size_t k);

// Later keyword k's turn over the recorded walk: the steps, files and hits as its own walk would
// have shown and written them. A walk that was abandoned ends the turn abandoned where it
// stopped.
RunOutcome ReplayKeyword(ProgramState& state, const SearchRequest& request, SearchRun& run,
                         std::size_t k, const OnePassWalk& walk, SearchObserver& observer,
                         Prompter& prompter);

} // namespace lexmora
