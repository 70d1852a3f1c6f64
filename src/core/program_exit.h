// Leaving the program: saving changed settings, then offering to delete this session's results.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/settings.h"

#include <chrono>
#include <string>
#include <vector>

namespace lexmora {

enum class ExitOutcome { Leave, StayOpen };

// The ".dmp" files of the folder written after `since`, each with its ".log" and ".sum" deleted.
// Returns the dump files deleted; errors are passed over, as the user cannot act on them now.
std::vector<std::string> DeleteResultsWrittenSince(const std::string& folder,
                                                   std::chrono::system_clock::time_point since);

// The exit sequence. A settings save the user agreed to becomes the new start values, so that a
// Cancel in the second question does not ask about the same settings again.
ExitOutcome RunExitSequence(ProgramState& state, StartValues& start, Prompter& prompter);

} // namespace lexmora
