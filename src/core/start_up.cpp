#include "core/start_up.h"

#include "core/drives.h"

namespace lexmora {

std::optional<Message> CheckProgramDrive(const std::string& programFolder, bool tallScreen) {
    const std::string drive = DriveOf(programFolder);
    if (drive.empty() || DriveType(drive) != kDriveRemovable)
        return std::nullopt;
    return core::msg::RemovableProgramDrive(drive, tallScreen);
}

} // namespace lexmora
