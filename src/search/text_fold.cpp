#include "search/text_fold.h"

#include "core/cpu_features.h"

#include <bit>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
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

namespace {

#ifdef LEXMORA_X86_FOLD
// The ASCII half of a block folded by compares: 'A' moved to -128 makes the capitals the 26
// smallest signed values (no byte above the ASCII half lands there); the bytes above it go
// through the table.
inline void foldHighBytes(const FoldTable& map, const unsigned char* src, unsigned char* dst,
                          std::uint32_t high) {
    for (; high != 0; high &= high - 1) {
        const std::size_t k = static_cast<std::size_t>(std::countr_zero(high));
        dst[k] = map[src[k]];
    }
}

std::size_t foldSse2(const FoldTable& map, const unsigned char* src, unsigned char* dst,
                     std::size_t n) {
    const __m128i shift = _mm_set1_epi8(static_cast<char>(0x80 - 'A'));
    const __m128i pastCapitals = _mm_set1_epi8(-128 + 26);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i capital = _mm_cmplt_epi8(_mm_add_epi8(x, shift), pastCapitals);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(x, _mm_and_si128(capital, caseBit)));
        foldHighBytes(map, src + i, dst + i, static_cast<std::uint32_t>(_mm_movemask_epi8(x)));
    }
    return i;
}

__attribute__((target("avx2"))) std::size_t foldAvx2(const FoldTable& map, const unsigned char* src,
                                                     unsigned char* dst, std::size_t n) {
    const __m256i shift = _mm256_set1_epi8(static_cast<char>(0x80 - 'A'));
    const __m256i pastCapitals = _mm256_set1_epi8(-128 + 26);
    const __m256i caseBit = _mm256_set1_epi8(0x20);
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i capital = _mm256_cmpgt_epi8(pastCapitals, _mm256_add_epi8(x, shift));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_or_si256(x, _mm256_and_si256(capital, caseBit)));
        foldHighBytes(map, src + i, dst + i, static_cast<std::uint32_t>(_mm256_movemask_epi8(x)));
    }
    return i;
}

// The whole table in four registers: each half of it is one two-register permute, and the top
// bit of the byte picks the half. No byte is looked up on its own.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t
foldVbmi(const FoldTable& map, const unsigned char* src, unsigned char* dst, std::size_t n) {
    const unsigned char* table = map.data();
    const __m512i t0 = _mm512_loadu_si512(static_cast<const void*>(table));
    const __m512i t1 = _mm512_loadu_si512(static_cast<const void*>(table + 64));
    const __m512i t2 = _mm512_loadu_si512(static_cast<const void*>(table + 128));
    const __m512i t3 = _mm512_loadu_si512(static_cast<const void*>(table + 192));
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        const __m512i x = _mm512_loadu_si512(static_cast<const void*>(src + i));
        const __m512i low = _mm512_permutex2var_epi8(t0, x, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, x, t3);
        _mm512_storeu_si512(static_cast<void*>(dst + i),
                            _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high));
    }
    return i;
}
#endif

} // namespace

void FoldBytes(const FoldTable& map, const unsigned char* src, unsigned char* dst, std::size_t n,
               VectorLanes lanes) {
    std::size_t i = 0;
#ifdef LEXMORA_X86_FOLD
    if (n >= 64 && lanes == VectorLanes::Widest && CpuHasAvx512Vbmi())
        i = foldVbmi(map, src, dst, n);
    else if (n >= 16 && lanes != VectorLanes::Bytes && foldsAsciiLetters(map))
        i = lanes <= VectorLanes::Avx2 && CpuHasAvx2() ? foldAvx2(map, src, dst, n)
                                                       : foldSse2(map, src, dst, n);
#else
    (void)lanes;
#endif
    for (; i < n; ++i)
        dst[i] = map[src[i]];
}

} // namespace lexmora
