#include "core/file_messages.h"

#include "core/drives.h"
#include "core/text_codec.h"

#include <cstring>

namespace lexmora {

Message CannotOpenMessage(const std::string& name, int error) {
    return Message{joinLines({"Couldn't open " + utf8ToCp1252(name) + " !",
                              utf8ToCp1252(std::strerror(error))}),
                   "Problem opening file!", Buttons::Ok, Icon::Exclamation};
}

Message FolderErrorMessage(const std::string& path, FolderError error, int driveType,
                           const std::string& drive) {
    const std::string first = joinLines({"Cannot find folder:", utf8ToCp1252(path)});
    const std::string where = utf8ToCp1252(drive);
    Message message{first, "Folder error", Buttons::RetryCancel, Icon::Exclamation};
    switch (error) {
    case FolderError::NotFound:
        break;
    case FolderError::DiskNotReady:
        message.text = joinLines({first, "", "Please place disk in drive " + where});
        break;
    case FolderError::PathNotFound:
        if (driveType == kDriveRemovable || driveType == kDriveCdRom) {
            message.text = joinLines({first, "Please replace correct disk in drive " + where});
        } else {
            message.text = joinLines({first, "Please check that folder still exists"});
            message.buttons = Buttons::Ok;
        }
        break;
    }
    return message;
}

Message FileErrorMessage(const std::string& name, int driveType) {
    std::string text = "Cannot find file " + utf8ToCp1252(name);
    if (driveType == kDriveRemovable || driveType == kDriveCdRom)
        text =
            joinLines({text + " -", "You may have removed the disk with the file from the drive"});
    return Message{text, " File error", Buttons::AbortRetryIgnore, Icon::Exclamation};
}

Message LowSpaceMessage(const std::string& drive, double freeBytes) {
    const long long kilobytes = freeBytes > 0 ? static_cast<long long>(freeBytes / 1024.0) : 0;
    return Message{joinLines({"There are only " + std::to_string(kilobytes) + " KBytes free",
                              "on drive " + utf8ToCp1252(drive) + " - this may not be enough"}),
                   " Disk space running low", Buttons::Ok, Icon::Exclamation};
}

Message LargeFileMessage() {
    return Message{"File too large for Notepad - using Wordpad instead", "Large file", Buttons::Ok,
                   Icon::None};
}

Message ViewAsWebPageQuestion() {
    return Message{"Do you wish to view file as web page?", " About to view HTML file",
                   Buttons::YesNo, Icon::Question};
}

Message CannotFindViewerMessage(const std::string& viewer) {
    return Message{"Cannot find " + viewer + " to view files", "Invalid Path", Buttons::Ok,
                   Icon::Exclamation};
}

} // namespace lexmora
