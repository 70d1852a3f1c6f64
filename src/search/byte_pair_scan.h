// The scanner's fast path: finds where a byte of one small set is followed, a fixed distance
// on, by a byte of another. Looking for two characters of a keyword at once (each in both
// cases) stops the scan far less often than looking for one. On x86-64 the compare runs 64
// bytes a step with AVX2 where the processor has it (told once at run time), 32 with SSE2
// otherwise; elsewhere sixteen at a time through the compiler's portable vector types.
#pragma once

#include "core/cpu_features.h"

#include <cstddef>
#include <cstdint>

namespace lexmora {

struct BytePair {
    // Each set holds one or two bytes (the two spellings of a case-blind letter); a set of one
    // repeats its byte.
    unsigned char first[2] = {0, 0};
    unsigned char second[2] = {0, 0};
    std::size_t distance = 0; // from the first byte to the second (0: the same byte)
};

// The first p >= from with text[p] in `first` and text[p + distance] in `second`, and
// p + distance < size; npos when there is none. `lanes` narrows the vector form (tests).
std::size_t FindBytePair(const char* text, std::size_t size, std::size_t from, const BytePair& pair,
                         VectorLanes lanes = VectorLanes::Widest);

// The same a block of 64 starts at a time, for a caller that looks at every start in turn
// without scanning again: the first p >= from of a block [p, p + 64) holding a start of the pair,
// with bit i of `mask` set for each start at p + i (all of that block's starts, none past
// size - distance); npos when there is none.
std::size_t FindBytePairBlock(const char* text, std::size_t size, std::size_t from,
                              const BytePair& pair, std::uint64_t& mask,
                              VectorLanes lanes = VectorLanes::Widest);

} // namespace lexmora
