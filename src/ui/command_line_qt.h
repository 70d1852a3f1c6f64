// "Copy as Command Line" of the live screen and the count window: the lexmora-cli line that
// repeats the search or the count, put on the system clipboard and told with the line itself.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "viewer/extracts.h"

#include <optional>
#include <string>

namespace lexmora::ui {

// Each returns the line copied (UTF-8), or nothing when the state cannot be said in one line
// (the reason has been told).
std::optional<std::string> CopySearchCommandLine(const ProgramState& state, Prompter& prompter,
                                                 Clipboard& clipboard);
std::optional<std::string> CopyCountCommandLine(const ProgramState& state,
                                                const std::string& outputName, Prompter& prompter,
                                                Clipboard& clipboard);

} // namespace lexmora::ui
