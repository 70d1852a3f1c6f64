#include "core/folders.h"

#include "core/drives.h"
#include "core/file_io.h"
#include "core/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

namespace {

// An absolute path with "." and ".." taken out by name and no trailing "/" (the root stays "/").
std::string normalised(const std::string& absolute) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= absolute.size()) {
        std::size_t end = absolute.find(kPathSeparator, start);
        if (end == std::string::npos)
            end = absolute.size();
        const std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += kPathSeparator + part;
    return out.empty() ? std::string(1, kPathSeparator) : out;
}

std::string canonicalFolder(const std::string& path) {
    return normalised(ResolvePath(path));
}

std::optional<std::pair<dev_t, ino_t>> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return std::pair{st.st_dev, st.st_ino};
}

} // namespace

bool SameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty())
        return false;
    const auto ia = identityOf(a);
    const auto ib = identityOf(b);
    if (ia && ib)
        return *ia == *ib;
    return canonicalFolder(a) == canonicalFolder(b);
}

bool FolderInside(const std::string& inner, const std::string& outer) {
    if (inner.empty() || outer.empty())
        return false;
    const std::string outerName = canonicalFolder(outer);
    const auto outerIdentity = identityOf(outer);
    for (std::string p = canonicalFolder(inner);;) {
        if (p == outerName)
            return true;
        if (outerIdentity) {
            const auto identity = identityOf(p);
            if (identity && *identity == *outerIdentity)
                return true;
        }
        if (p.size() <= 1)
            return false;
        const std::size_t slash = p.rfind(kPathSeparator);
        p = slash == 0 ? std::string(1, kPathSeparator) : p.substr(0, slash);
    }
}

std::string CurrentFolder() {
    std::string buffer(4096, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr)
        return "/";
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

} // namespace lexmora
