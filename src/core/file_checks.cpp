#include "core/file_checks.h"

#include "core/drives.h"
#include "core/file_utils.h"
#include "core/folders.h"

#include <cerrno>
#include <sys/stat.h>

namespace lexmora {

FolderError FolderErrorOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FolderError::PathNotFound;
    case ENODEV:
    case ENOMEDIUM:
    case ENXIO:
    case EIO:
        return FolderError::DiskNotReady;
    default:
        return FolderError::NotFound;
    }
}

bool CheckFolder(const std::string& path, Answer& answer, Prompter& prompter) {
    answer = Answer::Ok;
    const std::string drive = DriveOf(path);
    if (!path.empty() && ResolvePath(path) == drive)
        return DriveType(drive) == kDriveRemovable ? IsDriveReady(drive) : true;
    if (FolderExists(path))
        return true;
    struct stat st {};
    const FolderError error = path.empty() || ::stat(path.c_str(), &st) == 0 ? FolderError::NotFound
                                                                             : FolderErrorOf(errno);
    answer = prompter.ask(core::msg::CannotFindFolder(path, error, DriveType(path), drive));
    return false;
}

std::optional<Answer> CheckFileExists(const std::string& name, Prompter& prompter) {
    if (!name.empty() && FileExists(name))
        return std::nullopt;
    return prompter.ask(core::msg::CannotFindFile(name, DriveType(name)));
}

} // namespace lexmora
