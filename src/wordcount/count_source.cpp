#include "wordcount/count_source.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lexmora {

namespace {

// The first place from `j` on (j >= len) that holds the separator's last character with a
// hyphen `len` bytes before it, or n: 16 places tested at once, for such line ends are rare.
std::size_t nextHyphenLineEnd(const char* p, std::size_t j, std::size_t n, char last,
                              std::size_t len) {
#ifdef __SSE2__
    const __m128i lastV = _mm_set1_epi8(last);
    const __m128i hyphen = _mm_set1_epi8('-');
    for (; j + 16 <= n; j += 16) {
        const __m128i ends =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j)), lastV);
        const __m128i hyphens =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j - len)), hyphen);
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ends, hyphens)));
        if (found != 0)
            return j + static_cast<std::size_t>(__builtin_ctz(found));
    }
#endif
    for (; j < n; ++j)
        if (p[j] == last && p[j - len] == '-')
            return j;
    return n;
}

} // namespace

std::string_view detectSeparator(std::string_view block) {
    if (block.find("\r\n") != std::string_view::npos)
        return "\r\n";
    if (block.find('\n') != std::string_view::npos)
        return "\n";
    return "\r";
}

std::size_t joinHyphens(char* p, std::size_t n, std::string_view sep, bool eof,
                        std::string& carry) {
    const std::size_t limit = eof ? n : (n > 3 ? n - 3 : 0);
    std::size_t r = 0, w = 0;
    auto copy = [&](std::size_t to) {
        if (w != r)
            std::memmove(p + w, p + r, to - r);
        w += to - r;
        r = to;
    };
    // Only a line end with a hyphen before it can join; the bytes below r may have moved, so
    // a place found there is passed over.
    const std::size_t len = sep.size();
    for (std::size_t j = len; j < n;) {
        j = nextHyphenLineEnd(p, j, n, sep.back(), len);
        if (j >= n)
            break;
        const std::size_t i = j - len; // where the hyphen would be
        if (i >= limit)
            break;
        const std::size_t x = j + 1; // the first character after the separator
        if (i >= r && p[i] == '-' && (len == 1 || p[i + 1] == sep[0]) && x < n) {
            copy(IsHyphenKeepingCapital(static_cast<unsigned char>(p[x])) ? i + 1 : i);
            r = x;
        }
        j = x;
    }
    if (r < limit)
        copy(limit);
    carry.assign(p + r, n - r);
    return w;
}

// True when no byte of the text is above 127 (read 8 bytes at a time).
bool allAscii(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        any |= v;
    }
    for (; n > 0; ++p, --n)
        any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ull) == 0;
}

std::size_t cutUtf8Tail(std::string_view units) {
    const std::size_t n = units.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, n); ++back) {
        const auto c = static_cast<unsigned char>(units[n - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: the lead is further back
        if (c < 0xC0)
            return 0;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace lexmora
