#include "search/context_text.h"

#include "codes/code_tables.h"

#include "core/cpu_features.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LEXMORA_X86_CLEAN 1
#endif

namespace lexmora {

namespace {

// Plain text (no tags, no letters to translate, the blank is " "): without branches on the
// data, as blanks stand at random.
std::string cleanPlainText(std::string_view text) {
    std::string out(text.size(), '\0');
    char* o = out.data();
    unsigned lastBlank = 0;
    for (std::size_t i = 0, n = text.size(); i < n; ++i) {
        const unsigned c = static_cast<unsigned char>(text[i]);
        const unsigned blank = (c - 1u) < 32u; // 1 .. 32: a blank or a control character
        const unsigned nul = c == 0;
        *o = static_cast<char>(c ^ ((c ^ ' ') & (0u - blank)));
        o += (nul | (blank & lastBlank)) ^ 1u;
        lastBlank = blank | (lastBlank & nul);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

// The plain rules a piece at a time, forward from the start of a text or backward from its end,
// stopping once enough is written. The rules read the same both ways (NUL goes, and each run of
// blanks and control characters gives one blank), so the left context is cleaned from the hit
// outward and ends where the line would cut it. A vector of bytes is copied at once as long as
// it holds no control character and no blank after a blank; the byte that stops the copy is
// taken on its own, with the rest of its run. A copy may write up to kSlack bytes beyond the
// output's limit (or below it, backward): the buffers leave room.
constexpr std::size_t kSlack = 64;

#ifdef LEXMORA_X86_CLEAN
#define LEXMORA_INLINE inline __attribute__((always_inline))

// The vectors of the copy: which bytes are control characters (0 .. 31) and which blanks.
struct Sse2Lanes {
    static constexpr int kWidth = 16;
    struct Block {
        __m128i bytes;
        std::uint32_t control, blank;
    };
    static LEXMORA_INLINE Block load(const unsigned char* at) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(31)), x);
        const __m128i blank = _mm_cmpeq_epi8(x, _mm_set1_epi8(' '));
        return {x, static_cast<std::uint32_t>(_mm_movemask_epi8(control)),
                static_cast<std::uint32_t>(_mm_movemask_epi8(blank))};
    }
    static LEXMORA_INLINE void store(char* at, const Block& b) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), b.bytes);
    }
};

struct Avx2Lanes {
    static constexpr int kWidth = 32;
    struct Block {
        __m256i bytes;
        std::uint32_t control, blank;
    };
    __attribute__((target("avx2"))) static Block load(const unsigned char* at) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i control = _mm256_cmpeq_epi8(_mm256_min_epu8(x, _mm256_set1_epi8(31)), x);
        const __m256i blank = _mm256_cmpeq_epi8(x, _mm256_set1_epi8(' '));
        return {x, static_cast<std::uint32_t>(_mm256_movemask_epi8(control)),
                static_cast<std::uint32_t>(_mm256_movemask_epi8(blank))};
    }
    __attribute__((target("avx2"))) static void store(char* at, const Block& b) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), b.bytes);
    }
};
#else
#define LEXMORA_INLINE inline
#endif

// No vectors: every byte taken on its own.
struct NoLanes {
    static constexpr int kWidth = 0;
};

template <typename Lanes> class PlainCleaner {
public:
    // Cleans forward from `p` to `end`, writing at `o` and at most up to `limit`; returns where
    // the output ends.
    LEXMORA_INLINE char* forward(const unsigned char* p, const unsigned char* end, char* o,
                                 const char* limit) {
        if constexpr (Lanes::kWidth > 0) {
            // While a whole vector is there to read, the bytes before its first stop are copied
            // (the copy may run past the limit, into the slack) and the stop is taken on its own.
            constexpr std::size_t w = Lanes::kWidth;
            while (static_cast<std::size_t>(end - p) >= w && o < limit) {
                const typename Lanes::Block b = Lanes::load(p);
                Lanes::store(o, b);
                const std::uint32_t stops =
                    (b.control | (b.blank & ((b.blank << 1) | m_lastBlank))) & laneBits(w);
                const std::size_t clean =
                    stops == 0 ? w : static_cast<std::size_t>(std::countr_zero(stops));
                if (clean >= static_cast<std::size_t>(limit - o))
                    return const_cast<char*>(limit); // full before the stop
                o += clean;
                p += clean;
                if (clean > 0)
                    m_lastBlank = (b.blank >> (clean - 1)) & 1u;
                if (clean < w)
                    stepForward(p, end, o);
            }
        }
        while (p < end && o < limit)
            stepForward(p, end, o);
        return o;
    }

    // Cleans backward from `end` down to `begin`, writing down from `o` and at most down to
    // `limit`; returns where the output begins.
    LEXMORA_INLINE char* backward(const unsigned char* begin, const unsigned char* end, char* o,
                                  const char* limit) {
        if constexpr (Lanes::kWidth > 0) {
            constexpr std::size_t w = Lanes::kWidth;
            while (static_cast<std::size_t>(end - begin) >= w && o > limit) {
                const typename Lanes::Block b = Lanes::load(end - w);
                Lanes::store(o - w, b);
                const std::uint32_t stops =
                    (b.control | (b.blank & ((b.blank >> 1) | (m_lastBlank << (w - 1))))) &
                    laneBits(w);
                // The clean bytes at the top of the vector, next to what is written.
                const std::size_t clean =
                    stops == 0 ? w : static_cast<std::size_t>(std::countl_zero(stops)) - (32 - w);
                if (clean >= static_cast<std::size_t>(o - limit))
                    return const_cast<char*>(limit);
                o -= clean;
                end -= clean;
                if (clean > 0)
                    m_lastBlank = (b.blank >> (w - clean)) & 1u;
                if (clean < w)
                    stepBackward(begin, end, o);
            }
        }
        while (end > begin && o > limit)
            stepBackward(begin, end, o);
        return o;
    }

    // The blank state across pieces cleaned in turn (the byte before was a blank).
    void setLastBlank(std::uint32_t lastBlank) { m_lastBlank = lastBlank; }
    std::uint32_t lastBlank() const { return m_lastBlank; }

private:
    static constexpr std::uint32_t laneBits(std::size_t w) {
        return w >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << w) - 1;
    }
    // What one byte gives: itself, a blank, or nothing (0) for NUL and a blank after a blank.
    LEXMORA_INLINE char take(unsigned char c) {
        if (c > ' ') {
            m_lastBlank = 0;
            return static_cast<char>(c);
        }
        if (c == 0)
            return 0;
        const char out = m_lastBlank == 0 ? ' ' : 0;
        m_lastBlank = 1;
        return out;
    }
    // One byte, and behind a blank the rest of its run (a line end's second byte), which gives
    // nothing.
    LEXMORA_INLINE void stepForward(const unsigned char*& p, const unsigned char* end, char*& o) {
        if (const char c = take(*p++))
            *o++ = c;
        while (m_lastBlank != 0 && p < end && *p <= ' ')
            ++p;
    }
    LEXMORA_INLINE void stepBackward(const unsigned char* begin, const unsigned char*& end,
                                     char*& o) {
        if (const char c = take(*--end))
            *--o = c;
        while (m_lastBlank != 0 && end > begin && end[-1] <= ' ')
            --end;
    }

    std::uint32_t m_lastBlank = 0;
};

// The three pieces of a line, written into buffers that leave kSlack around each piece.
template <typename Lanes>
LEXMORA_INLINE void cleanPieces(const unsigned char* bytes, std::size_t leftFrom, std::size_t s,
                                std::size_t e, std::size_t rightTo, char* leftEnd,
                                std::size_t leftRoom, char* rest, std::size_t rightRoom,
                                std::string_view& left, std::string_view& matched,
                                std::string_view& right) {
    const char* leftBegin =
        PlainCleaner<Lanes>().backward(bytes + leftFrom, bytes + s, leftEnd, leftEnd - leftRoom);
    left = std::string_view(leftBegin, static_cast<std::size_t>(leftEnd - leftBegin));
    char* matchedEnd = PlainCleaner<Lanes>().forward(bytes + s, bytes + e, rest, rest + (e - s));
    matched = std::string_view(rest, static_cast<std::size_t>(matchedEnd - rest));
    char* rightEnd = PlainCleaner<Lanes>().forward(bytes + e, bytes + rightTo, matchedEnd,
                                                   matchedEnd + rightRoom);
    right = std::string_view(matchedEnd, static_cast<std::size_t>(rightEnd - matchedEnd));
}

#ifdef LEXMORA_X86_CLEAN
__attribute__((target("avx2"))) void
cleanPiecesAvx2(const unsigned char* bytes, std::size_t leftFrom, std::size_t s, std::size_t e,
                std::size_t rightTo, char* leftEnd, std::size_t leftRoom, char* rest,
                std::size_t rightRoom, std::string_view& left, std::string_view& matched,
                std::string_view& right) {
    cleanPieces<Avx2Lanes>(bytes, leftFrom, s, e, rightTo, leftEnd, leftRoom, rest, rightRoom, left,
                           matched, right);
}

// With the AVX-512 byte compress the plain rules need no branch on the data: of 64 bytes the
// blanks become " ", the bytes to drop (a blank after a blank) are masked out and the rest are
// packed and stored at once. A block that holds NUL, which leaves the blank state as it was, is
// taken byte by byte.
#define LEXMORA_VBMI2 __attribute__((target("avx512f,avx512bw,avx512vbmi2,bmi2,popcnt")))

struct Vbmi2Block {
    __m512i bytes;        // the blanks as " "
    std::uint64_t blank;  // 1 .. 32
    std::uint64_t hasNul; // any NUL in the block
};

LEXMORA_VBMI2 inline Vbmi2Block loadVbmi2(const unsigned char* at, std::uint64_t lanes) {
    const __m512i x = _mm512_maskz_loadu_epi8(lanes, at);
    const std::uint64_t nul = _mm512_mask_cmpeq_epi8_mask(lanes, x, _mm512_setzero_si512());
    const std::uint64_t blank = _mm512_mask_cmple_epu8_mask(lanes, x, _mm512_set1_epi8(' ')) & ~nul;
    return {_mm512_mask_blend_epi8(blank, x, _mm512_set1_epi8(' ')), blank, nul};
}

LEXMORA_VBMI2 inline std::uint64_t lowLanes(std::size_t n) {
    return n >= 64 ? ~std::uint64_t{0} : _bzhi_u64(~std::uint64_t{0}, static_cast<unsigned>(n));
}

// One piece cleaned a block per step, forward from `p` to `end` and writing at `o` up to `limit`,
// so that two pieces can be cleaned in turn: each block waits on the one before for where its
// output goes, and two pieces let the processor work on one while the other waits.
struct ForwardVbmi2 {
    const unsigned char* p;
    const unsigned char* end;
    char* o;
    const char* limit;
    std::uint64_t lastBlank = 0;

    LEXMORA_VBMI2 bool more() const { return p < end && o < limit; }
    LEXMORA_VBMI2 void step() {
        const std::size_t n = std::min<std::size_t>(64, static_cast<std::size_t>(end - p));
        const std::uint64_t lanes = lowLanes(n);
        const Vbmi2Block b = loadVbmi2(p, lanes);
        if (b.hasNul != 0) {
            PlainCleaner<Avx2Lanes> bytes;
            bytes.setLastBlank(static_cast<std::uint32_t>(lastBlank));
            o = bytes.forward(p, p + n, o, limit);
            lastBlank = bytes.lastBlank();
            p += n;
            return;
        }
        const std::uint64_t keep = lanes & ~(b.blank & ((b.blank << 1) | lastBlank));
        const auto kept = static_cast<std::size_t>(_mm_popcnt_u64(keep));
        const std::size_t taken = std::min(kept, static_cast<std::size_t>(limit - o));
        _mm512_mask_storeu_epi8(o, lowLanes(taken), _mm512_maskz_compress_epi8(keep, b.bytes));
        o += taken;
        p += n;
        lastBlank = (b.blank >> (n - 1)) & 1u;
    }
};

// The same backward from `end` down to `begin`, writing down from `o` to `limit`.
struct BackwardVbmi2 {
    const unsigned char* begin;
    const unsigned char* end;
    char* o;
    const char* limit;
    std::uint64_t lastBlank = 0; // of the byte right of the block

    LEXMORA_VBMI2 bool more() const { return end > begin && o > limit; }
    LEXMORA_VBMI2 void step() {
        const std::size_t n = std::min<std::size_t>(64, static_cast<std::size_t>(end - begin));
        const std::uint64_t lanes = lowLanes(n);
        const Vbmi2Block b = loadVbmi2(end - n, lanes);
        if (b.hasNul != 0) {
            PlainCleaner<Avx2Lanes> bytes;
            bytes.setLastBlank(static_cast<std::uint32_t>(lastBlank));
            o = bytes.backward(end - n, end, o, limit);
            lastBlank = bytes.lastBlank();
            end -= n;
            return;
        }
        const std::uint64_t keep = lanes & ~(b.blank & ((b.blank >> 1) | (lastBlank << (n - 1))));
        const auto kept = static_cast<std::size_t>(_mm_popcnt_u64(keep));
        const std::size_t taken = std::min(kept, static_cast<std::size_t>(o - limit));
        // The last `taken` of the packed bytes end at o (the others fall below the limit, where
        // the mask keeps them from being written).
        _mm512_mask_storeu_epi8(o - kept, lowLanes(kept) & ~lowLanes(kept - taken),
                                _mm512_maskz_compress_epi8(keep, b.bytes));
        o -= taken;
        end -= n;
        lastBlank = b.blank & 1u;
    }
};

LEXMORA_VBMI2 void cleanPiecesVbmi2(const unsigned char* bytes, std::size_t leftFrom, std::size_t s,
                                    std::size_t e, std::size_t rightTo, char* leftEnd,
                                    std::size_t leftRoom, char* rest, std::size_t rightRoom,
                                    std::string_view& left, std::string_view& matched,
                                    std::string_view& right) {
    // The match first: the right context is written behind it.
    ForwardVbmi2 middle{bytes + s, bytes + e, rest, rest + (e - s)};
    while (middle.more())
        middle.step();
    matched = std::string_view(rest, static_cast<std::size_t>(middle.o - rest));
    BackwardVbmi2 before{bytes + leftFrom, bytes + s, leftEnd, leftEnd - leftRoom};
    ForwardVbmi2 after{bytes + e, bytes + rightTo, middle.o, middle.o + rightRoom};
    bool leftMore = before.more(), rightMore = after.more();
    while (leftMore && rightMore) {
        before.step();
        after.step();
        leftMore = before.more();
        rightMore = after.more();
    }
    for (; leftMore; leftMore = before.more())
        before.step();
    for (; rightMore; rightMore = after.more())
        after.step();
    left = std::string_view(before.o, static_cast<std::size_t>(leftEnd - before.o));
    right = std::string_view(middle.o, static_cast<std::size_t>(after.o - middle.o));
}
#endif

// The rest: tags, the code's own blank and special letters written as their ANSI letters.
class ContextCleaner {
public:
    ContextCleaner(const ProgramState& state, int languageIndex, int codeIndex,
                   std::string_view text, unsigned char tagOpen, unsigned char tagClose)
        : m_row(CodeRowOf(state, codeIndex)), m_ansi(CodeRowOf(state, kCodeAnsi)), m_text(text),
          m_tagOpen(tagOpen), m_tagClose(tagClose), m_blankCode(blankCodeOf(m_row, codeIndex)),
          m_translate(languageIndex != 0 && codeIndex != kCodeAnsi),
          m_allTranslated(m_translate && codeIndex >= kFirstCodeFile),
          m_tables(codeIndex >= kFirstCodeFile ? 2 : 1) {}

    static unsigned char blankCodeOf(const CodeRow& row, int codeIndex) {
        return codeIndex <= kCodeAscii
                   ? ' '
                   : static_cast<unsigned char>(row.CodeSpaceCode > 0 ? row.CodeSpaceCode : ' ');
    }
    // True when the text needs only cleanPlainText. ANSI and ASCII need no look at the code's
    // row to tell.
    static bool isPlain(const ProgramState& state, int languageIndex, int codeIndex,
                        unsigned char tagOpen) {
        const bool translate = languageIndex != 0 && codeIndex != kCodeAnsi;
        return tagOpen == 0 && !translate &&
               (codeIndex <= kCodeAscii ||
                blankCodeOf(CodeRowOf(state, codeIndex), codeIndex) == ' ');
    }

    std::string clean();

private:
    void putBlank() {
        if (!m_lastBlank)
            *m_o++ = ' ';
        m_lastBlank = true;
    }
    void putChar(unsigned char c) {
        *m_o++ = static_cast<char>(c);
        m_lastBlank = false;
    }
    std::size_t skipTag(std::size_t i) const;
    bool putAnsiLetter(std::size_t& i);

    const CodeRow& m_row;
    const CodeRow& m_ansi;
    std::string_view m_text;
    unsigned char m_tagOpen, m_tagClose;
    unsigned char m_blankCode;
    bool m_translate, m_allTranslated;
    int m_tables;
    // Written through a pointer: every byte of the text gives at most one byte, except a
    // special letter replaced by its ANSI form, which makes room for itself.
    std::string m_out;
    char* m_o = nullptr;
    bool m_lastBlank = false;
};

std::string ContextCleaner::clean() {
    m_out.assign(m_text.size(), '\0');
    m_o = m_out.data();
    const std::size_t n = m_text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(m_text[i]);
        // The common case: a plain character, copied.
        if (c > ' ' && c != m_tagOpen && c != m_blankCode &&
            !(m_translate && (c > 126 || m_allTranslated))) {
            putChar(c);
            ++i;
            continue;
        }
        if (c == 0) {
            ++i;
            continue;
        }
        if (m_tagOpen != 0 && c == m_tagOpen) {
            i = skipTag(i);
            putBlank();
            continue;
        }
        if (c == m_blankCode || c == ' ' || c < 32) {
            putBlank();
            ++i;
            continue;
        }
        if (putAnsiLetter(i))
            continue;
        putChar(c);
        ++i;
    }
    m_out.resize(static_cast<std::size_t>(m_o - m_out.data()));
    return std::move(m_out);
}

// Past the tag opening at `i`: behind its closing character, or at the line end or the text's
// end when it is not closed before.
std::size_t ContextCleaner::skipTag(std::size_t i) const {
    const std::size_t n = m_text.size();
    std::size_t j = i + 1;
    while (j < n && static_cast<unsigned char>(m_text[j]) != m_tagClose && m_text[j] != '\r')
        ++j;
    return j < n && static_cast<unsigned char>(m_text[j]) == m_tagClose ? j + 1 : j;
}

// Writes the ANSI form of the longest representation of a special letter that stands at `i`
// and moves `i` past it; false when none stands there (or ANSI has no form for it).
bool ContextCleaner::putAnsiLetter(std::size_t& i) {
    std::size_t bestLength = 0;
    int bestEntry = -1;
    for (int t = 0; t < m_tables; ++t)
        for (int e = 0; e < kSpecialCharCount; ++e) {
            const std::string& r = m_row.CodeTable[t][e];
            if (!r.empty() && r.size() > bestLength && m_text.substr(i, r.size()) == r &&
                (r.size() > 1 || static_cast<unsigned char>(r[0]) > 126)) {
                bestLength = r.size();
                bestEntry = e;
            }
        }
    if (bestEntry < 0 || m_ansi.CodeTable[0][bestEntry].empty())
        return false;
    const std::string& replacement = m_ansi.CodeTable[0][bestEntry];
    const std::size_t written = static_cast<std::size_t>(m_o - m_out.data());
    const std::size_t needed = written + replacement.size() + (m_text.size() - i - bestLength);
    if (needed > m_out.size()) {
        m_out.resize(needed);
        m_o = m_out.data() + written;
    }
    std::memcpy(m_o, replacement.data(), replacement.size());
    m_o += replacement.size();
    m_lastBlank = false;
    i += bestLength;
    return true;
}

} // namespace

std::string ExtractContext(const ProgramState& state, int languageIndex, int codeIndex,
                           std::string_view text, unsigned char tagOpen, unsigned char tagClose) {
    if (ContextCleaner::isPlain(state, languageIndex, codeIndex, tagOpen))
        return cleanPlainText(text);
    return ContextCleaner(state, languageIndex, codeIndex, text, tagOpen, tagClose).clean();
}

std::string ExtractContext(const ProgramState& state, int codeIndex, std::string_view text,
                           unsigned char tagOpen, unsigned char tagClose) {
    return ExtractContext(state, state.LanguageIndex, codeIndex, text, tagOpen, tagClose);
}

bool IsPlainContext(const ProgramState& state, int languageIndex, int codeIndex,
                    unsigned char tagOpen) {
    return ContextCleaner::isPlain(state, languageIndex, codeIndex, tagOpen);
}

void PlainContexts::take(std::string_view text, std::size_t leftFrom, std::size_t s, std::size_t e,
                         std::size_t rightTo, std::size_t leftWidth, std::size_t rightWidth) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    // The left context is written down from the end of its buffer; the match and the right
    // context one after the other.
    const std::size_t leftRoom = std::min(leftWidth, s - leftFrom);
    m_leftBuffer.resize(std::max(m_leftBuffer.size(), leftRoom + 2 * kSlack));
    char* leftEnd = m_leftBuffer.data() + kSlack + leftRoom;
    const std::size_t rightRoom = std::min(rightWidth, rightTo - e);
    m_restBuffer.resize(std::max(m_restBuffer.size(), (e - s) + rightRoom + kSlack));
    char* rest = m_restBuffer.data();
#ifdef LEXMORA_X86_CLEAN
    const bool widest = m_lanes == Lanes::Widest;
    if (widest && CpuHasAvx512Vbmi2())
        cleanPiecesVbmi2(bytes, leftFrom, s, e, rightTo, leftEnd, leftRoom, rest, rightRoom, m_left,
                         m_matched, m_right);
    else if ((widest || m_lanes == Lanes::Avx2) && CpuHasAvx2())
        cleanPiecesAvx2(bytes, leftFrom, s, e, rightTo, leftEnd, leftRoom, rest, rightRoom, m_left,
                        m_matched, m_right);
    else if (m_lanes != Lanes::Bytes)
        cleanPieces<Sse2Lanes>(bytes, leftFrom, s, e, rightTo, leftEnd, leftRoom, rest, rightRoom,
                               m_left, m_matched, m_right);
    else
        cleanPieces<NoLanes>(bytes, leftFrom, s, e, rightTo, leftEnd, leftRoom, rest, rightRoom,
                             m_left, m_matched, m_right);
#else
    cleanPieces<NoLanes>(bytes, leftFrom, s, e, rightTo, leftEnd, leftRoom, rest, rightRoom, m_left,
                         m_matched, m_right);
#endif
}

} // namespace lexmora
