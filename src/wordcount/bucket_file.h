// The count's spilled words on disk: a letter's words, or a piece of them, as "word TAB count
// CR LF" records, in a write buffer while they fit and in a file of the run's folder once they
// do not; and the reading of such records back.
#pragma once

#include "core/file_io.h"
#include "core/io_block.h"
#include "core/os_calls.h"
#include "wordcount/count_source.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace lexmora::counting {

inline constexpr std::size_t kWriteBuffer = kIoBlock; // per bucket file

// A letter's words, or a piece of them, as "word TAB count CR LF" records: in a write buffer
// while they fit, in a file in the run folder once they do not. Only a count whose words
// outgrow the memory budget makes such files.
struct BucketFile {
    std::string path;
    UniqueFd fd;
    bool onDisk = false;
    std::string buffer;
    std::int64_t words = 0; // occurrences, the sum of the records' counts
    bool nonAscii = false;  // a word with a character above 127 went in (pieces)
};

void appendRecord(std::string& out, std::string_view word, std::uint32_t count);

// Splits a record into its word and count; a line without a count is one occurrence.
std::string_view parseRecord(std::string_view line, std::uint32_t& count);

bool createFile(BucketFile& b, int& error);
void removeFile(BucketFile& b);

// Calls `onLine` for every CR LF line of a text held in memory.
template <typename OnLine> void splitLines(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::size_t len =
            end > start && text[end - 1] == '\r' ? end - 1 - start : end - start;
        onLine(text.substr(start, len));
        start = end + 1;
    }
}

// Calls `onLine` for every CR LF line of a file; false on a read error.
template <typename OnLine> bool readLines(const std::string& path, OnLine&& onLine, int& error) {
    UniqueFd fd(osCalls().openFile(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        error = errno;
        return false;
    }
    std::string block(kReadBlock, '\0');
    std::size_t kept = 0; // an unfinished line carried to the front
    for (;;) {
        if (block.size() - kept < kReadBlock / 2)
            block.resize(kept + kReadBlock); // a line longer than a block
        const ssize_t got = ::read(fd.get(), block.data() + kept, block.size() - kept);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (got == 0)
            break;
        const std::size_t size = kept + static_cast<std::size_t>(got);
        const char* data = block.data();
        std::size_t start = 0;
        for (;;) {
            const void* hit = std::memchr(data + start, '\n', size - start);
            if (hit == nullptr)
                break;
            const auto end = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            const std::size_t len =
                end > start && data[end - 1] == '\r' ? end - 1 - start : end - start;
            onLine(std::string_view(data + start, len));
            start = end + 1;
        }
        kept = size - start;
        if (kept > 0 && start > 0)
            std::memmove(block.data(), block.data() + start, kept);
    }
    if (kept > 0)
        onLine(std::string_view(block.data(), kept));
    return true;
}

// Every record of a piece (its file, then what its buffer still holds): onRecord(word, count).
template <typename OnRecord>
bool readRecords(const BucketFile& b, OnRecord&& onRecord, int& error) {
    auto onLine = [&onRecord](std::string_view line) {
        std::uint32_t count = 0;
        const std::string_view word = parseRecord(line, count);
        if (!word.empty() && count > 0)
            onRecord(word, count);
    };
    if (b.onDisk && !readLines(b.path, onLine, error))
        return false;
    splitLines(b.buffer, onLine);
    return true;
}

} // namespace lexmora::counting
