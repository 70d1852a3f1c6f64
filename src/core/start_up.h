// Checks made once while the program starts.
#pragma once

#include "core/messages.h"

#include <optional>
#include <string>

namespace lexmora {

// The warning when the program folder is on a removable drive; nothing otherwise.
std::optional<Message> CheckProgramDrive(const std::string& programFolder, bool tallScreen);

} // namespace lexmora
