#include "search/byte_pair_scan.h"

#include "core/cpu_features.h"

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

// The starts in [p, last) byte by byte (fewer than 64 of them), for a text too short for a
// vector block.
std::uint64_t plainMask(const char* text, std::size_t p, std::size_t last, const BytePair& pair) {
    std::uint64_t mask = 0;
    for (std::size_t i = 0; p + i < last; ++i)
        if (inSet(static_cast<unsigned char>(text[p + i]), pair.first) &&
            inSet(static_cast<unsigned char>(text[p + i + pair.distance]), pair.second))
            mask |= std::uint64_t{1} << i;
    return mask;
}

// Walks the text a block of 64 starts at a time; the last block is loaded ending at the last
// start, overlapping what was scanned, and the starts already seen are shifted out of its mask.
// `Blocks` gives a block's mask and whether it holds any start at all (the cheaper test).
template <typename Blocks>
inline __attribute__((always_inline)) std::size_t
walkBlocks(const Blocks& blocks, const char* text, std::size_t p, std::size_t last,
           const BytePair& pair, std::uint64_t& mask) {
    while (p + 64 <= last) {
        if (blocks.any(text + p)) {
            mask = blocks.mask(text + p);
            return p;
        }
        p += 64;
    }
    if (p >= last)
        return std::string::npos;
    mask = last >= 64 ? blocks.mask(text + last - 64) >> (p - (last - 64))
                      : plainMask(text, p, last, pair);
    return mask != 0 ? p : std::string::npos;
}

// The block walk byte by byte: the form every vector form is held to.
struct ByteBlocks {
    explicit ByteBlocks(const BytePair& bytePair) : pair(bytePair) {}
    bool any(const char* at) const { return mask(at) != 0; }
    std::uint64_t mask(const char* at) const { return plainMask(at, 0, 64, pair); }

    const BytePair& pair;
};

#ifdef LEXMORA_X86_SCAN

// How a set's bytes are compared: one byte (the hyphen break, a case-sensitive letter); two
// bytes that differ in one bit, as the cases of a letter do, so that one compare takes both once
// that bit is set; or any two bytes.
enum class SetKind { Single, Bit, Two };

// Per set: the byte compared with (the bit set for SetKind::Bit), the bit, and the other byte.
struct SetBytes {
    unsigned char value, bit, other;
};
inline SetBytes setBytesOf(const unsigned char (&set)[2], SetKind kind) {
    const auto bit = static_cast<unsigned char>(kind == SetKind::Bit ? set[0] ^ set[1] : 0);
    return {static_cast<unsigned char>(set[0] | bit), bit, set[1]};
}

template <SetKind Kind> struct Sse2Blocks {
    explicit Sse2Blocks(const BytePair& pair) : d(pair.distance) {
        const SetBytes a = setBytesOf(pair.first, Kind), b = setBytesOf(pair.second, Kind);
        a0 = _mm_set1_epi8(static_cast<char>(a.value));
        a1 = _mm_set1_epi8(static_cast<char>(Kind == SetKind::Bit ? a.bit : a.other));
        b0 = _mm_set1_epi8(static_cast<char>(b.value));
        b1 = _mm_set1_epi8(static_cast<char>(Kind == SetKind::Bit ? b.bit : b.other));
    }

    __m128i hits(const char* at) const {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + d));
        if constexpr (Kind == SetKind::Bit)
            return _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(x, a1), a0),
                                 _mm_cmpeq_epi8(_mm_or_si128(y, b1), b0));
        __m128i first = _mm_cmpeq_epi8(x, a0), second = _mm_cmpeq_epi8(y, b0);
        if constexpr (Kind == SetKind::Two) {
            first = _mm_or_si128(first, _mm_cmpeq_epi8(x, a1));
            second = _mm_or_si128(second, _mm_cmpeq_epi8(y, b1));
        }
        return _mm_and_si128(first, second);
    }
    bool any(const char* at) const {
        const __m128i all = _mm_or_si128(_mm_or_si128(hits(at), hits(at + 16)),
                                         _mm_or_si128(hits(at + 32), hits(at + 48)));
        return _mm_movemask_epi8(all) != 0;
    }
    std::uint64_t mask(const char* at) const {
        std::uint64_t m = 0;
        for (int k = 0; k < 4; ++k)
            m |= static_cast<std::uint64_t>(
                     static_cast<std::uint16_t>(_mm_movemask_epi8(hits(at + 16 * k))))
                 << (16 * k);
        return m;
    }

    std::size_t d;
    __m128i a0, a1, b0, b1;
};

template <SetKind Kind> struct Avx2Blocks {
    __attribute__((target("avx2"))) explicit Avx2Blocks(const BytePair& pair) : d(pair.distance) {
        const SetBytes a = setBytesOf(pair.first, Kind), b = setBytesOf(pair.second, Kind);
        a0 = _mm256_set1_epi8(static_cast<char>(a.value));
        a1 = _mm256_set1_epi8(static_cast<char>(Kind == SetKind::Bit ? a.bit : a.other));
        b0 = _mm256_set1_epi8(static_cast<char>(b.value));
        b1 = _mm256_set1_epi8(static_cast<char>(Kind == SetKind::Bit ? b.bit : b.other));
    }

    __attribute__((target("avx2"))) __m256i hits(const char* at) const {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + d));
        if constexpr (Kind == SetKind::Bit)
            return _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(x, a1), a0),
                                    _mm256_cmpeq_epi8(_mm256_or_si256(y, b1), b0));
        __m256i first = _mm256_cmpeq_epi8(x, a0), second = _mm256_cmpeq_epi8(y, b0);
        if constexpr (Kind == SetKind::Two) {
            first = _mm256_or_si256(first, _mm256_cmpeq_epi8(x, a1));
            second = _mm256_or_si256(second, _mm256_cmpeq_epi8(y, b1));
        }
        return _mm256_and_si256(first, second);
    }
    __attribute__((target("avx2"))) bool any(const char* at) const {
        const __m256i all = _mm256_or_si256(hits(at), hits(at + 32));
        return !_mm256_testz_si256(all, all);
    }
    __attribute__((target("avx2"))) std::uint64_t mask(const char* at) const {
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(hits(at))) |
               static_cast<std::uint64_t>(
                   static_cast<std::uint32_t>(_mm256_movemask_epi8(hits(at + 32))))
                   << 32;
    }

    std::size_t d;
    __m256i a0, a1, b0, b1;
};

template <SetKind Kind>
std::size_t findSse2(const char* text, std::size_t p, std::size_t last, const BytePair& pair,
                     std::uint64_t& mask) {
    return walkBlocks(Sse2Blocks<Kind>(pair), text, p, last, pair, mask);
}

template <SetKind Kind>
__attribute__((target("avx2"))) std::size_t findAvx2(const char* text, std::size_t p,
                                                     std::size_t last, const BytePair& pair,
                                                     std::uint64_t& mask) {
    return walkBlocks(Avx2Blocks<Kind>(pair), text, p, last, pair, mask);
}

#else

// Elsewhere the compiler's portable vector types: NEON where there is one, plain code otherwise.
struct VectorBlocks {
    typedef unsigned char Bytes16 __attribute__((vector_size(16)));
    typedef std::uint64_t Words2 __attribute__((vector_size(16)));

    explicit VectorBlocks(const BytePair& pair) : d(pair.distance) {
        for (int i = 0; i < 16; ++i) {
            a0[i] = pair.first[0];
            a1[i] = pair.first[1];
            b0[i] = pair.second[0];
            b1[i] = pair.second[1];
        }
    }
    Bytes16 hits(const char* at) const {
        Bytes16 x, y;
        std::memcpy(&x, at, sizeof x);
        std::memcpy(&y, at + d, sizeof y);
        return (Bytes16)(((x == a0) | (x == a1)) & ((y == b0) | (y == b1)));
    }
    bool any(const char* at) const {
        const Words2 w = (Words2)(hits(at) | hits(at + 16) | hits(at + 32) | hits(at + 48));
        return (w[0] | w[1]) != 0;
    }
    std::uint64_t mask(const char* at) const {
        std::uint64_t m = 0;
        for (int k = 0; k < 64; k += 16) {
            const Bytes16 h = hits(at + k);
            for (int i = 0; i < 16; ++i)
                m |= static_cast<std::uint64_t>(h[i] & 1) << (k + i);
        }
        return m;
    }

    std::size_t d;
    Bytes16 a0, a1, b0, b1;
};

#endif

} // namespace

std::size_t FindBytePairBlock(const char* text, std::size_t size, std::size_t from,
                              const BytePair& pair, std::uint64_t& mask, VectorLanes lanes) {
    const std::size_t d = pair.distance;
    if (size <= d || from >= size - d)
        return std::string::npos;
    const std::size_t last = size - d; // starts stay below this
    if (lanes == VectorLanes::Bytes) [[unlikely]]
        return walkBlocks(ByteBlocks(pair), text, from, last, pair, mask);
#ifdef LEXMORA_X86_SCAN
    const unsigned firstBits = pair.first[0] ^ pair.first[1];
    const unsigned secondBits = pair.second[0] ^ pair.second[1];
    const SetKind kind =
        (firstBits | secondBits) == 0 ? SetKind::Single
        : (firstBits & (firstBits - 1)) == 0 && (secondBits & (secondBits - 1)) == 0 ? SetKind::Bit
                                                                                     : SetKind::Two;
    if (lanes <= VectorLanes::Avx2 && CpuHasAvx2())
        return kind == SetKind::Single ? findAvx2<SetKind::Single>(text, from, last, pair, mask)
               : kind == SetKind::Bit  ? findAvx2<SetKind::Bit>(text, from, last, pair, mask)
                                       : findAvx2<SetKind::Two>(text, from, last, pair, mask);
    return kind == SetKind::Single ? findSse2<SetKind::Single>(text, from, last, pair, mask)
           : kind == SetKind::Bit  ? findSse2<SetKind::Bit>(text, from, last, pair, mask)
                                   : findSse2<SetKind::Two>(text, from, last, pair, mask);
#else
    return walkBlocks(VectorBlocks(pair), text, from, last, pair, mask);
#endif
}

std::size_t FindBytePair(const char* text, std::size_t size, std::size_t from, const BytePair& pair,
                         VectorLanes lanes) {
    std::uint64_t mask = 0;
    const std::size_t p = FindBytePairBlock(text, size, from, pair, mask, lanes);
    return p == std::string::npos ? p : p + static_cast<std::size_t>(std::countr_zero(mask));
}

} // namespace lexmora
