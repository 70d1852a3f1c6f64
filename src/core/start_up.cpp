#include "core/start_up.h"

#include "core/drives.h"

namespace lexmora {

Message RemovableProgramDriveWarning(const std::string& drive, bool tallScreen) {
    return Message{joinLines({"You have loaded KWIC-LEXMORA from drive " + drive, "",
                              "To function, the program must be able to access the disk.   ", "",
                              "If you remove the disk with the program from the drive",
                              "while the program is running, the program may crash.", "",
                              "If you need to use drive " + drive + " for source or target files,",
                              "you should run lexmora from a hard drive."}),
                   " Warning", Buttons::Ok, tallScreen ? Icon::Information : Icon::None};
}

std::optional<Message> CheckProgramDrive(const std::string& programFolder, bool tallScreen) {
    const std::string drive = DriveOf(programFolder);
    if (drive.empty() || DriveType(drive) != kDriveRemovable)
        return std::nullopt;
    return RemovableProgramDriveWarning(drive, tallScreen);
}

} // namespace lexmora
