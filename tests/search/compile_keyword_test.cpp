// The keyword compiler: pattern texts and element arrays worked out by hand from the two passes.
#include "search/compile_keyword.h"

#include "codes/code_tables.h"

#include <gtest/gtest.h>

#include <random>

namespace lexmora {
namespace {

// One element as the scanner sees it; positions are 0-based.
struct El {
    int pos, kind, len, arg, boundary;
    bool operator==(const El&) const = default;
};

std::ostream& operator<<(std::ostream& os, const El& e) {
    return os << "{" << e.pos << "," << e.kind << "," << e.len << "," << e.arg << "," << e.boundary
              << "}";
}

std::vector<El> elementsOf(const CompiledPattern& pattern) {
    std::vector<El> out;
    for (std::size_t p = 0; p < pattern.ElementKind.size(); ++p)
        if (pattern.ElementKind[p] != 0)
            out.push_back({static_cast<int>(p), pattern.ElementKind[p], pattern.ElementLength[p],
                           pattern.ElementArg[p], pattern.ElementBoundary[p]});
    return out;
}

struct Case {
    const char* keyword;
    std::string text;
    std::vector<El> elements;
    bool caseSensitive = false;
    char wildcard = '?';
    int language = 0;
};

void check(const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyword);
        CompileOptions options;
        options.caseSensitive = c.caseSensitive;
        options.singleWildcard = c.wildcard;
        options.languageIndex = c.language;
        CompiledPattern pattern;
        ASSERT_TRUE(CompileKeywordText(c.keyword, options, pattern));
        EXPECT_EQ(pattern.PatternText, c.text);
        EXPECT_EQ(elementsOf(pattern), c.elements);
        ASSERT_EQ(pattern.ElementKind.size(), pattern.PatternText.size() + 1);
        EXPECT_EQ(pattern.ElementKind.back(), kEndOfPattern);
    }
}

constexpr int L = kLiteralRun, G = kGap, S3 = kSpecialInWord, S4 = kSpecialStart,
              W = kSingleWildcard, WW = kLeadingWildcardWord, E = kEndOfPattern;

TEST(CompileKeyword, WordsAndBoundaries) {
    check({
        {"love", "love ", {{0, L, 4, 0, 1}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
        {"love you",
         "love  you ",
         {{0, L, 4, 0, 1},
          {4, G, 1, 0, 2},
          {5, G, 1, 0, 0},
          {6, L, 3, 0, 1},
          {9, G, 1, 0, 2},
          {10, E, 1, 0, 0}}},
        {"LOVE", "love ", {{0, L, 4, 0, 1}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
        {"Love", "Love ", {{0, L, 4, 0, 1}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}, true},
    });
}

TEST(CompileKeyword, Wildcards) {
    check({
        {"*love", "love ", {{0, L, 4, 0, 0}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
        {"love*", "love", {{0, L, 4, 0, 1}, {4, E, 1, 0, 0}}},
        {"*love*", "love", {{0, L, 4, 0, 0}, {4, E, 1, 0, 0}}},
        {"lo*ve",
         "lo*ve ",
         {{0, L, 2, 0, 1}, {2, G, 1, 128, 0}, {3, L, 2, 0, 0}, {5, G, 1, 0, 2}, {6, E, 1, 0, 0}}},
        // A wildcard word at the start, then a word without a start boundary.
        {"* love",
         "* love ",
         {{0, WW, 1, 0, 0}, {1, G, 1, 0, 0}, {2, L, 4, 0, 0}, {6, G, 1, 0, 2}, {7, E, 1, 0, 0}}},
        {"give * up",
         "give  up ",
         {{0, L, 4, 0, 1},
          {4, G, 1, 0, 2},
          {5, G, 1, 514, 0},
          {6, L, 2, 0, 1},
          {8, G, 1, 0, 2},
          {9, E, 1, 0, 0}}},
        {"give * * up",
         "give  up ",
         {{0, L, 4, 0, 1},
          {4, G, 1, 0, 2},
          {5, G, 1, 515, 0},
          {6, L, 2, 0, 1},
          {8, G, 1, 0, 2},
          {9, E, 1, 0, 0}}},
    });
}

TEST(CompileKeyword, SingleWildcard) {
    check({
        {"?ove", "ove ", {{0, L, 3, 0, 3}, {3, G, 1, 0, 2}, {4, E, 1, 0, 0}}},
        {"lo?e",
         "lo?e ",
         {{0, L, 2, 0, 1}, {2, W, 1, 0, 0}, {3, L, 1, 0, 0}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
        {"?", "? ", {{0, W, 1, 0, 1}, {1, G, 1, 0, 2}, {2, E, 1, 0, 0}}},
        // "?" is a wildcard: no implicit "*" after it.
        {"what?", "what? ", {{0, L, 4, 0, 1}, {4, W, 1, 0, 0}, {5, G, 1, 0, 2}, {6, E, 1, 0, 0}}},
        // With "@" as the wildcard "?" is punctuation and earns a trailing "*".
        {"what?", "what?", {{0, L, 5, 0, 1}, {5, E, 1, 0, 0}}, false, '@'},
        {"@ove", "ove ", {{0, L, 3, 0, 3}, {3, G, 1, 0, 2}, {4, E, 1, 0, 0}}, false, '@'},
        {"lo@e",
         "lo@e ",
         {{0, L, 2, 0, 1}, {2, W, 1, 0, 0}, {3, L, 1, 0, 0}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}},
         false,
         '@'},
    });
}

TEST(CompileKeyword, EndingsOperators) {
    check({
        {"walk+ed,ing",
         "walk+ed,ing ",
         {{0, L, 4, 0, 1},
          {4, G, 1, -1, 0},
          {5, L, 2, 0, 0},
          {7, G, 1, -1, 0},
          {8, L, 3, 0, 0},
          {11, G, 1, 0, 2},
          {12, E, 1, 0, 0}}},
        {"walk/ed,ing",
         "walk/ed,ing ",
         {{0, L, 4, 0, 1},
          {4, G, 1, -2, 0},
          {5, L, 2, 0, 0},
          {7, G, 1, -2, 0},
          {8, L, 3, 0, 0},
          {11, G, 1, 0, 2},
          {12, E, 1, 0, 0}}},
        // The second "+" goes: a, the "+" operator, the run bc.
        {"a+b+c",
         "a+bc ",
         {{0, L, 1, 0, 1}, {1, G, 1, -1, 0}, {2, L, 2, 0, 0}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
    });
}

TEST(CompileKeyword, NextWordMatch) {
    check({
        {"word{<3}word",
         "word  word ",
         {{0, L, 4, 0, 1},
          {4, G, 1, 0, 2},
          {5, G, 1, 259, 0},
          {6, L, 4, 0, 1},
          {10, G, 1, 0, 2},
          {11, E, 1, 0, 0}}},
        {"word{=2}word",
         "word  word ",
         {{0, L, 4, 0, 1},
          {4, G, 1, 0, 2},
          {5, G, 1, 514, 0},
          {6, L, 4, 0, 1},
          {10, G, 1, 0, 2},
          {11, E, 1, 0, 0}}},
        // A count past 127 would spill into the operator bits; it stops at 127.
        {"a{=999}b",
         "a  b ",
         {{0, L, 1, 0, 1},
          {1, G, 1, 0, 2},
          {2, G, 1, 512 + 127, 0},
          {3, L, 1, 0, 1},
          {4, G, 1, 0, 2},
          {5, E, 1, 0, 0}}},
    });
}

TEST(CompileKeyword, SpecialCharacters) {
    check({
        {"caf\xE9",
         "caf\xE9 ",
         {{0, L, 3, 0, 1}, {3, S3, 1, 5, 0}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
        {"\xE9"
         "cole",
         "\xE9"
         "cole ",
         {{0, S4, 1, 5, 1}, {1, L, 4, 0, 0}, {5, G, 1, 0, 2}, {6, E, 1, 0, 0}}},
        // Lower-cased first: É becomes é (entry 5).
        {"\xC9t\xE9",
         "\xE9t\xE9 ",
         {{0, S4, 1, 5, 1}, {1, L, 1, 0, 0}, {2, S3, 1, 5, 0}, {3, G, 1, 0, 2}, {4, E, 1, 0, 0}}},
        {"l'amour",
         "l'amour ",
         {{0, L, 1, 0, 1}, {1, S3, 1, 24, 0}, {2, L, 5, 0, 0}, {7, G, 1, 0, 2}, {8, E, 1, 0, 0}}},
        // French: "oe" is the ligature (entry 26); elsewhere two letters.
        {"coeur",
         "coeur ",
         {{0, L, 1, 0, 1}, {1, S3, 2, 26, 0}, {3, L, 2, 0, 0}, {5, G, 1, 0, 2}, {6, E, 1, 0, 0}},
         false,
         '?',
         1},
        {"coeur", "coeur ", {{0, L, 5, 0, 1}, {5, G, 1, 0, 2}, {6, E, 1, 0, 0}}},
        {"OEuvre",
         "OEuvre ",
         {{0, S4, 2, 52, 1}, {2, L, 4, 0, 0}, {6, G, 1, 0, 2}, {7, E, 1, 0, 0}},
         true,
         '?',
         1},
    });
}

TEST(CompileKeyword, PunctuationAndImplicitWildcards) {
    check({
        // "(" and ")" earn a "*" each: no boundary on either side.
        {"(love)", "(love)", {{0, L, 6, 0, 4}, {6, E, 1, 0, 0}}},
        // The hyphen is a special character of the row.
        {"-ing", "-ing ", {{0, S4, 1, 25, 0}, {1, L, 3, 0, 0}, {4, G, 1, 0, 2}, {5, E, 1, 0, 0}}},
        {"a,b", "a,b ", {{0, L, 3, 0, 1}, {3, G, 1, 0, 2}, {4, E, 1, 0, 0}}},
    });
    CompiledPattern pattern;
    ASSERT_TRUE(CompileKeywordText("(love)", {}, pattern));
    EXPECT_EQ(pattern.ElementBoundary[5], kBoundaryPunctuation); // ")" inside the run
    ASSERT_TRUE(CompileKeywordText("a,b", {}, pattern));
    EXPECT_TRUE(pattern.HasLiteralComma);
    EXPECT_EQ(pattern.ElementBoundary[1], kBoundaryPunctuation);
    ASSERT_TRUE(CompileKeywordText("walk+ed,ing", {}, pattern));
    EXPECT_FALSE(pattern.HasLiteralComma);
}

TEST(CompileKeyword, Tags) {
    CompileOptions tagged;
    tagged.taggedSearch = true;
    CompiledPattern pattern;
    // Inside a tag the blank belongs to the run.
    ASSERT_TRUE(CompileKeywordText("<a b>", tagged, pattern));
    EXPECT_EQ(pattern.PatternText, "<a b>");
    EXPECT_EQ(elementsOf(pattern), (std::vector<El>{{0, L, 5, 0, 4}, {5, E, 1, 0, 0}}));
}

TEST(CompileKeyword, Refusals) {
    CompiledPattern pattern;
    for (const char* keyword : {"", "\\", "\\\\", "   ", "{<3}", "\t"}) {
        SCOPED_TRACE(keyword);
        EXPECT_FALSE(CompileKeywordText(keyword, {}, pattern));
        EXPECT_TRUE(pattern.empty());
    }
}

TEST(CompileKeyword, FromProgramState) {
    ProgramState state;
    state.Keywords = {"Love", "Love"};
    state.KeywordCase = {false, true};
    state.OpenBracket = "(";
    state.CloseBracket = ")";
    CompiledPattern pattern;
    ASSERT_TRUE(CompileKeyword(state, 0, pattern));
    EXPECT_EQ(pattern.PatternText, "love ");
    ASSERT_TRUE(CompileKeyword(state, 1, pattern));
    EXPECT_EQ(pattern.PatternText, "Love ");
    EXPECT_FALSE(CompileKeyword(state, 2, pattern));
    state.Keywords = {"a(<2)b"};
    ASSERT_TRUE(CompileKeyword(state, 0, pattern));
    EXPECT_EQ(pattern.ElementArg[2], 258);
}

// Whatever the user types compiles to a well-formed pattern or is refused.
void expectWellFormed(const std::string& keyword, const CompileOptions& options) {
    CompiledPattern pattern;
    if (!CompileKeywordText(keyword, options, pattern)) {
        EXPECT_TRUE(pattern.empty());
        return;
    }
    const std::size_t n = pattern.PatternText.size();
    ASSERT_EQ(pattern.ElementKind.size(), n + 1);
    ASSERT_EQ(pattern.ElementLength.size(), n + 1);
    ASSERT_EQ(pattern.ElementArg.size(), n + 1);
    ASSERT_EQ(pattern.ElementBoundary.size(), n + 1);
    ASSERT_EQ(pattern.ElementKind[n], kEndOfPattern);
    ASSERT_NE(pattern.ElementKind[0], 0);
    for (std::size_t p = 0; p < n; ++p) {
        const int kind = pattern.ElementKind[p];
        ASSERT_NE(kind, kEndOfPattern);
        if (kind == 0)
            continue;
        ASSERT_GE(pattern.ElementLength[p], 1);
        ASSERT_LE(p + static_cast<std::size_t>(pattern.ElementLength[p]), n);
        if (kind == kSpecialInWord || kind == kSpecialStart) {
            ASSERT_GE(pattern.ElementArg[p], 1);
            ASSERT_LE(pattern.ElementArg[p], kSpecialCharCount);
        }
    }
    ASSERT_EQ(pattern.PatternText.find('\0'), std::string::npos);
}

TEST(CompileKeyword, EveryByteAndLongKeywords) {
    CompileOptions options;
    for (char wildcard : {'?', '@'}) {
        options.singleWildcard = wildcard;
        for (int language : {0, 1}) {
            options.languageIndex = language;
            for (int b = 0; b < 256; ++b) {
                const std::string one(1, static_cast<char>(b));
                expectWellFormed(one, options);
                expectWellFormed("a" + one + "b", options);
                expectWellFormed(one + one + "x " + one, options);
            }
        }
    }
    for (const char* keyword : {"{", "}", "{<", "a{", "a{=", "a{<12", "+", "a+", "+a", "/", ",",
                                "a/,", "* * *", "** **", "??", "?*?", "{<3}{=2}", "a {<3} * b"})
        expectWellFormed(keyword, {});
    std::mt19937 random(7);
    const std::string alphabet = "ab *?@{}<=+/,.\\-'\x9C\xE9o e(";
    for (int round = 0; round < 2000; ++round) {
        std::string keyword(random() % 12 + 1, ' ');
        for (char& c : keyword)
            c = alphabet[random() % alphabet.size()];
        expectWellFormed(keyword, options);
    }
    // Longer than any text box holds.
    std::string longest;
    for (int i = 0; i < 70000; ++i)
        longest += alphabet[random() % alphabet.size()];
    expectWellFormed(longest, options);
    expectWellFormed(std::string(70000, '*'), options);
    expectWellFormed(std::string(70000, ' ') + "a", options);
}

TEST(CompileKeyword, DescribeShowsEveryElement) {
    CompiledPattern pattern;
    ASSERT_TRUE(CompileKeywordText("word{<3}word", {}, pattern));
    const auto lines = DescribeCompiledPattern(pattern);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NE(lines[3].find("259 (<3 within 3 words)"), std::string::npos);
    EXPECT_EQ(lines[6].substr(0, 8), " 12  end");
}

} // namespace
} // namespace lexmora
