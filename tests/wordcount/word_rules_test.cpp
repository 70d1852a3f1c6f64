// Word cutting as the counter records words: delimiters, late digit breaks, one-letter words,
// the apostrophe rule, line-end hyphens, and the order and sameness of words.
#include "wordcount/word_rules.h"

#include "count_fixture.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

using Words = std::vector<std::string>;

struct CutCase {
    const char* what;
    LanguageId language;
    int apostrophe; // -1 the language's own rule, 0 off, 1 on
    bool hyphen;
    std::string text;
    Words expected;
};

class WordCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(WordCutTest, RecordsTheExpectedWords) {
    const CutCase& c = GetParam();
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, c.language);
    if (c.apostrophe >= 0)
        state.WordbreakAtApostrophe = c.apostrophe == 1;
    state.WordbreakAtHyphen = c.hyphen;
    EXPECT_EQ(CutWords(state, c.text), c.expected) << c.what;
}

const LanguageId En = LanguageId::English, Fr = LanguageId::French, De = LanguageId::German,
                 It = LanguageId::Italian, Es = LanguageId::Spanish;

INSTANTIATE_TEST_SUITE_P(
    Wordcount, WordCutTest,
    ::testing::Values(
        CutCase{"French l'homme splits", Fr, -1, false, "l'homme", {"l", "homme"}},
        CutCase{"aujourd'hui stays whole", Fr, -1, false, "aujourd'hui", {"aujourd'hui"}},
        CutCase{"after a split, aujourd'hui is whole",
                Fr,
                -1,
                false,
                "d'aujourd'hui",
                {"d", "aujourd'hui"}},
        CutCase{"several apostrophes", Fr, -1, false, "qu'est'ce", {"qu", "est", "ce"}},
        CutCase{"English don't stays whole", En, -1, false, "don't stop", {"don't", "stop"}},
        CutCase{"French with the option off", Fr, 0, false, "l'homme", {"l'homme"}},
        CutCase{"right quote becomes an apostrophe", Fr, 1, false, "l\x92homme", {"l", "homme"}},
        CutCase{"right quote breaks when off", Fr, 0, false, "l\x92homme", {"l", "homme"}},
        CutCase{"right quote breaks in English", En, 0, false, "l\x92homme", {"homme"}},
        CutCase{"right quote kept as apostrophe in English", En, 1, false, "don\x92t", {"don't"}},
        CutCase{"English one-letter words", En, -1, false, "a A I x i", {"a", "A", "I"}},
        CutCase{"German one-letter words", De, -1, false, "o O a I", {"o", "O"}},
        CutCase{"French one-letter words", Fr, -1, false, "\xE0 y o \xD4 b", {"\xE0", "y", "\xD4"}},
        CutCase{"Italian one-letter words", It, -1, false, "\xE8 e u", {"\xE8", "e"}},
        CutCase{"Spanish one-letter words", Es, -1, false, "y o e c", {"y", "o", "e"}},
        CutCase{"digits: late breaks from the fourth character",
                En,
                -1,
                false,
                "2002 1990s abcd1 abc1 ab1 x10",
                {"200", "1990s", "abcd", "abc", "ab1", "x10"}},
        CutCase{"zero is never a late break", En, -1, false, "abc0de", {"abc0de"}},
        CutCase{"late digit starts the next word", En, -1, false, "abcd123", {"abcd", "123"}},
        CutCase{"delimiters",
                En,
                -1,
                false,
                "one,two.three;four(five)\"six\" \xABseven\xBB",
                {"one", "two", "three", "four", "five", "six", "seven"}},
        CutCase{"underscore and soft hyphen break",
                En,
                -1,
                false,
                "foo_bar co\xADop",
                {"foo", "bar", "co", "op"}},
        CutCase{"hyphen kept without the option", En, -1, false, "well-known", {"well-known"}},
        CutCase{"hyphen breaks with the option", En, -1, true, "well-known", {"well", "known"}},
        CutCase{"line-end hyphen joins", En, -1, false, "exam-\r\nple", {"example"}},
        CutCase{"line-end hyphen before a capital stays",
                En,
                -1,
                false,
                "exam-\r\nParis",
                {"exam-Paris"}},
        CutCase{"Jean-Pierre", Fr, -1, false, "Jean-\r\nPierre", {"Jean-Pierre"}},
        CutCase{"accented capital keeps the hyphen",
                Fr,
                -1,
                false,
                "Jean-\r\n\xC9mile",
                {"Jean-\xC9mile"}},
        CutCase{"join with the hyphen option",
                En,
                -1,
                true,
                "exam-\r\nple Jean-\r\nPierre",
                {"example", "Jean", "Pierre"}},
        CutCase{"LF-only lines join", En, -1, false, "inter-\nnational", {"international"}},
        CutCase{"CR-only lines", En, -1, false, "one\rtwo\rthree", {"one", "two", "three"}},
        CutCase{"LF in a CR LF file does not join",
                En,
                -1,
                false,
                "so\r\nexam-\nple",
                {"so", "exam-", "ple"}},
        CutCase{"hyphen at the end of the text", En, -1, false, "exam-\r\n", {"exam-"}},
        CutCase{"final Ctrl-Z", En, -1, false, "the end\x1A", {"the", "end"}},
        CutCase{"NUL and controls break",
                En,
                -1,
                false,
                std::string("ab\0cd\tef", 8),
                {"ab", "cd", "ef"}},
        CutCase{"French oe ligature",
                Fr,
                -1,
                false,
                "c\x9Cur \x8C"
                "uvre",
                {"coeur", "OEuvre"}},
        CutCase{"oe ligature kept in English", En, -1, false, "c\x9Cur", {"c\x9Cur"}},
        CutCase{"letter runs longer than the 16 bytes compared at once",
                En,
                -1,
                false,
                "Supercalifragilisticexpialidocious,antidisestablishmentarianism "
                "abcdefghijklmnopqrstuvwxyzABCDEF\xE9t\xE9 abcdefghijklmnop",
                {"Supercalifragilisticexpialidocious", "antidisestablishmentarianism",
                 "abcdefghijklmnopqrstuvwxyzABCDEF\xE9t\xE9", "abcdefghijklmnop"}},
        CutCase{"letters around the characters next to them in the code table",
                En,
                -1,
                false,
                "ab@cd[ef`gh{ij\x40kl\x5Bmn\x60op\x7Bqr\xC1st\xDAuv\xE1wx\xFAyz",
                {"ab", "cd", "ef", "gh", "ij", "kl", "mn", "op", "qr\xC1st\xDAuv\xE1wx\xFAyz"}},
        CutCase{"case is kept when cutting",
                En,
                -1,
                false,
                "Word word WORD",
                {"Word", "word", "WORD"}}));

// A letter the user made a symbol character breaks words wherever it falls in a long run.
TEST(WordcountRules, LetterTakenAsSymbolBreaksLongRuns) {
    struct Case {
        std::string symbols;
        std::string text;
        Words expected;
    };
    const Case cases[] = {
        {"q", "abcdefghijklmnopqrstuvwxyz", {"abcdefghijklmnop", "rstuvwxyz"}},
        {"Z",
         "abcdefghijklmnopqrstuvwxyZabcdefghijklmnopqrstuvwxyz",
         {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrstuvwxyz"}},
        {"e", "Treetop beehive", {"Tr", "top", "hiv"}},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, LanguageId::English);
        state.SymbolChars += c.symbols;
        EXPECT_EQ(CutWords(state, c.text), c.expected) << c.symbols;
    }
}

TEST(WordcountRules, DelimiterStringHoldsTheFixedSets) {
    test::TempDir dir;
    const ProgramState state = test::wordcountState(dir, LanguageId::English);
    const std::string d = WordDelimiters(state, false);
    // 47 fixed characters, the double quote, 30 symbols, 31 controls, 11 further codes
    EXPECT_EQ(d.size(), 47u + 1 + 30 + 31 + 11);
    EXPECT_EQ(d.substr(0, 5), ", .?/");
    EXPECT_EQ(d.find('-'), std::string::npos);
    EXPECT_EQ(d.find('\''), std::string::npos);
    EXPECT_NE(d.find('\x91'), std::string::npos);
    EXPECT_NE(d.find('\x92'), std::string::npos);
    const std::string h = WordDelimiters(state, true);
    EXPECT_EQ(h.substr(h.size() - 2), std::string("-\xAD"));
}

TEST(WordcountRules, BucketsOfFirstLetters) {
    const std::pair<unsigned char, int> cases[] = {
        {'A', 1},  {'z', 26},  {0xE0, 1},  {0xC6, 1},  {0xC7, 3}, {0xC9, 5},
        {0xEF, 9}, {0xF1, 14}, {0xD6, 15}, {0xFC, 21}, {'7', 27}, {0x9C, kOeBucket},
        {0xE3, 0}, {0xE5, 0},  {0xDF, 0},  {'-', 0},   {'\'', 0}};
    for (auto [c, bucket] : cases)
        EXPECT_EQ(BucketOfFirst(c), bucket) << int(c);
}

TEST(WordcountRules, OrderFollowsBaseLettersThenAccentsThenCase) {
    // each word sorts before the next
    const std::vector<std::string> ordered = {"a",
                                              "A",
                                              "a'b",
                                              "a-b",
                                              "ab",
                                              "\xE0"
                                              "b",
                                              "abc",
                                              "b",
                                              "cafe",
                                              "Cafe",
                                              "caf\xE9",
                                              "caff",
                                              "\xDF"
                                              "a",
                                              "the",
                                              "The",
                                              "them"};
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(CompareWords(ordered[i], ordered[i + 1]), 0)
            << ordered[i] << " < " << ordered[i + 1];
        EXPECT_GT(CompareWords(ordered[i + 1], ordered[i]), 0);
    }
    EXPECT_TRUE(SameType("Word", "WORD"));
    EXPECT_TRUE(SameType("\xC9t\xE9", "\xE9T\xC9"));
    EXPECT_FALSE(SameType("cafe", "caf\xE9"));
}

} // namespace
} // namespace lexmora
