#include "search/context_text.h"

#include "codes/code_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace lexmora {
namespace {

// The pieces a line shows, cleaned whole and then cut as the line cuts them.
struct Pieces {
    std::string left, matched, right;
};
Pieces cleanedWhole(const ProgramState& state, std::string_view text, std::size_t leftFrom,
                    std::size_t s, std::size_t e, std::size_t rightTo, std::size_t leftWidth,
                    std::size_t rightWidth) {
    Pieces p{ExtractContext(state, kCodeAnsi, text.substr(leftFrom, s - leftFrom), 0, 0),
             ExtractContext(state, kCodeAnsi, text.substr(s, e - s), 0, 0),
             ExtractContext(state, kCodeAnsi, text.substr(e, rightTo - e), 0, 0)};
    if (p.left.size() > leftWidth)
        p.left.erase(0, p.left.size() - leftWidth);
    if (p.right.size() > rightWidth)
        p.right.resize(rightWidth);
    return p;
}

TEST(PlainContexts, AgreeWithTheWholeContextCutToTheLine) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    ASSERT_TRUE(IsPlainContext(state, state.LanguageIndex, kCodeAnsi, 0));
    ASSERT_FALSE(IsPlainContext(state, state.LanguageIndex, kCodeAnsi, '<'));
    // Blanks, line ends, NUL and tabs in runs of every length, across the 16-byte copies and the
    // cut of either width.
    // Every vector form the processor runs, each kept for all rounds as the scanner keeps it.
    using Lanes = PlainContexts::Lanes;
    for (const Lanes lanes : {Lanes::Widest, Lanes::Avx2, Lanes::Sse2, Lanes::Bytes}) {
        std::mt19937 random(11);
        PlainContexts plain(lanes);
        for (int round = 0; round < 3000; ++round) {
            std::string text(static_cast<std::size_t>(random() % 260), 'x');
            const int spread = 1 + static_cast<int>(random() % 8);
            for (char& c : text)
                c = random() % 10 < static_cast<unsigned>(spread)
                        ? std::string(" \r\n\t\0 \x1F", 7)[random() % 7]
                        : "abZ\xE9\x80~!"[random() % 7];
            const std::size_t n = text.size();
            std::size_t cut[4] = {random() % (n + 1), random() % (n + 1), random() % (n + 1),
                                  random() % (n + 1)};
            std::sort(cut, cut + 4);
            const std::size_t leftWidth = random() % 80, rightWidth = random() % 80;
            plain.take(text, cut[0], cut[1], cut[2], cut[3], leftWidth, rightWidth);
            const Pieces want =
                cleanedWhole(state, text, cut[0], cut[1], cut[2], cut[3], leftWidth, rightWidth);
            ASSERT_EQ(plain.left(), want.left)
                << "lanes " << static_cast<int>(lanes) << ", round " << round;
            ASSERT_EQ(plain.matched(), want.matched)
                << "lanes " << static_cast<int>(lanes) << ", round " << round;
            ASSERT_EQ(plain.right(), want.right)
                << "lanes " << static_cast<int>(lanes) << ", round " << round;
        }
    }
}

} // namespace
} // namespace lexmora
