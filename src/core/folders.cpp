#include "core/folders.h"

#include "core/drives.h"
#include "core/file_io.h"
#include "core/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

bool FolderExists(const std::string& path) {
    return !path.empty() && isDirectory(path);
}

bool IsReadOnlyFolder(const std::string& path) {
    // A removable drive without its disk is not tested: it may be written once the disk is in.
    if (const std::string drive = DriveOf(path);
        DriveType(drive) == kDriveRemovable && !IsDriveReady(drive))
        return false;
    const std::string testFile = AddBackslash(path) + "testfile.zzz";
    // O_EXCL: never truncate or remove a user's file that happens to carry the name.
    UniqueFd fd(::open(testFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd.valid())
        return errno != EEXIST || ::access(path.c_str(), W_OK) != 0;
    fd.reset();
    return ::unlink(testFile.c_str()) != 0;
}

bool CreateFolderPath(const std::string& path) {
    if (path.empty())
        return false;
    if (FolderExists(path))
        return true;
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find(kPathSeparator, pos + 1);
        partial = path.substr(0, pos);
        if (!partial.empty() && !FolderExists(partial) && ::mkdir(partial.c_str(), 0755) != 0 &&
            errno != EEXIST)
            return false;
    }
    return FolderExists(path);
}

std::string CurrentFolder() {
    std::string buffer(4096, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr)
        return "/";
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

} // namespace lexmora
