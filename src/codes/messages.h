// The messages of the character codes, worded as the program shows them.
#pragma once

#include "core/message.h"

namespace lexmora::codes::msg {

// A code file or a keyword file that cannot be opened; the next one is tried.
Message CannotOpenFileTryingNext();

} // namespace lexmora::codes::msg
