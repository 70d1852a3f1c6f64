// The messages of the disk, folder and file utilities, worded as the program shows them. Names in
// a message are UTF-8 file names turned into the program's Windows-1252 text.
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora {

// How a folder search failed, by the error numbers the program tells apart.
enum class FolderError {
    NotFound,     // nothing found, or an error with no message of its own
    DiskNotReady, // 68 device unavailable, 71 disk not ready
    PathNotFound, // 76
};

// "Couldn't open NAME !" and the system's error text.
Message CannotOpenMessage(const std::string& name, int error);

Message FolderErrorMessage(const std::string& path, FolderError error, int driveType,
                           const std::string& drive);

Message FileErrorMessage(const std::string& name, int driveType);

Message LowSpaceMessage(const std::string& drive, double freeBytes);

Message LargeFileMessage();
Message ViewAsWebPageQuestion();
Message CannotFindViewerMessage(const std::string& viewer);

} // namespace lexmora
