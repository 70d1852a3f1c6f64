#include "search/literal_finder.h"

#include "codes/cp1252_case.h"
#include "search/text_fold.h"

#include <gtest/gtest.h>

#include <random>

namespace lexmora {
namespace {

FoldTable cp1252Fold() {
    FoldTable t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<std::size_t>(c)] = lowerCp1252(static_cast<unsigned char>(c));
    return t;
}

bool inSet(unsigned char c, const unsigned char (&set)[2]) {
    return c == set[0] || c == set[1];
}

std::size_t slowFindPair(const std::string& text, std::size_t from, const BytePair& pair) {
    for (std::size_t p = from; p + pair.distance < text.size(); ++p)
        if (inSet(static_cast<unsigned char>(text[p]), pair.first) &&
            inSet(static_cast<unsigned char>(text[p + pair.distance]), pair.second))
            return p;
    return std::string::npos;
}

TEST(BytePairScan, AgreesWithAPlainScanEverywhere) {
    // Small alphabets make hits at every lane, at block edges and in the tail.
    std::mt19937 random(7);
    for (int round = 0; round < 1000; ++round) {
        std::string text(static_cast<std::size_t>(random() % 300), ' ');
        for (char& c : text)
            c = "ab-\r\n\xE9\xC9"[random() % 7];
        BytePair pair;
        pair.first[0] = static_cast<unsigned char>("ab-\xE9"[random() % 4]);
        pair.first[1] = random() % 2 ? pair.first[0] : static_cast<unsigned char>('\xC9');
        pair.second[0] = static_cast<unsigned char>("ab\r\n"[random() % 4]);
        pair.second[1] = pair.second[0];
        pair.distance = random() % 20;
        for (std::size_t from = 0; from <= text.size() + 1; from += 1 + random() % 7)
            ASSERT_EQ(FindBytePair(text.data(), text.size(), from, pair),
                      slowFindPair(text, from, pair))
                << "round " << round << " from " << from;
    }
}

TEST(FoldBytes, AgreesWithTheTableForEveryMode) {
    // Every byte value, at every offset of the sixteen-byte steps and in the tail.
    std::mt19937 random(5);
    for (const FoldMode mode : {FoldMode::None, FoldMode::Cp1252, FoldMode::AsciiLetters}) {
        const Fold fold = makeFold(mode);
        for (int round = 0; round < 200; ++round) {
            std::string text(static_cast<std::size_t>(random() % 100), ' ');
            for (char& c : text)
                c = static_cast<char>(random() % 256);
            const std::size_t from = text.empty() ? 0 : random() % text.size();
            std::string folded(text.size(), '?');
            FoldBytes(fold.map, reinterpret_cast<const unsigned char*>(text.data()) + from,
                      reinterpret_cast<unsigned char*>(folded.data()) + from, text.size() - from);
            for (std::size_t i = from; i < text.size(); ++i)
                ASSERT_EQ(static_cast<unsigned char>(folded[i]),
                          fold.map[static_cast<unsigned char>(text[i])])
                    << "byte " << i << " of round " << round;
        }
    }
}

TEST(LiteralFinder, FindsTheFoldedLiteralInTheTextAsRead) {
    const FoldTable fold = cp1252Fold();
    struct Case {
        const char* literal; // as the folded text holds it
        std::string text;
        std::size_t from;
        std::size_t expected;
    };
    const std::size_t none = std::string::npos;
    const std::string longText = std::string(40, 'x') + "ZeBrA" + std::string(3, 'y');
    const std::vector<Case> cases = {
        {"zebra", "a zebra", 0, 2},
        {"zebra", "ZEBRA", 0, 0},
        {"zebra", longText, 0, 40},          // past the first vector blocks
        {"zebra", longText, 41, none},       // from beyond the only start
        {"zebra", "zebr", 0, none},          // cut short by the end of the text
        {"zebra", "zebrzebra", 0, 4},        // a false start first
        {"\xE9t\xE9", "L'\xC9T\xC9 ", 0, 2}, // accented capitals fold too
        {"a", "bbbA", 1, 3},                 // a single character
        {"the", std::string(100, 't') + "The", 0, 100},
    };
    for (const Case& c : cases) {
        const LiteralFinder finder(c.literal, fold);
        EXPECT_EQ(finder.find(c.text.data(), c.text.size(), c.from), c.expected)
            << c.literal << " in " << c.text;
    }
}

TEST(LiteralFinder, CaseSensitiveSearchKeepsCapitalsApart) {
    const LiteralFinder finder("Zebra", IdentityFold());
    const std::string text = "zebra ZEBRA Zebra";
    EXPECT_EQ(finder.find(text.data(), text.size(), 0), 12u);
}

TEST(LiteralFinder, LooksForTheRarestCharacters) {
    const LiteralFinder finder("zebra", cp1252Fold());
    EXPECT_EQ(finder.firstAnchor(), 0u);  // "z"
    EXPECT_NE(finder.secondAnchor(), 1u); // not the common "e"
}

TEST(LiteralFinder, CharacterOfManySpellingsFallsBackToAPlainCompare) {
    FoldTable fold = IdentityFold();
    fold['X'] = fold['#'] = fold['%'] = 'x'; // four bytes fold to "x"
    const LiteralFinder finder("x", fold);
    const std::string text = "ab%c";
    EXPECT_EQ(finder.find(text.data(), text.size(), 0), 2u);
}

} // namespace
} // namespace lexmora
