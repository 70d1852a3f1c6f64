// How the word count reads a source file: block by block as Windows-1252 text (UTF-8 and
// UTF-16 files converted on the way), with lines joined at a line-end hyphen before the words
// are cut.
#pragma once

#include "codes/code_detect.h"
#include "core/file_io.h"
#include "core/os_calls.h"
#include "core/text_codec.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

inline constexpr std::size_t kReadBlock = 1 << 18;       // source and bucket reads
inline constexpr std::size_t kBlockSlack = kCutterSlack; // the cutter's end mark and marks
inline constexpr std::size_t kBinaryProbe = 32767;
inline constexpr std::size_t kDetectBlock = 31744; // the first block, where UTF-8 is detected

// The line separator of a text by its first block: CR LF, LF, else CR.
std::string_view detectSeparator(std::string_view block);

// Joins lines at a line-end hyphen in place: "-" + separator + a capital keeps the hyphen and
// drops the separator; before anything else the hyphen goes too. Returns the length ready to
// cut; bytes that may still start a join (the last three unless at the end of the file) move to
// `carry` for the next block.
std::size_t joinHyphens(char* p, std::size_t n, std::string_view sep, bool eof, std::string& carry);

// True when no byte of the text is above 127.
bool allAscii(std::string_view text);

// The bytes at the end of a UTF-8 block that begin a sequence the block cuts short: they wait
// for the next block, so that converting block by block gives the text of the whole file.
std::size_t cutUtf8Tail(std::string_view units);

// A source file read block by block as Windows-1252 text: UTF-16 files, and UTF-8 files as the
// search detects them, are converted on the way (characters Windows-1252 lacks become "?", a
// word break).
class SourceReader {
public:
    bool open(const std::string& path, int& error) {
        m_fd = UniqueFd(osCalls().openFile(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!m_fd.valid()) {
            error = errno;
            return false;
        }
        struct stat st {};
        if (::fstat(m_fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = st.st_mode != 0 && !S_ISREG(st.st_mode) ? EISDIR : errno;
            return false;
        }
        m_size = static_cast<std::uint64_t>(st.st_size);
        return true;
    }

    std::uint64_t size() const { return m_size; }
    std::uint64_t consumed() const { return m_done; }
    SourceConversion conversion() const { return m_conversion; }

    // Reads the start of the file: the byte-order mark, the binary test and the UTF-8 form.
    enum class Kind { Empty, Binary, Text, Unreadable };
    Kind probe(int& error) {
        if (m_size == 0)
            return Kind::Empty;
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(kBinaryProbe, m_size > 1 ? m_size - 1 : 1));
        std::string head(static_cast<std::size_t>(
                             std::min<std::uint64_t>(m_size, std::max(kBinaryProbe, kDetectBlock))),
                         '\0');
        const ssize_t got = ::pread(m_fd.get(), head.data(), head.size(), 0);
        if (got < 0) {
            error = errno;
            return Kind::Unreadable;
        }
        head.resize(static_cast<std::size_t>(got));
        if (head.size() >= 2 && ((head[0] == '\xFF' && head[1] == '\xFE') ||
                                 (head[0] == '\xFE' && head[1] == '\xFF'))) {
            m_conversion = head[0] == '\xFE' ? SourceConversion::Utf16BigEndian
                                             : SourceConversion::Utf16LittleEndian;
            m_done = 2; // the mark itself is not text
            return Kind::Text;
        }
        if (std::string_view(head).substr(0, want).find('\0') != std::string_view::npos)
            return Kind::Binary;
        // The first block decides, as in the search; plain ASCII needs no closer look.
        const std::string_view first = std::string_view(head).substr(0, kDetectBlock);
        if (!allAscii(first) &&
            DetectConversion(first, m_size > first.size()) == SourceConversion::Utf8) {
            m_conversion = SourceConversion::Utf8;
            if (first.substr(0, 3) == "\xEF\xBB\xBF")
                m_done = 3;
        }
        return Kind::Text;
    }

    // Reads the next block of text into `block` from `at` on, `block` growing only when a
    // converted block needs more room; `end` becomes where the text ends. 0 at the end of the
    // file, -1 on a read error (errno kept).
    long next(std::string& block, std::size_t at, std::size_t& end, int& error) {
        ssize_t got;
        end = at;
        if (m_conversion == SourceConversion::None) {
            // straight into the caller's block, after what it carries over
            reserveTail(block, at, kReadBlock);
            do {
                got =
                    ::pread(m_fd.get(), block.data() + at, kReadBlock, static_cast<off_t>(m_done));
            } while (got < 0 && errno == EINTR);
            if (got < 0) {
                error = errno;
                return -1;
            }
            m_done += static_cast<std::uint64_t>(got);
            end = at + static_cast<std::size_t>(got);
            return got;
        }
        m_raw.resize(kReadBlock);
        do {
            got = ::pread(m_fd.get(), m_raw.data(), m_raw.size(), static_cast<off_t>(m_done));
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            error = errno;
            return -1;
        }
        m_done += static_cast<std::uint64_t>(got);
        std::string units = m_pending;
        units.append(m_raw.data(), static_cast<std::size_t>(got));
        m_pending.clear();
        std::string text;
        if (m_conversion == SourceConversion::Utf8) {
            const std::size_t whole = units.size() - (got > 0 ? cutUtf8Tail(units) : 0);
            m_pending = units.substr(whole);
            text = utf8ToCp1252(std::string_view(units).substr(0, whole));
        } else {
            const bool bigEndian = m_conversion == SourceConversion::Utf16BigEndian;
            std::size_t whole = units.size() & ~std::size_t{1};
            if (got > 0 && whole >= 2) {
                // a high surrogate waits for its partner in the next block
                const auto hi = static_cast<unsigned char>(units[whole - (bigEndian ? 2 : 1)]);
                if (hi >= 0xD8 && hi <= 0xDB)
                    whole -= 2;
            }
            if (got > 0)
                m_pending = units.substr(whole);
            text = utf16ToCp1252(std::string_view(units).substr(0, whole), bigEndian);
        }
        reserveTail(block, at, text.size());
        std::memcpy(block.data() + at, text.data(), text.size());
        end = at + text.size();
        return got == 0 ? 0 : std::max<long>(1, static_cast<long>(text.size()));
    }

    // Room for `bytes` from `at`, and kBlockSlack more for the cutter's end mark and 8-byte
    // reads of the last word. The block is filled once and keeps its size.
    static void reserveTail(std::string& block, std::size_t at, std::size_t bytes) {
        if (block.size() < at + bytes + kBlockSlack)
            block.resize(at + bytes + kBlockSlack);
    }

private:
    UniqueFd m_fd;
    std::uint64_t m_size = 0;
    std::uint64_t m_done = 0;
    SourceConversion m_conversion = SourceConversion::None;
    std::string m_raw;
    std::string m_pending;
};

} // namespace lexmora
