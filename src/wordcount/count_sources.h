// The files a count reads from a folder given to it.
#pragma once

#include "core/prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Every file of `folder` (with `tree`, of its sub-folders too, depth first in list order) as a
// full path, listed as the file chooser lists them: hidden files left out, each folder visited
// once however many links lead to it. A folder that cannot be listed is named through the
// prompter and the rest goes on. Only files matching `patterns` ("*.txt;*.htm") are taken.
std::vector<std::string> ListCountSources(const std::string& folder, bool tree, Prompter& prompter,
                                          std::string_view patterns = "*");

} // namespace lexmora
