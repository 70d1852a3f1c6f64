#include "search/source_text.h"

#include "codes/cp1252_case.h"
#include "core/text_codec.h"
#include "search/text_fold.h"

#include <cerrno>
#include <unistd.h>

namespace lexmora {

namespace {

// Reads are much larger than the line-end detection block: few system calls, and a hit's
// context never has to be cut at a block edge.
constexpr std::size_t kReadChunk = 128 * 1024;
constexpr std::size_t kKeptBufferSize = 4 * 1024 * 1024;

} // namespace

std::string DetectLineBreak(std::string_view firstBlock, bool htmlMode) {
    if (firstBlock.find("\r\n") != std::string_view::npos)
        return "\r\n";
    if (firstBlock.find('\n') != std::string_view::npos)
        return "\n";
    if (firstBlock.find('\r') != std::string_view::npos)
        return "\r";
    if (htmlMode && findText(firstBlock, "<br>", false) != std::string_view::npos)
        return "<br>";
    return {};
}

SourceBuffers& reusedBuffers() {
    thread_local SourceBuffers buffers;
    if (buffers.read.capacity() > kKeptBufferSize || buffers.folded.capacity() > kKeptBufferSize)
        buffers = SourceBuffers{};
    return buffers;
}

void SourceText::startStream(int fd, std::string rawHead, bool more, std::uint64_t remaining,
                             bool utf8) {
    m_fd = fd;
    m_remaining = remaining;
    m_bytesRead = rawHead.size();
    m_rawEof = !more;
    m_utf8 = utf8;
    m_kind = utf8 ? SourceTextKind::Utf8 : SourceTextKind::Raw;
    m_utf8Carry.clear();
    if (!utf8) {
        m_pending = std::move(rawHead);
        return;
    }
    std::string_view head = rawHead;
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3);
    m_pending = convertUtf8(head);
}

namespace {

// Where a UTF-8 sequence that the end of `raw` cuts short begins (raw.size() when none is).
std::size_t cutSequenceStart(std::string_view raw) {
    const std::size_t n = raw.size();
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(raw[n - back]);
        if (c < 0x80)
            return n;
        if (c >= 0xC0) {
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return length > back ? n - back : n;
        }
    }
    return n;
}

} // namespace

// Converts what the carry and `raw` hold, keeping a sequence cut by the read for the next one
// (at the end of the file it is converted as it stands, as a whole-file conversion would).
std::string SourceText::convertUtf8(std::string_view raw) {
    std::string joined = std::move(m_utf8Carry);
    joined.append(raw.data(), raw.size());
    const std::size_t cut = m_rawEof ? joined.size() : cutSequenceStart(joined);
    m_utf8Carry.assign(joined, cut, std::string::npos);
    return utf8ToCp1252(std::string_view(joined).substr(0, cut));
}

void SourceText::startWhole(std::string text, std::uint64_t bytesRead) {
    m_fd = -1;
    m_bytesRead = bytesRead;
    m_pending = std::move(text);
    m_rawEof = true;
    m_kind = SourceTextKind::Unknown;
}

void SourceText::setLineBreak(const std::string& lineBreak, bool noCase) {
    m_hyphenBreak = lineBreak.empty() ? std::string() : "-" + lineBreak;
    m_breakNoCase = noCase;
    if (lineBreak.empty())
        return;
    // A hyphen break is found as "-" followed by the line end's first character.
    const unsigned char first = static_cast<unsigned char>(lineBreak[0]);
    m_breakPair.first[0] = m_breakPair.first[1] = '-';
    m_breakPair.second[0] = noCase ? lowerCp1252(first) : first;
    m_breakPair.second[1] = noCase ? upperCp1252(first) : first;
    m_breakPair.distance = 1;
}

bool SourceText::fill(std::size_t keepFrom) {
    if (keepFrom > 0)
        dropBefore(keepFrom);
    if (m_eof)
        return false;
    const std::size_t before = m_read.size();
    // The held-back tail (or the file's first block) goes first; the file's next piece is
    // read straight behind it, and hyphen breaks are taken out in place.
    m_read.append(m_pending.data(), m_pending.size());
    m_pending.clear();
    if (!m_rawEof && m_fd >= 0) {
        if (m_utf8)
            readNextUtf8Chunk();
        else
            readNextChunk();
    }
    removeHyphenBreaks(before);
    if (m_foldActive) {
        m_folded.resize(m_read.size());
        if (!m_lazyFold)
            foldAll();
    }
    if (m_rawEof && m_pending.empty())
        m_eof = true;
    return m_read.size() > before || m_eof;
}

void SourceText::dropBefore(std::size_t keepFrom) {
    m_dropped += std::min(keepFrom, m_read.size());
    m_read.erasePrefix(keepFrom, m_read.size());
    if (m_foldActive) {
        m_folded.erasePrefix(keepFrom, m_foldedTo);
        m_foldedTo = m_foldedTo > keepFrom ? m_foldedTo - keepFrom : 0;
    }
}

void SourceText::readNextChunk() {
    const std::size_t old = m_read.size();
    // One byte more than the file should still hold, so that its end is seen at once.
    const std::size_t chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, m_remaining + 1));
    m_read.resize(old + chunk);
    ssize_t got;
    do {
        got = ::read(m_fd, m_read.data() + old, chunk);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // End of file, or a file that shrank or failed under us: what was read stands, and
        // bytesRead() and readError() tell the scan which it was.
        if (got < 0)
            m_readError = errno;
        m_rawEof = true;
        got = 0;
    }
    m_bytesRead += static_cast<std::uint64_t>(got);
    m_read.resize(old + static_cast<std::size_t>(got));
    m_remaining -= std::min<std::uint64_t>(m_remaining, static_cast<std::uint64_t>(got));
}

// The next piece of a UTF-8 file, read aside and appended converted.
void SourceText::readNextUtf8Chunk() {
    const std::size_t at = m_read.size();
    readNextChunk();
    // Converted from where the read put it (the conversion copies it first), then in its place.
    const std::string converted = convertUtf8({m_read.data() + at, m_read.size() - at});
    m_read.resize(at);
    m_read.append(converted.data(), converted.size());
}

// Takes every "-" + line break out of m_read from `from` on (a word hyphenated at a line end is
// joined). A tail that may be the start of such a break waits in m_pending for more text.
void SourceText::removeHyphenBreaks(std::size_t from) {
    if (m_hyphenBreak.empty())
        return;
    const std::string_view hb = m_hyphenBreak;
    char* d = m_read.data();
    const std::size_t n = m_read.size();
    const std::size_t limit = hyphenBreakSearchLimit(from);
    std::size_t write = from, segment = from, scan = from;
    while (scan < limit) {
        const std::size_t at = FindBytePair(d, limit, scan, m_breakPair);
        if (at == std::string::npos)
            break;
        if (at + hb.size() <= limit && isBreakAt(std::string_view(d + at, hb.size()), hb)) {
            if (write != segment)
                std::memmove(d + write, d + segment, at - segment);
            write += at - segment;
            segment = scan = at + hb.size();
            m_joins.emplace_back(m_dropped + write,
                                 (m_joins.empty() ? 0 : m_joins.back().second) + hb.size());
            continue;
        }
        scan = at + 1;
    }
    if (write != segment)
        std::memmove(d + write, d + segment, limit - segment);
    write += limit - segment;
    m_pending.assign(d + limit, n - limit);
    m_read.resize(write);
}

// Where the window's breaks are looked for: its end, or before a tail that may be the start of
// a break while more of the file is to come.
std::size_t SourceText::hyphenBreakSearchLimit(std::size_t from) const {
    const std::string_view hb = m_hyphenBreak;
    const char* d = m_read.data();
    const std::size_t n = m_read.size();
    if (!m_rawEof)
        for (std::size_t len = std::min(hb.size() - 1, n - from); len > 0; --len)
            if (isBreakAt(std::string_view(d + n - len, len), hb.substr(0, len)))
                return n - len;
    return n;
}

bool SourceText::isBreakAt(std::string_view text, std::string_view hyphenBreak) const {
    if (m_breakNoCase)
        return startsWithNoCase(text, hyphenBreak);
    // A few bytes: compared here rather than through a library call.
    if (text.size() != hyphenBreak.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != hyphenBreak[i])
            return false;
    return true;
}

} // namespace lexmora
