#include "search/byte_pair_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace lexmora {

namespace {

// GCC and Clang vector types: SSE2 or NEON where there is one, plain code elsewhere.
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

bool inSet(unsigned char c, const unsigned char (&set)[2]) {
    return c == set[0] || c == set[1];
}

} // namespace

std::size_t FindBytePair(const char* text, std::size_t size, std::size_t from,
                         const BytePair& pair) {
    const std::size_t d = pair.distance;
    if (size <= d || from >= size - d)
        return std::string::npos;
    const std::size_t last = size - d; // p stays below this
    std::size_t p = from;
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
    for (; p < last; ++p)
        if (inSet(static_cast<unsigned char>(text[p]), pair.first) &&
            inSet(static_cast<unsigned char>(text[p + d]), pair.second))
            return p;
    return std::string::npos;
}

} // namespace lexmora
