// Every vector form of the byte-pair scan and of the case fold, forced in turn, against plain
// loops written here: texts of every length from 0 to 130 (under, across and past the 16-, 32-
// and 64-byte steps), with the pair or the byte to fold at every position.
#include "search/byte_pair_scan.h"
#include "search/text_fold.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <iterator>
#include <string>
#include <vector>

namespace lexmora {
namespace {

constexpr VectorLanes kAllLanes[] = {VectorLanes::Widest, VectorLanes::Avx2, VectorLanes::Sse2,
                                     VectorLanes::Bytes};
constexpr std::size_t kLongest = 130;

bool inSet(unsigned char c, const unsigned char (&set)[2]) {
    return c == set[0] || c == set[1];
}

bool startsPair(const std::string& text, std::size_t p, const BytePair& pair) {
    return p + pair.distance < text.size() &&
           inSet(static_cast<unsigned char>(text[p]), pair.first) &&
           inSet(static_cast<unsigned char>(text[p + pair.distance]), pair.second);
}

std::size_t plainFind(const std::string& text, std::size_t from, const BytePair& pair) {
    for (std::size_t p = from; p + pair.distance < text.size(); ++p)
        if (startsPair(text, p, pair))
            return p;
    return std::string::npos;
}

BytePair pairOf(const char* first, const char* second, std::size_t distance) {
    BytePair pair;
    pair.first[0] = static_cast<unsigned char>(first[0]);
    pair.first[1] = static_cast<unsigned char>(first[1]);
    pair.second[0] = static_cast<unsigned char>(second[0]);
    pair.second[1] = static_cast<unsigned char>(second[1]);
    pair.distance = distance;
    return pair;
}

struct PairCase {
    const char* what;
    BytePair pair;
};

// One set kind a row: one byte, the two cases of a letter (one bit apart), two unrelated bytes,
// a byte above 127; at distances inside one step, at a step's width and past a whole block.
std::vector<PairCase> pairCases() {
    return {
        {"single bytes, adjacent", pairOf("aa", "bb", 1)},
        {"the same byte twice", pairOf("--", "--", 0)},
        {"hyphen then line end", pairOf("--", "\r\r", 1)},
        {"both cases of each letter", pairOf("Tt", "Hh", 1)},
        {"cases, 15 apart", pairOf("Qq", "Zz", 15)},
        {"unrelated bytes", pairOf("a\xE9", "\n;", 2)},
        {"accented cases, 31 apart", pairOf("\xC9\xE9", "\xC0\xE0", 31)},
        {"unrelated bytes, 64 apart", pairOf("b~", "y!", 64)},
    };
}

// The text: a filler matching neither set, the pair at `at`, and a lone first byte one further
// on and a lone second byte one before the pair's second, which start pairs of their own only
// where the plain loop says they do.
std::string textWithPairAt(std::size_t length, std::size_t at, const BytePair& pair) {
    std::string text(length, '.');
    if (at + pair.distance >= length)
        return text;
    if (at + 1 < length)
        text[at + 1] = static_cast<char>(pair.first[1]);
    if (at + pair.distance >= 1)
        text[at + pair.distance - 1] = static_cast<char>(pair.second[1]);
    text[at] = static_cast<char>(pair.first[0]);
    text[at + pair.distance] = static_cast<char>(pair.second[0]);
    return text;
}

TEST(VectorLanes, FindBytePairAgreesWithAPlainLoopInEveryForm) {
    for (const VectorLanes lanes : kAllLanes)
        for (const PairCase& row : pairCases())
            for (std::size_t length = 0; length <= kLongest; ++length)
                for (std::size_t at = 0; at <= length; ++at) {
                    const std::string text = textWithPairAt(length, at, row.pair);
                    for (const std::size_t from : {std::size_t{0}, at, at + 1}) {
                        ASSERT_EQ(FindBytePair(text.data(), text.size(), from, row.pair, lanes),
                                  plainFind(text, from, row.pair))
                            << row.what << ", lanes " << static_cast<int>(lanes) << ", length "
                            << length << ", pair at " << at << ", from " << from;
                    }
                }
}

TEST(VectorLanes, FindBytePairBlockMarksEveryStartOfItsBlockInEveryForm) {
    for (const VectorLanes lanes : kAllLanes)
        for (const PairCase& row : pairCases())
            for (std::size_t length = 0; length <= kLongest; ++length)
                for (std::size_t at = 0; at <= length; ++at) {
                    const std::string text = textWithPairAt(length, at, row.pair);
                    std::uint64_t mask = 0;
                    const std::size_t block =
                        FindBytePairBlock(text.data(), text.size(), 0, row.pair, mask, lanes);
                    const std::size_t first = plainFind(text, 0, row.pair);
                    ASSERT_EQ(block == std::string::npos, first == std::string::npos)
                        << row.what << ", lanes " << static_cast<int>(lanes) << ", length "
                        << length << ", pair at " << at;
                    if (block == std::string::npos)
                        continue;
                    // The block starts at or before the first start and holds it, and its mask
                    // has exactly the starts of its 64 bytes.
                    ASSERT_LE(block, first);
                    std::uint64_t want = 0;
                    for (std::size_t i = 0; i < 64; ++i)
                        if (startsPair(text, block + i, row.pair))
                            want |= std::uint64_t{1} << i;
                    ASSERT_EQ(mask, want) << row.what << ", lanes " << static_cast<int>(lanes)
                                          << ", length " << length << ", pair at " << at;
                    ASSERT_EQ(block + static_cast<std::size_t>(std::countr_zero(mask)), first);
                }
}

TEST(VectorLanes, FindBytePairFindsNothingInTextsShorterThanTheDistance) {
    const BytePair pair = pairOf("aa", "bb", 64);
    for (const VectorLanes lanes : kAllLanes)
        for (std::size_t length = 0; length <= 64; ++length) {
            const std::string text(length, 'a');
            EXPECT_EQ(FindBytePair(text.data(), text.size(), 0, pair, lanes), std::string::npos);
        }
}

// The bytes worth folding at a position: the edges of the capitals, the bytes beside them, the
// upper half's letters and signs, and the bytes a signed compare could mistake.
constexpr unsigned char kFoldProbes[] = {'A',  'Z',  '@',  '[',  'a',        'z',  '`',
                                         '{',  0x00, 0x7F, 0x80, 0x8C,       0x9C, 0xC0,
                                         0xDE, 0xDF, 0xE9, 0xFF, 0x41 + 0x80};

// The source: every byte of the 256 in turn (so that all of them pass through every form), with
// the probe at `at`.
std::vector<unsigned char> foldSource(std::size_t length, std::size_t at, unsigned char probe) {
    std::vector<unsigned char> source(length);
    for (std::size_t i = 0; i < length; ++i)
        source[i] = static_cast<unsigned char>((i * 37 + length) % 256);
    if (at < length)
        source[at] = probe;
    return source;
}

TEST(VectorLanes, FoldBytesAgreesWithTheTableInEveryForm) {
    for (const VectorLanes lanes : kAllLanes)
        for (const FoldMode mode : {FoldMode::None, FoldMode::Cp1252, FoldMode::AsciiLetters}) {
            const Fold fold = makeFold(mode);
            for (std::size_t length = 0; length <= kLongest; ++length)
                for (std::size_t at = 0; at < std::max<std::size_t>(length, 1); ++at) {
                    // The probes take turns: over the lengths each still stands at every position.
                    const unsigned char probe = kFoldProbes[(at + length) % std::size(kFoldProbes)];
                    const std::vector<unsigned char> source = foldSource(length, at, probe);
                    // Guard bytes on both sides: nothing is written outside the n bytes.
                    std::vector<unsigned char> folded(length + 2, 0xAA);
                    std::vector<unsigned char> want(length + 2, 0xAA);
                    for (std::size_t i = 0; i < length; ++i)
                        want[i + 1] = fold.map[source[i]];
                    FoldBytes(fold.map, source.data(), folded.data() + 1, length, lanes);
                    ASSERT_EQ(folded, want) << "lanes " << static_cast<int>(lanes) << ", mode "
                                            << static_cast<int>(mode) << ", length " << length
                                            << ", probe " << int{probe} << " at " << at;
                }
        }
}

TEST(VectorLanes, FoldBytesTakesATableThatIsNoFoldAtAll) {
    // A table that moves the ASCII half differently is looked up byte by byte in every form.
    FoldTable shifted{};
    for (int c = 0; c < 256; ++c)
        shifted[static_cast<std::size_t>(c)] = static_cast<unsigned char>((c + 1) % 256);
    for (const VectorLanes lanes : kAllLanes)
        for (std::size_t length = 0; length <= kLongest; ++length) {
            const std::vector<unsigned char> source = foldSource(length, 0, 'A');
            std::vector<unsigned char> folded(length);
            FoldBytes(shifted, source.data(), folded.data(), length, lanes);
            for (std::size_t i = 0; i < length; ++i)
                ASSERT_EQ(folded[i], static_cast<unsigned char>((source[i] + 1) % 256))
                    << "lanes " << static_cast<int>(lanes) << ", length " << length;
        }
}

} // namespace
} // namespace lexmora
