#include "search/byte_pair_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LEXMORA_X86_SCAN 1
#endif

namespace lexmora {

namespace {

bool inSet(unsigned char c, const unsigned char (&set)[2]) {
    return c == set[0] || c == set[1];
}

// Byte by byte, for the few bytes no vector fits.
std::size_t findPlain(const char* text, std::size_t p, std::size_t last, const BytePair& pair) {
    for (; p < last; ++p)
        if (inSet(static_cast<unsigned char>(text[p]), pair.first) &&
            inSet(static_cast<unsigned char>(text[p + pair.distance]), pair.second))
            return p;
    return std::string::npos;
}

#ifdef LEXMORA_X86_SCAN

// Each loop below compares two vectors per step and tests them together, so that the branch is
// taken once per 32 (SSE2) or 64 (AVX2) bytes. `Two`: a set holds two different bytes (a
// case-blind letter); with one (the hyphen break, a case-sensitive letter) half the compares go.
// The window's last vector is loaded ending at its last start, overlapping what was scanned,
// and the starts already seen are masked out of it.

template <bool Two>
__m128i pairHits16(const char* at, std::size_t d, __m128i a0, __m128i a1, __m128i b0, __m128i b1) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + d));
    __m128i first = _mm_cmpeq_epi8(x, a0), second = _mm_cmpeq_epi8(y, b0);
    if constexpr (Two) {
        first = _mm_or_si128(first, _mm_cmpeq_epi8(x, a1));
        second = _mm_or_si128(second, _mm_cmpeq_epi8(y, b1));
    }
    return _mm_and_si128(first, second);
}

template <bool Two>
std::size_t findSse2(const char* text, std::size_t p, std::size_t last, const BytePair& pair) {
    const std::size_t d = pair.distance;
    const __m128i a0 = _mm_set1_epi8(static_cast<char>(pair.first[0]));
    const __m128i a1 = _mm_set1_epi8(static_cast<char>(pair.first[1]));
    const __m128i b0 = _mm_set1_epi8(static_cast<char>(pair.second[0]));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(pair.second[1]));
    if (last < 16)
        return findPlain(text, p, last, pair);
    while (p + 32 <= last) {
        const __m128i h0 = pairHits16<Two>(text + p, d, a0, a1, b0, b1);
        const __m128i h1 = pairHits16<Two>(text + p + 16, d, a0, a1, b0, b1);
        const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(h0)) |
                           static_cast<unsigned>(_mm_movemask_epi8(h1)) << 16;
        if (m != 0)
            return p + static_cast<std::size_t>(std::countr_zero(m));
        p += 32;
    }
    while (p < last) {
        const std::size_t q = p + 16 <= last ? p : last - 16;
        const unsigned m = static_cast<unsigned>(
                               _mm_movemask_epi8(pairHits16<Two>(text + q, d, a0, a1, b0, b1))) >>
                           (p - q);
        if (m != 0)
            return p + static_cast<std::size_t>(std::countr_zero(m));
        p = q + 16;
    }
    return std::string::npos;
}

template <bool Two>
__attribute__((target("avx2"))) __m256i pairHits32(const char* at, std::size_t d, __m256i a0,
                                                   __m256i a1, __m256i b0, __m256i b1) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + d));
    __m256i first = _mm256_cmpeq_epi8(x, a0), second = _mm256_cmpeq_epi8(y, b0);
    if constexpr (Two) {
        first = _mm256_or_si256(first, _mm256_cmpeq_epi8(x, a1));
        second = _mm256_or_si256(second, _mm256_cmpeq_epi8(y, b1));
    }
    return _mm256_and_si256(first, second);
}

template <bool Two>
__attribute__((target("avx2"))) std::size_t findAvx2(const char* text, std::size_t p,
                                                     std::size_t last, const BytePair& pair) {
    const std::size_t d = pair.distance;
    const __m256i a0 = _mm256_set1_epi8(static_cast<char>(pair.first[0]));
    const __m256i a1 = _mm256_set1_epi8(static_cast<char>(pair.first[1]));
    const __m256i b0 = _mm256_set1_epi8(static_cast<char>(pair.second[0]));
    const __m256i b1 = _mm256_set1_epi8(static_cast<char>(pair.second[1]));
    if (last < 32)
        return findSse2<Two>(text, p, last, pair);
    while (p + 64 <= last) {
        const __m256i h0 = pairHits32<Two>(text + p, d, a0, a1, b0, b1);
        const __m256i h1 = pairHits32<Two>(text + p + 32, d, a0, a1, b0, b1);
        const __m256i any = _mm256_or_si256(h0, h1);
        if (!_mm256_testz_si256(any, any)) {
            const std::uint64_t m =
                static_cast<std::uint32_t>(_mm256_movemask_epi8(h0)) |
                static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(h1)))
                    << 32;
            return p + static_cast<std::size_t>(std::countr_zero(m));
        }
        p += 64;
    }
    while (p < last) {
        const std::size_t q = p + 32 <= last ? p : last - 32;
        const std::uint32_t m = static_cast<std::uint32_t>(_mm256_movemask_epi8(
                                    pairHits32<Two>(text + q, d, a0, a1, b0, b1))) >>
                                (p - q);
        if (m != 0)
            return p + static_cast<std::size_t>(std::countr_zero(m));
        p = q + 32;
    }
    return std::string::npos;
}

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#else

// GCC and Clang vector types elsewhere: NEON where there is one, plain code otherwise.
typedef unsigned char Bytes16 __attribute__((vector_size(16)));
typedef std::uint64_t Words2 __attribute__((vector_size(16)));

Bytes16 load16(const char* p) {
    Bytes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

Bytes16 splat(unsigned char c) {
    Bytes16 v;
    for (int i = 0; i < 16; ++i)
        v[i] = c;
    return v;
}

// The lowest lane whose mask byte is set, in memory order.
std::size_t firstLane(std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::size_t>(std::countr_zero(word)) / 8;
    else
        return static_cast<std::size_t>(std::countl_zero(word)) / 8;
}

std::size_t findVector(const char* text, std::size_t p, std::size_t last, const BytePair& pair) {
    const std::size_t d = pair.distance;
    const Bytes16 a0 = splat(pair.first[0]), a1 = splat(pair.first[1]);
    const Bytes16 b0 = splat(pair.second[0]), b1 = splat(pair.second[1]);
    while (p + 16 <= last) {
        const Bytes16 x = load16(text + p);
        const Bytes16 y = load16(text + p + d);
        const Bytes16 hit = (Bytes16)(((x == a0) | (x == a1)) & ((y == b0) | (y == b1)));
        const Words2 words = (Words2)hit;
        if ((words[0] | words[1]) != 0)
            return p + (words[0] != 0 ? firstLane(words[0]) : 8 + firstLane(words[1]));
        p += 16;
    }
    return findPlain(text, p, last, pair);
}

#endif

} // namespace

std::size_t FindBytePair(const char* text, std::size_t size, std::size_t from,
                         const BytePair& pair) {
    const std::size_t d = pair.distance;
    if (size <= d || from >= size - d)
        return std::string::npos;
    const std::size_t last = size - d; // p stays below this
#ifdef LEXMORA_X86_SCAN
    const bool two = pair.first[0] != pair.first[1] || pair.second[0] != pair.second[1];
    if (hasAvx2())
        return two ? findAvx2<true>(text, from, last, pair)
                   : findAvx2<false>(text, from, last, pair);
    return two ? findSse2<true>(text, from, last, pair) : findSse2<false>(text, from, last, pair);
#else
    return findVector(text, from, last, pair);
#endif
}

} // namespace lexmora
