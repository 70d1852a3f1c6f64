#include "search/text_fold.h"

#include <bit>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define LEXMORA_X86_FOLD 1
#endif

namespace lexmora {

namespace {

bool foldsAsciiLetters(const FoldTable& map) {
    for (int c = 0; c < 128; ++c)
        if (map[static_cast<std::size_t>(c)] != (c >= 'A' && c <= 'Z' ? c + 32 : c))
            return false;
    return true;
}

} // namespace

Fold makeFold(FoldMode mode) {
    Fold f;
    for (int c = 0; c < 256; ++c) {
        unsigned char u = static_cast<unsigned char>(c);
        if (mode == FoldMode::Cp1252)
            u = lowerCp1252(u);
        else if (mode == FoldMode::AsciiLetters && c >= 'A' && c <= 'Z')
            u = static_cast<unsigned char>(c + 32);
        f.map[static_cast<std::size_t>(c)] = u;
    }
    f.active = mode != FoldMode::None;
    return f;
}

std::string foldText(const Fold& fold, std::string_view text) {
    std::string out(text);
    if (fold.active)
        for (char& c : out)
            c = static_cast<char>(fold.map[static_cast<unsigned char>(c)]);
    return out;
}

void FoldBytes(const FoldTable& map, const unsigned char* src, unsigned char* dst, std::size_t n) {
    std::size_t i = 0;
#ifdef LEXMORA_X86_FOLD
    if (n >= 16 && foldsAsciiLetters(map)) {
        // 'A' moved to -128: the capitals are the 26 smallest signed values (no byte above the
        // ASCII half lands there).
        const __m128i shift = _mm_set1_epi8(static_cast<char>(0x80 - 'A'));
        const __m128i pastCapitals = _mm_set1_epi8(-128 + 26);
        const __m128i caseBit = _mm_set1_epi8(0x20);
        for (; i + 16 <= n; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
            const __m128i capital = _mm_cmplt_epi8(_mm_add_epi8(x, shift), pastCapitals);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                             _mm_or_si128(x, _mm_and_si128(capital, caseBit)));
            // The bytes above the ASCII half go through the table.
            for (unsigned high = static_cast<unsigned>(_mm_movemask_epi8(x)); high != 0;
                 high &= high - 1) {
                const std::size_t k = i + static_cast<std::size_t>(std::countr_zero(high));
                dst[k] = map[src[k]];
            }
        }
    }
#endif
    for (; i < n; ++i)
        dst[i] = map[src[i]];
}

} // namespace lexmora
