// The source selection of the count window as the files the count reads: a stored list as it
// stands, a folder tree, chosen files of a folder, or every file of a folder.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <string>
#include <vector>

namespace lexmora {

// Full paths in the order the count takes them. A folder of the selection that cannot be listed
// is named through the prompter and the rest goes on; only files matching SourceFileType ("*.*"
// when empty) are taken from folders.
std::vector<std::string> ExpandCountSelection(const ProgramState& state, Prompter& prompter);

} // namespace lexmora
