// The messages of the character codes, worded as the program shows them.
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora::codes::msg {

// A code file or a keyword file that cannot be opened; the next one is tried.
// The same naming the code file.
Message CannotOpenFileTryingNext(const std::string& name);
// A code file that does not hold what a code file holds: loaded as it reads, and told.
Message DamagedCodeFile(const std::string& name, const std::string& reason);

} // namespace lexmora::codes::msg
