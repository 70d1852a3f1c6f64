// The messages of the character codes, worded as the program shows them.
#pragma once

#include "core/message.h"

namespace lexmora {

Message MsgCannotOpenCodeFile();

} // namespace lexmora
