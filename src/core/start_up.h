// Checks made once while the program starts.
#pragma once

#include "core/message.h"

#include <optional>
#include <string>

namespace lexmora {

// The warning shown when the program itself lives on a removable drive: the user must not take
// the disk out while it runs. `tallScreen`: a screen of 600 pixels or more has room for the icon.
Message RemovableProgramDriveWarning(const std::string& drive, bool tallScreen);

// The warning when the program folder is on a removable drive; nothing otherwise.
std::optional<Message> CheckProgramDrive(const std::string& programFolder, bool tallScreen);

} // namespace lexmora
