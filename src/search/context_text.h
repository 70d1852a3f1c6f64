// The text of a hit's context as a KWIC line shows it.
#pragma once

#include "core/program_state.h"

#include <string>
#include <string_view>

namespace lexmora {

// The text of a hit's context: line breaks, control characters and runs of blanks become one
// blank, NUL disappears, tags of a tagged search (from `tagOpen` to `tagClose`, 0 for none) count
// as one blank, and for the other languages than English the special letters of the code are
// written as their ANSI letters.
std::string ExtractContext(const ProgramState& state, int codeIndex, std::string_view text,
                           unsigned char tagOpen, unsigned char tagClose);

} // namespace lexmora
