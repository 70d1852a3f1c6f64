// The source text a search reads: a window over the file that grows and slides as the scan goes
// on, with words hyphenated at a line end joined, and its case-folded copy. The accessors and
// foldAll are called once per candidate hit, so they are defined here.
#pragma once

#include "search/byte_pair_scan.h"
#include "search/hit_positions.h"
#include "search/literal_finder.h"
#include "search/text_fold.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lexmora {

inline constexpr std::size_t kBlockSize = 31744; // where a file's line end is looked for
// A match or its context that still runs past the window when the window has grown this large
// is taken as it stands (a pathological "word" of megabytes).
inline constexpr std::size_t kMaxWindow = 32 * 1024 * 1024;

// The line-end sequence a file's first block uses (CR LF, LF, CR, and "<br>" in HTML mode), or
// empty.
std::string DetectLineBreak(std::string_view firstBlock, bool htmlMode);

// A growable byte array whose new bytes are left unset: a read fills them at once, and zeroing
// half a megabyte before every read costs as much as the search itself.
class ByteBuffer {
public:
    char* data() { return m_data.get(); }
    const char* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    void resize(std::size_t n) {
        if (n > m_capacity)
            grow(n);
        m_size = n;
    }
    void append(const char* bytes, std::size_t n) {
        const std::size_t old = m_size;
        resize(old + n);
        if (n > 0)
            std::memcpy(m_data.get() + old, bytes, n);
    }
    // Drops the first `n` bytes of the first `valid` (the rest need not be kept).
    void erasePrefix(std::size_t n, std::size_t valid) {
        if (valid > n)
            std::memmove(m_data.get(), m_data.get() + n, valid - n);
        m_size = m_size > n ? m_size - n : 0;
    }

private:
    void grow(std::size_t n) {
        const std::size_t capacity = std::max(n, m_capacity * 2);
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (m_size > 0)
            std::memcpy(bigger.get(), m_data.get(), m_size);
        m_data = std::move(bigger);
        m_capacity = capacity;
    }
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// The window's buffers outlive a file and a call, so that the next file reuses their pages
// (fresh pages cost a fault each).
struct SourceBuffers {
    ByteBuffer read, folded;
};

// This thread's buffers; a window that grew huge for one file is given back first.
SourceBuffers& reusedBuffers();

class SourceText {
public:
    explicit SourceText(SourceBuffers& buffers) : m_read(buffers.read), m_folded(buffers.folded) {
        m_read.resize(0);
        m_folded.resize(0);
    }
    // Streams the open file; `rawHead` is what was read from its start already. A UTF-8 file is
    // converted piece by piece as it is read (`utf8`), so it costs no copy of the whole file.
    void startStream(int fd, std::string rawHead, bool more, std::uint64_t remaining,
                     bool utf8 = false);
    // Serves a text that is already whole (a converted copy of the `bytesRead` bytes read).
    void startWhole(std::string text, std::uint64_t bytesRead);
    void setLineBreak(const std::string& lineBreak, bool noCase);
    // `lazy`: the folded copy is made only when foldAll is called (a literal is looked for in
    // the text as read, and only a window that holds it is folded).
    void setFold(const FoldTable* fold, bool active, bool lazy) {
        m_fold = fold;
        m_foldActive = active;
        m_lazyFold = lazy;
    }

    // Drops the text before `keepFrom` and appends the next piece of the file. False when
    // nothing more could be added (end of file or a read failure).
    bool fill(std::size_t keepFrom);

    // Makes the folded copy of the whole window current.
    void foldAll() {
        if (!m_foldActive || m_foldedTo >= m_read.size())
            return;
        FoldBytes(*m_fold, reinterpret_cast<const unsigned char*>(m_read.data()) + m_foldedTo,
                  reinterpret_cast<unsigned char*>(m_folded.data()) + m_foldedTo,
                  m_read.size() - m_foldedTo);
        m_foldedTo = m_read.size();
    }

    std::string_view read() const { return {m_read.data(), m_read.size()}; }
    // The text the pattern is matched in (folded up to where foldAll last reached).
    const char* search() const { return m_foldActive ? m_folded.data() : m_read.data(); }
    std::size_t size() const { return m_read.size(); }
    bool eof() const { return m_eof; }
    // The file's bytes read so far, and the error of a read that failed (0: none), so that a
    // file that shrank or failed under the scan is noticed.
    std::uint64_t bytesRead() const { return m_bytesRead; }
    // How much of the text the window has dropped before its first byte (0: it starts the file).
    std::uint64_t windowStart() const { return m_dropped; }
    // Where the window's byte `pos` stands in the text the offsets of the kind count (the
    // hyphen breaks taken out put back).
    std::uint64_t sourceOffset(std::size_t pos) const {
        const std::uint64_t joined = m_dropped + pos;
        const auto after = std::upper_bound(
            m_joins.begin(), m_joins.end(), joined,
            [](std::uint64_t at, const std::pair<std::uint64_t, std::uint64_t>& join) {
                return at < join.first;
            });
        return joined + (after == m_joins.begin() ? 0 : std::prev(after)->second);
    }
    SourceTextKind offsetKind() const { return m_kind; }
    int readError() const { return m_readError; }

private:
    void dropBefore(std::size_t keepFrom);
    void readNextChunk();
    void readNextUtf8Chunk();
    std::string convertUtf8(std::string_view raw);
    void removeHyphenBreaks(std::size_t from);
    std::size_t hyphenBreakSearchLimit(std::size_t from) const;
    bool isBreakAt(std::string_view text, std::string_view hyphenBreak) const;

    ByteBuffer& m_read;
    ByteBuffer& m_folded;
    std::size_t m_foldedTo = 0; // m_folded holds the folded text of m_read up to here
    std::uint64_t m_dropped = 0;
    int m_fd = -1;
    std::uint64_t m_remaining = 0; // bytes the file should still hold
    std::uint64_t m_bytesRead = 0;
    int m_readError = 0;
    std::string m_pending; // raw text not yet in the window
    bool m_utf8 = false;
    std::string m_utf8Carry; // the start of a UTF-8 sequence that the last read cut
    std::string m_hyphenBreak;
    bool m_breakNoCase = false;
    BytePair m_breakPair;
    const FoldTable* m_fold = nullptr;
    bool m_foldActive = false;
    bool m_lazyFold = false;
    bool m_rawEof = false;
    bool m_eof = false;
    SourceTextKind m_kind = SourceTextKind::Unknown;
    // Each hyphen break taken out: where the text after it begins (counted as the window
    // counts, from the file's start) and the bytes taken out up to there.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_joins;
};

} // namespace lexmora
