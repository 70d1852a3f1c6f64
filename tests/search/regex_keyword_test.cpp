// Regular-expression keywords: what they match in Windows-1252 text (accents in both cases, word
// bounds at accented letters, alternatives, lookaround, line anchors, zero-length matches), the
// same matches whatever the window a file is read through, the faults refused before a search
// with their reason and place, a pathological expression stopped in one file while the search
// goes on, and expressions among plain keywords searched in one pass.
#include "search/regex_keyword.h"

#include "codes/code_tables.h"
#include "keywords/keyword_file.h"
#include "search/kwic_line.h"
#include "search/messages.h"
#include "search/one_pass_run.h"
#include "search/regex_matcher.h"
#include "search/search_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

namespace lexmora {
namespace {

namespace fs = std::filesystem;

ProgramState searchState(const std::string& source, const std::vector<std::string>& keywords,
                         const std::vector<bool>& regex, const std::vector<bool>& exactCase) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    state.CodeMode = kCodeAnsi;
    state.LeftContext = 0;
    state.RightContext = 0;
    state.SourceDirectory = source;
    state.SourceFileType = "*.txt";
    state.InvalidFileNameChars = "\\/:*?\"<>|";
    state.Keywords = keywords;
    state.KeywordRegex = regex;
    state.KeywordCase = exactCase.empty() ? std::vector<bool>(keywords.size(), false) : exactCase;
    for (const auto& entry : fs::directory_iterator(source))
        state.SourceFiles.push_back(entry.path().filename().string());
    std::sort(state.SourceFiles.begin(), state.SourceFiles.end());
    return state;
}

// The matched text of every hit shown (the contexts are 0 wide: a line is its number and node).
struct NodeLog : SearchObserver {
    std::vector<std::string> nodes;
    void onHit(std::string_view line, std::string_view) override {
        nodes.emplace_back(line.substr(kHitNumberFieldWidth));
    }
};

std::vector<std::string> nodesOf(const std::string& text, const std::string& expression,
                                 bool exactCase, SilentPrompter& prompter) {
    test::TempDir dir;
    dir.write("src/a.txt", text);
    ProgramState state = searchState(dir.path() + "/src", {expression}, {true}, {exactCase});
    EXPECT_EQ(CheckKeywords(state, SearchChoicesIn(state), prompter).outcome, CheckOutcome::Passed);
    NodeLog observer;
    SearchRun run;
    RunSearch(state, SearchRequestFor(state), run, observer, prompter);
    return observer.nodes;
}

struct MatchCase {
    const char* name;
    std::string expression;
    bool exactCase;
    std::string text;
    std::vector<std::string> nodes;
};

TEST(RegexKeyword, MatchesAsTheKeywordLanguageKnowsLettersAndCases) {
    const std::vector<MatchCase> cases = {
        {"accents in both cases",
         "\xE9t\xE9",
         false,
         "\xE9t\xE9 \xC9T\xC9 \xC9t\xE9 ete etE",
         {"\xE9t\xE9", "\xC9T\xC9", "\xC9t\xE9"}},
        {"case-sensitive", "\xC9t\xE9", true, "\xE9t\xE9 \xC9T\xC9 \xC9t\xE9", {"\xC9t\xE9"}},
        {"word bounds at accented letters",
         "\\bcaf\\w*\\b",
         false,
         "caf\xE9 CAF\xC9S d\xE9"
         "caf\xE9 caf",
         {"caf\xE9", "CAF\xC9S", "caf"}},
        {"words split at accents only where no letter",
         "\\w+",
         false,
         "d\xE9j\xE0-vu \xC9"
         "COLE \x9C"
         "uvre",
         {"d\xE9j\xE0", "vu",
          "\xC9"
          "COLE",
          "\x9Cuvre"}},
        {"upper-case class",
         "[[:upper:]]\\w+",
         true,
         "le Qu\xE9"
         "bec et \xC9vian",
         {"Qu\xE9"
          "bec",
          "\xC9vian"}},
        {"alternatives",
         "\\b(walk|talk)(ed|ing)?\\b",
         false,
         "walk walked TALKING walker sidewalk talked.",
         {"walk", "walked", "TALKING", "talked"}},
        {"lookahead", "\\w+(?=ment\\b)", false, "gouvernement mentir moment", {"gouverne", "mo"}},
        {"lookbehind", "(?<=\\bun )\\w+", false, "un chat une chatte Un chien", {"chat", "chien"}},
        {"zero-length matches skipped", "x*", false, "ab xx c x", {"xx", "x"}},
        {"literal prefix",
         "colou?r",
         false,
         "color colour Colours colr",
         {"color", "colour", "Colour"}},
        {"line anchors",
         "^\\w+|\\w+$",
         false,
         "first line\r\nsecond row\r\n",
         {"first", "line", "second", "row"}},
        {"no match across a line end", "a.b", false, "a\r\nb a-b", {"a-b"}},
    };
    for (const MatchCase& c : cases) {
        SilentPrompter prompter;
        EXPECT_EQ(nodesOf(c.text, c.expression, c.exactCase, prompter), c.nodes) << c.name;
        EXPECT_TRUE(prompter.shown.empty()) << c.name;
    }
}

// The matches of an expression in the whole text at once: what any window must give.
std::vector<std::string> wholeTextMatches(const std::string& text, const std::string& expression) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    RegexFault fault;
    RegexMatcher matcher(RegexKeyword::compile(expression, false, state, fault));
    std::vector<std::string> out;
    std::size_t from = 0, s = 0, e = 0;
    while (matcher.find(text.data(), text.size(), from, {0, true}, s, e) ==
           RegexMatcher::Outcome::Match) {
        out.push_back(text.substr(s, e - s));
        from = e;
    }
    return out;
}

TEST(RegexKeyword, WindowsGiveTheMatchesOfTheWholeFile) {
    std::mt19937 random(5);
    const std::vector<std::string> words = {"gouvernement", "moment", "colour",  "color",
                                            "un",           "chat",   "z",       "a",
                                            "\xC9T\xC9",    "walked", "talking", "x"};
    std::string text;
    while (text.size() < 900'000) {
        text += words[random() % words.size()];
        text += random() % 9 == 0 ? "\r\n" : " ";
    }
    text += std::string(200'000, 'a') + "z"; // a match longer than a window
    for (const std::string expression : {"\\b\\w+ment\\b", "colou?r", "\\b(walk|talk)(ed|ing)?\\b",
                                         "(?<=\\bun )\\w+", "a[^z\\r\\n]*z", "\xE9t\xE9 +\\w+$"}) {
        SilentPrompter prompter;
        const std::vector<std::string> expected = wholeTextMatches(text, expression);
        const std::vector<std::string> nodes = nodesOf(text, expression, false, prompter);
        EXPECT_GT(expected.size(), 10u) << expression;
        EXPECT_EQ(nodes.size(), expected.size()) << expression;
        EXPECT_TRUE(nodes == expected) << expression;
    }
}

TEST(RegexKeyword, FaultsAreRefusedWithTheirReasonAndPlace) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"colou(r", "missing closing parenthesis (at character 8)."},
        {"[a-", "missing terminating ] for character class (at character 4)."},
        {"a{2,1}", "numbers out of order in {} quantifier (at character 6)."},
        {"", "the expression is empty."},
        {std::string(256, 'a'), "the expression is longer than 255 characters (at character 256)."},
        {std::string("a\0b", 3),
         "the expression holds a NUL character (write \\x00 to look for one) (at character 2)."},
        {"\\b", "the expression matches only the empty string, and such matches are skipped."},
        {"(?=\xE9)|^", "the expression matches only the empty string, and such matches are "
                       "skipped."},
    };
    for (const auto& [expression, reason] : cases) {
        ProgramState state;
        state.CodeRows = BuiltInCodeRows();
        state.Keywords = {expression, "cat"};
        state.KeywordRegex = {true};
        const auto compiled = CompileRegexKeyword(state, SearchChoicesIn(state), 0);
        ASSERT_FALSE(compiled) << expression;
        EXPECT_EQ(compiled.error().text,
                  "The regular expression " + expression + " cannot be searched for:\r\n" + reason);
        SilentPrompter prompter;
        EXPECT_EQ(CheckKeywords(state, SearchChoicesIn(state), prompter).outcome,
                  CheckOutcome::Abandoned);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, compiled.error().text);
    }
}

TEST(RegexKeyword, APathologicalExpressionStopsInItsFileAndTheSearchGoesOn) {
    test::TempDir dir;
    std::string hard;
    for (int i = 0; i < 20; ++i)
        hard += std::string(40, 'a') + "b\r\n";
    dir.write("src/a.txt", "aaa\r\n" + hard);
    dir.write("src/b.txt", "x aa\r\n");
    ProgramState state = searchState(dir.path() + "/src", {"(a+)+$"}, {true}, {});
    SilentPrompter prompter;
    NodeLog observer;
    SearchRun run;
    RunSearch(state, SearchRequestFor(state), run, observer, prompter);
    EXPECT_EQ(observer.nodes, (std::vector<std::string>{"aaa", "aa"}));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              search::msg::RegexLimitReached("(a+)+$", dir.path() + "/src/a.txt").text);
    EXPECT_NE(prompter.shown[0].text.find("/src/a.txt"), std::string::npos);
    EXPECT_FALSE(run.abandoned || run.failed);
}

// Every file of the target folder after a saved run, by name, the log's run date blanked.
std::map<std::string, std::string> savedRun(const std::string& source, const std::string& target,
                                            const std::string& temp, bool keywordByKeyword,
                                            bool singleFile) {
    ProgramState state = searchState(
        source, {"the", "\\b(walk|talk)(ed|ing)?\\b", "caf\xE9", "[[:upper:]]\\w+", "x*y"},
        {false, true, false, true, true}, {false, false, false, true, false});
    state.LeftContext = 20;
    state.RightContext = 20;
    state.SaveToFile = true;
    state.SingleFile = singleFile;
    state.TargetDirectory = target;
    state.TempDirectory = temp;
    EXPECT_EQ(PrepareOnePass(state, SearchChoicesIn(state), 1 << 20) == nullptr, false);
    SilentPrompter prompter;
    SearchObserver observer;
    SearchRun run;
    run.keywordByKeyword = keywordByKeyword;
    run.spoolMemory = 4096;
    RunSearch(state, SearchRequestFor(state), run, observer, prompter);
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::directory_iterator(target)) {
        out[entry.path().filename().string()] = test::readFile(entry.path().string());
        fs::remove(entry.path());
    }
    return out;
}

TEST(RegexKeyword, ExpressionsAmongKeywordsInOnePassGiveTheFilesOfOneAtATime) {
    test::TempDir dir;
    std::mt19937 random(3);
    const std::vector<std::string> words = {"the",     "The",     "walk",    "walked",
                                            "talking", "Caf\xE9", "caf\xE9", "xy",
                                            "xxxy",    "y",       "Paris",   "\xC9vian"};
    for (const auto& [name, count] :
         std::vector<std::pair<std::string, int>>{{"a.txt", 50}, {"b.txt", 60000}, {"c.txt", 3}}) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += words[random() % words.size()] + (random() % 11 == 0 ? ".\r\n" : " ");
        dir.write("src/" + name, text);
    }
    dir.makeFolder("out");
    dir.makeFolder("tmp");
    for (const bool singleFile : {false, true}) {
        const auto alone = savedRun(dir.path() + "/src", dir.path() + "/out", dir.path() + "/tmp",
                                    true, singleFile);
        const auto together = savedRun(dir.path() + "/src", dir.path() + "/out",
                                       dir.path() + "/tmp", false, singleFile);
        EXPECT_EQ(alone.size(), singleFile ? 3u : 15u);
        EXPECT_TRUE(alone == together) << singleFile;
        // The records name the expression as typed.
        bool named = false;
        for (const auto& [name, bytes] : alone)
            named = named || bytes.find("\\b(walk|talk)(ed|ing)?\\b") != std::string::npos;
        EXPECT_TRUE(named);
    }
}

TEST(RegexKeyword, KeywordFilesMarkExpressionsBetweenSlashes) {
    const KeywordFileText parsed =
        ParseKeywordFile("cat\r\n/colou?r/\r\n^/[[:upper:]]\\w+/\r\n/\r\n//\r\n^/a/b\r\n");
    const std::vector<KeywordLine> expected = {
        {"cat", false, false}, {"colou?r", false, true}, {"[[:upper:]]\\w+", true, true},
        {"/", false, false},   {"", false, true},        {"/a/b", true, false}};
    EXPECT_EQ(parsed.keywords, expected);
    const std::vector<KeywordLine> written = {
        {"cat", false, false}, {"a/b", false, true}, {"\\b\xE9t\xE9\\b", true, true}};
    EXPECT_EQ(FormatKeywordFile(written), "cat\r\n/a/b/\r\n^/\\b\xE9t\xE9\\b/\r\n");
    EXPECT_EQ(ParseKeywordFile(FormatKeywordFile(written)).keywords, written);
}

TEST(RegexKeyword, LiteralPrefixIsWhatEveryMatchBeginsWith) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"giraffe", "giraffe"}, {"colou?r", "colo"}, {"ab+c", "a"},  {"a*b", ""},
        {"walk(ed)?", "walk"},  {"cat|dog", ""},     {"\\bcat", ""}, {"caf\xE9s", "caf\xE9s"},
        {"x{2}", ""},           {"[ab]c", ""},       {"ab.c", "ab"}, {"(?i)ab", ""},
    };
    for (const auto& [expression, prefix] : cases)
        EXPECT_EQ(RegexLiteralPrefix(expression), prefix) << expression;
    using Starts = std::vector<std::string>;
    const std::vector<std::pair<std::string, Starts>> starts = {
        {"\\b(walk|talk)(ed|ing)?\\b", {"walk", "talk"}},
        {"(?:colou?r|hue)s", {"colo", "hue"}},
        {"\\bgiraffe\\b", {"giraffe"}},
        {"(walk|talk)?ing", {}}, // the group may be left out
        {"(walk|t[ai]lk)", {"walk", "t"}},
        {"(walk|\\w+)", {}},          // an alternative that begins with a class
        {"(walk|talk)|run", {}},      // an alternative outside the group
        {"(ab|c)[|)]d", {"ab", "c"}}, // "|" and ")" inside a class are characters
        {"(?i)walk", {}},
        {"(walk(er|ing)|talk)", {}}, // an alternative's own group holds a "|"
        {"colou?r|hue", {}},
    };
    for (const auto& [expression, literals] : starts)
        EXPECT_EQ(RegexLiteralStarts(expression), literals) << expression;
}

} // namespace
} // namespace lexmora
