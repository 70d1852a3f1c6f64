// The literal looked for before an expression is tried: which literal a conservative reading
// finds (and where it declines), that its case fold never parts two bytes the expression takes
// for one another, and that looking for it first gives exactly the matches of the expression
// alone, over made-up texts read through windows of many sizes (literals cut by a window's end,
// at line ends, repeated, overlapping, in accented capitals).
#include "search/regex_inner_literal.h"

#include "codes/code_tables.h"
#include "core/program_state.h"
#include "search/regex_matcher.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

namespace lexmora {
namespace {

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

ProgramState ansiState() {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    return state;
}

std::shared_ptr<const RegexKeyword> compiled(const std::string& expression, bool exactCase) {
    RegexFault fault;
    auto keyword = RegexKeyword::compile(expression, exactCase, ansiState(), fault);
    EXPECT_TRUE(keyword) << expression << ": " << fault.reason;
    return keyword;
}

TEST(RegexInnerLiteral, IsFoundOnlyWhereEveryMatchMustHoldIt) {
    const RegexTables tables = MakeRegexTables(ansiState());
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\\b\\w+ment\\b", "ment"},
        {"[[:upper:]]\\w+ville", "ville"},
        {"\\w+m{1}ent", "ent"},     // a repeated character is no part of it
        {"men?t\\w+", "me"},        // nor an optional one: the longest run left
        {"\\w+ment(?=s)", "ment"},  // a lookahead consumes nothing
        {"\\w+(?=ment\\b)", ""},    // the literal only looked at
        {"\\w+ment|\\w+ville", ""}, // alternatives at the top
        {"\\w+(ment|ville)", ""},   // a group is not read into the literal
        {"\\w+t\\b", ""},           // one character is too short
        {"(?i)\\w+ment", ""},       // inline options
        {"(\\w)\\w*ment\\1", ""},   // a back reference
        {"\\w+\\Kment", ""},        // a reset start
        {"\\Gment\\w*", ""},        // a start that depends on where the search begins
        {"(*COMMIT)\\w+ment", ""},  // a verb
        {"\\w+ment{,2}", ""},       // braces read as characters
        {"\\Wment", ""},            // a match may consume any byte
        {"[^x]ment", ""},           // any byte too, once both cases of x are let in
        {"\\w+\\.ment", "\\.ment"}, // escaped punctuation is plain (kept as typed)
        {"[a-z\xE0-\xFF]+ement\\b", "ement"},
    };
    for (const auto& [expression, literal] : cases) {
        std::string expected = literal;
        if (expected == "\\.ment")
            expected = ".ment";
        EXPECT_EQ(FindRegexInnerLiteral(expression, tables, false).literal, expected) << expression;
    }
    // Case-sensitive, "[^x]" leaves out "x" and the match's bytes are not all.
    EXPECT_EQ(FindRegexInnerLiteral("[^x]ment", tables, true).literal, "ment");
    const ByteSet word = FindRegexInnerLiteral("\\b\\w+ment\\b", tables, false).bytes;
    EXPECT_TRUE(word['a'] && word['Z'] && word[0xE9] && word[0xC9] && word['7']);
    EXPECT_FALSE(word[' '] || word['\n'] || word['-'] || word['.']);
    const ByteSet dot = FindRegexInnerLiteral(".ment", tables, false).bytes;
    EXPECT_TRUE(dot[' '] && dot['-'] && !dot['\r'] && !dot['\n']);
    // The compiled keyword looks for it only when no literal starts every match.
    EXPECT_NE(compiled("\\b\\w+ment\\b", false)->inner(), nullptr);
    EXPECT_EQ(compiled("\\b\\w+ment\\b", false)->innerLiteral(), "MENT"); // folded
    EXPECT_EQ(compiled("colou?r", false)->inner(), nullptr);
    EXPECT_EQ(compiled("\\w+(?=ment\\b)", false)->inner(), nullptr);
}

TEST(RegexInnerLiteral, CaseFoldNeverPartsBytesTheExpressionEquates) {
    const ProgramState state = ansiState();
    const FoldTable fold = RegexCaseFold(MakeRegexTables(state));
    char hex[8];
    for (int c = 1; c < 256; ++c) {
        std::snprintf(hex, sizeof hex, "\\x{%02x}", c);
        RegexMatcher matcher(compiled(hex, false), RegexPrefilter::None);
        for (int t = 1; t < 256; ++t) {
            const char text[1] = {static_cast<char>(t)};
            std::size_t s = 0, e = 0;
            if (matcher.find(text, 1, 0, {0, true}, s, e) == RegexMatcher::Outcome::Match) {
                EXPECT_EQ(fold[static_cast<std::size_t>(c)], fold[static_cast<std::size_t>(t)])
                    << c << " matches " << t;
            }
        }
    }
    EXPECT_EQ(fold[0xC9], fold[0xE9]); // É and é
    EXPECT_EQ(fold['M'], fold['m']);
}

// The matches of the expression over the text read through windows of `windowSize` bytes as the
// scanner reads a file: a window keeps `keep` bytes before where the search resumes, is refilled
// from where the matcher says when it finds nothing or needs more, and grows to the file's end.
Spans windowedMatches(const std::string& text, const std::shared_ptr<const RegexKeyword>& keyword,
                      RegexPrefilter prefilter, std::size_t windowSize) {
    RegexMatcher matcher(keyword, prefilter);
    const std::size_t keep = matcher.lookBack() + 4;
    std::size_t windowStart = 0, windowEnd = std::min(windowSize, text.size()), pos = 0;
    Spans out;
    for (int guard = 0; guard < 1'000'000; ++guard) {
        const bool final = windowEnd == text.size();
        std::size_t s = 0, e = 0;
        const auto outcome = matcher.find(text.data() + windowStart, windowEnd - windowStart, pos,
                                          {windowStart, final}, s, e);
        if (outcome == RegexMatcher::Outcome::Match) {
            out.emplace_back(windowStart + s, windowStart + e);
            pos = e;
            continue;
        }
        if (outcome == RegexMatcher::Outcome::LimitReached || final)
            return out;
        const std::size_t resume =
            windowStart + (outcome == RegexMatcher::Outcome::NoMatch ? std::max(s, pos) : s);
        const std::size_t newStart = resume > windowStart + keep ? resume - keep : windowStart;
        windowEnd = std::min(text.size(), std::max(newStart + windowSize, windowEnd + 7));
        pos = resume - newStart;
        windowStart = newStart;
    }
    ADD_FAILURE() << "the windows went round in circles";
    return out;
}

std::string madeUpText(unsigned seed) {
    const std::vector<std::string> words = {"gouvernement",
                                            "moment",
                                            "MENT",
                                            "ment",
                                            "mentment",
                                            "\xC9V\xC9NEMENT",
                                            "\xE9v\xE9nement",
                                            "Abbeville",
                                            "ABBEVILLE",
                                            "\xC9lisabethville",
                                            "villa",
                                            "ville",
                                            "bananan",
                                            "ananas",
                                            "comment-ment",
                                            "x",
                                            "un",
                                            "Mentir",
                                            "d\xE9j\xE0",
                                            "a.ment",
                                            "Qualit\xE9",
                                            "\xC9GALIT\xC9",
                                            "amendement",
                                            "ments",
                                            "un moment",
                                            "gouvernements",
                                            "un COMMENTS"};
    const std::vector<std::string> gaps = {" ", " ", " ", "\r\n", "\n", "\r", ", ", ". ", "-", ""};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < 3000) {
        text += words[random() % words.size()];
        text += gaps[random() % gaps.size()];
    }
    return text;
}

TEST(RegexInnerLiteral, LookingForTheLiteralFirstGivesTheSameMatches) {
    const std::vector<std::pair<std::string, bool>> expressions = {
        {"\\b\\w+ment\\b", false},
        {"\\b\\w+ment\\b", true},
        {"[[:upper:]]\\w+ville", false},
        {"[[:upper:]]\\w+ville", true},
        {"\\w*ment", false},
        {"\\w+ment(?=s)", false},
        {"(?<=\\bun )\\w+ment", false},
        {".ment", false},
        {"^\\w+ment$", false},
        {"[a-z\xE0-\xFF]+ement\\b", false},
        {"\\b\\w*anan\\w*", false},
        {"\\w+it\xE9\\b", false},
        {"[^x]+ment", true},
        {"\\w+ment[^.]*\\.", false},
        {"\\w+m{1}ent\\w{0,3}", false},
        {"\\bment\\w+", false}, // the literal starts every match: looked for as such
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const std::string text = madeUpText(seed);
        for (const auto& [expression, exactCase] : expressions) {
            const auto keyword = compiled(expression, exactCase);
            const Spans expected =
                windowedMatches(text, keyword, RegexPrefilter::None, text.size());
            EXPECT_GT(expected.size(), 3u) << expression;
            for (const std::size_t window : {text.size(), std::size_t{23}, std::size_t{64},
                                             std::size_t{101}, std::size_t{512}})
                EXPECT_EQ(windowedMatches(text, keyword, RegexPrefilter::Literals, window),
                          expected)
                    << expression << (exactCase ? " (exact case)" : "") << ", seed " << seed
                    << ", window " << window;
        }
    }
}

TEST(RegexInnerLiteral, TheExpressionAloneGivesTheSameMatchesThroughAnyWindow) {
    // The reference itself, read through windows, against the whole text at once.
    const std::string text = madeUpText(9);
    for (const std::string expression : {"\\b\\w+ment\\b", "[[:upper:]]\\w+ville"}) {
        const auto keyword = compiled(expression, false);
        const Spans whole = windowedMatches(text, keyword, RegexPrefilter::None, text.size());
        for (const std::size_t window : {std::size_t{23}, std::size_t{101}})
            EXPECT_EQ(windowedMatches(text, keyword, RegexPrefilter::None, window), whole)
                << expression << ", window " << window;
    }
}

TEST(RegexInnerLiteral, AFileOfTheSameSizeAsTheOneBeforeIsSearchedAfresh) {
    // The places of the literal starts found in one file are not taken for the next one's.
    for (const std::string expression : {"colou?r", "\\b(walk|talk)(ed|ing)?\\b", "\\w+ment"}) {
        RegexMatcher matcher(compiled(expression, false));
        const std::string before(20, 'x'), after = "colour walked moment";
        std::size_t s = 0, e = 0;
        EXPECT_EQ(matcher.find(before.data(), before.size(), 0, {0, true}, s, e),
                  RegexMatcher::Outcome::NoMatch);
        EXPECT_EQ(matcher.find(after.data(), before.size(), 0, {0, true}, s, e),
                  RegexMatcher::Outcome::Match)
            << expression;
    }
}

} // namespace
} // namespace lexmora
