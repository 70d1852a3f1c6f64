#include "core/file_io.h"

#include "core/io_block.h"
#include "core/os_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::reset() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

namespace {

std::optional<std::string> readUpTo(const std::string& path, std::size_t limit) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        return std::nullopt;
    std::string data;
    if (st.st_size > 0)
        data.reserve(std::min<std::size_t>(static_cast<std::size_t>(st.st_size), limit));
    char buffer[kIoBlock];
    while (data.size() < limit) {
        const std::size_t want = std::min(kIoBlock, limit - data.size());
        const ssize_t got = ::read(fd.get(), buffer, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return data;
}

} // namespace

std::optional<std::string> readFileBytes(const std::string& path) {
    return readUpTo(path, static_cast<std::size_t>(-1));
}

std::optional<std::string> readFileStart(const std::string& path, std::size_t limit) {
    return readUpTo(path, limit);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = osCalls().writeFile(fd, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (put == 0) { // nothing taken and no error: a full device, not a reason to spin
            errno = ENOSPC;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool readAllAt(int fd, char* out, std::size_t size, std::uint64_t offset, int& error) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool readAllAt(int fd, char* out, std::size_t size, std::uint64_t offset) {
    int error = 0;
    return readAllAt(fd, out, size, offset, error);
}

UniqueFd openNamelessTemporary(const std::string& folder, std::string_view prefix, int& error) {
    const std::string where = folder.empty() ? std::string("/tmp") : folder;
    // a file that never has a name, where the file system can make one (ext4, tmpfs, xfs)
    UniqueFd fd(::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.valid())
        return fd;
    // elsewhere a name for the moment it takes to remove it; the folder's own failure is told
    // by this try
    std::string pattern = where;
    if (pattern.back() != '/')
        pattern += '/';
    pattern.append(prefix).append("XXXXXX");
    fd = UniqueFd(::mkostemp(pattern.data(), O_CLOEXEC)); // a program started later never holds it
    if (!fd.valid()) {
        error = errno;
        return fd;
    }
    ::unlink(pattern.c_str());
    return fd;
}

bool writeFileReplacing(const std::string& path, std::string_view data) {
    std::string temp = path + ".XXXXXX";
    UniqueFd fd(::mkstemp(temp.data()));
    if (!fd.valid())
        return false;
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    ::fchmod(fd.get(), existed ? (st.st_mode & 07777) : 0644);
    const bool written = writeAll(fd.get(), data) && ::fsync(fd.get()) == 0;
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool fileIsPresent(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

} // namespace lexmora
