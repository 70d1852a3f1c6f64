#include "support/test_support.h"

#include "core/os_calls.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace lexmora::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lexmora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests make read-only folders; give write access back so that everything can go.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = std::filesystem::path(m_path) / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}

std::string TempDir::makeFolder(const std::string& name) const {
    const std::filesystem::path folder = std::filesystem::path(m_path) / name;
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string TempDir::read(const std::string& name) const {
    return readFile(m_path + "/" + name);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string sourceDir() {
    return LEXMORA_SOURCE_DIR;
}

std::string binDir() {
    return LEXMORA_BIN_DIR;
}

namespace {

bool endsWith(std::string name, const char* tail) {
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    const std::size_t n = std::strlen(tail);
    return name.size() >= n && name.compare(name.size() - n, n, tail) == 0;
}

int refuseLocked(const char* path, int flags) {
    if (endsWith(path, "locked")) {
        errno = EACCES;
        return -1;
    }
    if (endsWith(path, "broken"))
        return ::open(path, O_WRONLY | O_CLOEXEC); // every read gives EBADF
    return ::open(path, flags);
}

DIR* refuseLockedFolder(const char* path) {
    if (endsWith(path, "locked")) {
        errno = EACCES;
        return nullptr;
    }
    return ::opendir(path);
}

} // namespace

LockedCalls::LockedCalls() {
    osCalls().openFile = refuseLocked;
    osCalls().openFolder = refuseLockedFolder;
}

LockedCalls::~LockedCalls() {
    resetOsCalls();
}

namespace {

std::size_t g_room = 0;
std::mutex g_roomMutex; // result files are written from more than one thread

ssize_t writeToSmallDisk(int fd, const void* data, std::size_t size) {
    const std::lock_guard lock(g_roomMutex);
    if (g_room == 0) {
        errno = ENOSPC;
        return -1;
    }
    const std::size_t put = std::min(size, g_room);
    const ssize_t written = ::write(fd, data, put);
    if (written > 0)
        g_room -= static_cast<std::size_t>(written);
    return written;
}

} // namespace

SmallDisk::SmallDisk(std::size_t room) {
    g_room = room;
    osCalls().writeFile = writeToSmallDisk;
}

SmallDisk::~SmallDisk() {
    resetOsCalls();
}

namespace {

// The program's cache of these tests is the build folder's, never the user's: the positions of
// the hits their searches save would otherwise crowd out the user's own.
const bool kTestCache = [] {
    ::setenv("XDG_CACHE_HOME", (std::string(LEXMORA_BIN_DIR) + "/../test-cache").c_str(), 1);
    return true;
}();

} // namespace

OwnCache::OwnCache() {
    if (const char* before = std::getenv("XDG_CACHE_HOME")) {
        m_before = before;
        m_wasSet = true;
    }
    ::setenv("XDG_CACHE_HOME", m_folder.path().c_str(), 1);
}

OwnCache::~OwnCache() {
    if (m_wasSet)
        ::setenv("XDG_CACHE_HOME", m_before.c_str(), 1);
    else
        ::unsetenv("XDG_CACHE_HOME");
}

} // namespace lexmora::test
