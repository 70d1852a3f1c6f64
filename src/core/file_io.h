// Low-level file access over POSIX: whole-file reads, atomic replacement, descriptors that close
// themselves on every way out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lexmora {

// A file descriptor closed by its destructor.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release();
    void reset();

private:
    int m_fd = -1;
};

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> readFileBytes(const std::string& path);

// At most `limit` bytes from the start of the file.
std::optional<std::string> readFileStart(const std::string& path, std::size_t limit);

// Reads `size` bytes at `offset` of `fd`, retrying short reads; false when the file holds fewer
// or a read fails. Safe on one descriptor from several threads at once.
bool readAllAt(int fd, char* out, std::size_t size, std::uint64_t offset);
// The same, `error` telling why it failed: the read's errno, or EIO for a file that holds fewer.
bool readAllAt(int fd, char* out, std::size_t size, std::uint64_t offset, int& error);

// Writes all of `data` to `fd`, retrying short writes; false on any failure.
bool writeAll(int fd, std::string_view data);

// A new file of this process's own in `folder` (/tmp when empty) that has no name there (or,
// on a file system that cannot make one so, a name begun with `prefix`, gone as soon as it is
// open): it lasts as long as its descriptor, so that nothing is left on any way out, a killed
// process's too. Invalid, `error` the errno, when it could not be made.
UniqueFd openNamelessTemporary(const std::string& folder, std::string_view prefix, int& error);

// Writes `data` to a new file beside `path` and renames it over `path`, so readers never see a
// half-written file. The temporary file is removed on failure.
bool writeFileReplacing(const std::string& path, std::string_view data);

bool fileIsPresent(const std::string& path); // anything at all is there
bool isRegularFile(const std::string& path);
bool isDirectory(const std::string& path);
std::optional<std::uint64_t> fileSize(const std::string& path);

} // namespace lexmora
