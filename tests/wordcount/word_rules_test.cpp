// Word cutting as the counter records words: delimiters, late digit breaks, one-letter words,
// the apostrophe rule, line-end hyphens, and the order and sameness of words.
#include "wordcount/word_rules.h"

#include "count_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

// The keyed sort of the list gives the order of CompareWords itself: spellings that share their
// first eight letters, that end within them, differ by accent or case only, or hold symbols.
TEST(WordcountRules, KeyedSortKeepsTheListOrder) {
    const std::string letters = "aAbeE\xE9\xC9s\xDF-'1z";
    std::mt19937 random(7);
    std::string arena;
    std::vector<WordEntry> entries;
    std::vector<std::string> seen;
    for (int i = 0; i < 3000; ++i) {
        // Mostly long shared stems, so that many keys tie and the letters decide.
        std::string word = i % 3 == 0 ? "" : "abeabeab";
        const std::size_t length = 1 + random() % 12;
        for (std::size_t j = 0; j < length; ++j)
            word += letters[random() % letters.size()];
        if (std::find(seen.begin(), seen.end(), word) != seen.end())
            continue; // the table holds each spelling once
        seen.push_back(word);
        entries.push_back(
            {static_cast<std::uint32_t>(arena.size()), static_cast<std::uint32_t>(word.size()), 1});
        arena += word;
    }
    std::vector<WordEntry> keyed = entries;
    std::vector<KeyedWord> room;
    SortWords(arena, keyed, room);
    std::sort(entries.begin(), entries.end(), [&arena](const WordEntry& a, const WordEntry& b) {
        return CompareWords(a.in(arena), b.in(arena)) < 0;
    });
    ASSERT_EQ(keyed.size(), entries.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        ASSERT_EQ(keyed[i].in(arena), entries[i].in(arena)) << i;
}

// The rules stated byte by byte, as plainly as they can be: the yardstick of the cutter.
Words plainCut(const WordRules& rules, std::string_view text) {
    Words out;
    const auto keep = [&](const std::string& w) {
        if (w.size() > 1 || (w.size() == 1 && rules.singleLetter[static_cast<unsigned char>(w[0])]))
            out.push_back(w);
    };
    std::string word;
    const auto end = [&] {
        for (std::size_t a; rules.apostropheRule && (a = word.find('\'')) != std::string::npos;) {
            if (a == 7 && LowerCp1252(word.substr(0, 7)) == "aujourd")
                break;
            keep(word.substr(0, a));
            word.erase(0, a + 1);
        }
        keep(word);
        word.clear();
    };
    for (const char c : text) {
        switch (rules.cls[static_cast<unsigned char>(c)]) {
        case 1:
            end();
            break;
        case 2:
            if (word.size() >= 3)
                end();
            word += c;
            break;
        case 3:
            word += c == '\x9C' ? "oe" : "OE";
            break;
        case 4:
            word += '\'';
            break;
        default:
            word += c;
        }
    }
    end();
    return out;
}

struct CollectWords {
    Words words;
    void operator()(std::string_view w) { words.emplace_back(w); }
    void copied(std::string_view w) { words.emplace_back(w); }
};

// Random text of every class of character (long runs too, to cross the 64-byte blocks), fed
// whole and in three pieces, the first cut at every offset; junk after each piece, which the
// cutter must not take for text.
TEST(WordcountRules, CutterAgreesWithPlainRulesWhereverTheBlocksEnd) {
    struct Setup {
        LanguageId language;
        int apostrophe;
        bool hyphen;
    };
    const Setup setups[] = {{LanguageId::English, -1, false},
                            {LanguageId::French, -1, false},
                            {LanguageId::French, 0, true},
                            {LanguageId::English, 1, false}};
    const std::vector<std::string> pieces = {
        "a",    "b",        "A",           "z",
        "\xE9", "'",        "0",           "1",
        "5",    "9",        " ",           ",",
        "-",    "\r",       "\n",          "\x9C",
        "\x8C", "\x92",     "\xAB",        "\x01",
        "\xAD", "aujourd'", "AUJOURD\x92", "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstu"};
    std::mt19937 random(20261207);
    const auto junk = [&random](std::string s) {
        const std::size_t size = s.size();
        for (int k = 0; k < 64; ++k)
            s += static_cast<char>(random() % 2 ? 'x' : random());
        return std::pair{s, size};
    };
    for (const Setup& setup : setups) {
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, setup.language);
        if (setup.apostrophe >= 0)
            state.WordbreakAtApostrophe = setup.apostrophe == 1;
        state.WordbreakAtHyphen = setup.hyphen;
        const WordRules rules = MakeWordRules(state);
        for (int round = 0; round < 40; ++round) {
            std::string text;
            const std::size_t length = random() % 300;
            while (text.size() < length)
                text += pieces[random() % 3 == 0 ? random() % pieces.size() : random() % 5];
            const Words expected = plainCut(rules, text);
            for (std::size_t cut = 0; cut <= text.size(); ++cut) {
                const std::size_t second = std::min(text.size(), cut + random() % 8);
                CollectWords sink;
                WordCutter<CollectWords> cutter(rules, sink);
                for (auto [from, to] : {std::pair{std::size_t{0}, cut}, std::pair{cut, second},
                                        std::pair{second, text.size()}}) {
                    auto [block, size] = junk(text.substr(from, to - from));
                    cutter.feed(block, size);
                }
                cutter.finish();
                ASSERT_EQ(sink.words, expected) << text << " cut at " << cut << ", " << second;
            }
        }
        // the vector marks agree with the byte-by-byte ones on every code
        std::string bytes;
        for (int k = 0; k < 64 * 8; ++k)
            bytes += static_cast<char>(random());
        bytes[5] = '\'';
        std::uint64_t vector[8 * kMarkWords], plain[8 * kMarkWords];
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        MarkWordBytes(rules, p, 8, vector, true);
        MarkWordBytes(rules, p, 8, plain, false);
        EXPECT_TRUE(std::equal(vector, vector + 8 * kMarkWords, plain));
    }
}

} // namespace
} // namespace lexmora
