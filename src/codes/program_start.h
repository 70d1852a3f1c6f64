// The program's state as both front ends start it.
#pragma once

#include "core/program_location.h"
#include "core/program_state.h"
#include "core/prompter.h"

namespace lexmora {

// Where the program lives, its stored settings and language, then the code files of its code
// folder (a damaged one is told through `prompter`).
void StartProgram(ProgramState& state, const ProgramLocation& location, Prompter& prompter);

} // namespace lexmora
