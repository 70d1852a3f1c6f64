#include "search/scanner.h"

#include "codes/code_tables.h"
#include "search/compile_keyword.h"
#include "search/context_text.h"
#include "search/hit_filters.h"
#include "search/source_text.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

struct Collector : SearchObserver {
    std::vector<std::string> lines;
    void onHit(std::string_view line, std::string_view) override { lines.emplace_back(line); }
};

// A state with the built-in code rows, narrow contexts and one keyword.
ProgramState stateFor(const std::string& folder, const std::string& keyword,
                      bool caseSensitive = false, int left = 10, int right = 10) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    state.CodeMode = kCodeAnsi;
    state.LanguageIndex = 1;
    state.SourceDirectory = folder;
    state.LeftContext = left;
    state.RightContext = right;
    state.Keywords = {keyword};
    state.KeywordCase = {caseSensitive};
    return state;
}

struct Outcome {
    RunOutcome result;
    ScanCounts counts;
    std::vector<std::string> lines;
};

Outcome scan(ProgramState& state, const std::vector<std::string>& files) {
    state.SourceFiles = files;
    CompiledPattern compiled;
    EXPECT_TRUE(CompileKeyword(state, 0, compiled));
    const ScanPattern pattern = MakeScanPattern(compiled);
    Collector collector;
    SilentPrompter prompter;
    ScanContext context;
    Outcome out;
    const StepSources step{state.SourceDirectory, state.SourceFiles};
    out.result = SearchFiles(state, SearchChoicesIn(state), step, pattern, context, out.counts,
                             collector, prompter);
    out.lines = collector.lines;
    return out;
}

// The matched texts of a search over one text, in order.
std::vector<std::string> matches(const std::string& keyword, const std::string& text,
                                 bool caseSensitive = false) {
    test::TempDir dir;
    dir.write("a.txt", text);
    ProgramState state = stateFor(dir.path(), keyword, caseSensitive, 0, 0);
    const Outcome out = scan(state, {"a.txt"});
    std::vector<std::string> found;
    for (const auto& line : out.lines)
        found.push_back(line.substr(5));
    return found;
}

using Found = std::vector<std::string>;

TEST(ScannerMatching, KeywordsFindWhatAUserExpects) {
    struct Case {
        const char* keyword;
        const char* text;
        bool caseSensitive;
        Found expected;
    };
    const Case cases[] = {
        // Whole words only; a digit after the word is allowed, one before is not.
        {"love",
         "love lovely glove love2 2love Love LOVE.",
         false,
         {"love", "love", "Love", "LOVE"}},
        {"love", "love Love LOVE", true, {"love"}},
        {"Love", "love Love LOVE", true, {"Love"}},
        // Glued wildcards drop the boundary on their side.
        {"conna*", "connaissance connat je connais", false, {"conna", "conna", "conna"}},
        {"*ment", "gouvernement mentir ment", false, {"ment", "ment"}},
        // Required and optional endings.
        {"walk+ed,ing", "walk walked walking walkers", false, {"walked", "walking"}},
        {"walk/ed,ing", "walk walked walking walkers", false, {"walk", "walked", "walking"}},
        // An inner star lines up with the end of the word.
        {"lo*ve", "love lodove lovely lo ve", false, {"love", "lodove"}},
        // Two words, and Next Word Match.
        {"give up", "give up, give it up; give, up", false, {"give up"}},
        {"give{=2}up", "give it up. give up", false, {"give it up"}},
        {"give{<3}up",
         "give up give it all up give a b c up",
         false,
         {"give up", "give it all up"}},
        // Accented letters in either case.
        {"\xE9t\xE9", "\xC9T\xC9 \xE9t\xE9 ete", false, {"\xC9T\xC9", "\xE9t\xE9"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matches(c.keyword, c.text, c.caseSensitive), c.expected) << c.keyword;
}

// Many stars in one keyword over a long word: every split of the word is not tried twice, so the
// search ends (it took the word's length to the power of the stars before).
TEST(ScannerMatching, ManyStarsOverALongWordFinishWithTheRightHits) {
    const std::string stars = "c*a*a*a*a*a*a*a*a*a*a*x";
    const std::string text = "c" + std::string(400, 'a') + "t caaaaaaaaaax caaaax c**x";
    EXPECT_EQ(matches(stars, text), Found{"caaaaaaaaaax"});
    EXPECT_EQ(matches("c********x", "cx cax c" + std::string(300, 'b') + "y"),
              (Found{"cx", "cax"}));
    // The same inside endings, where the rest of the pattern depends on the stem's continuation.
    EXPECT_EQ(matches("walk/a*a*a*a*a*a*a*a*a*a*x,ed", "walk" + std::string(400, 'a') + "t walked"),
              Found{"walked"});
}

TEST(ScannerMatching, HyphenAtALineEndIsJoined) {
    EXPECT_EQ(matches("information", "the infor-\r\nmation desk\r\n"), Found{"information"});
    EXPECT_EQ(matches("information", "the infor-\nmation desk\n"), Found{"information"});
}

TEST(ScannerMatching, LineBreakBetweenTwoWordsDoesNotStopThePhrase) {
    EXPECT_EQ(matches("give up", "give\r\nup"), Found{"give up"});
}

TEST(ScannerKwic, LineHasNumberRightAlignedLeftContextAndRightContext) {
    test::TempDir dir;
    dir.write("a.txt", "the quick brown fox jumps\r\nover the lazy dog. The end");
    ProgramState state = stateFor(dir.path(), "the");
    const Outcome out = scan(state, {"a.txt"});
    ASSERT_EQ(out.result.end, RunEnd::Done);
    ASSERT_EQ(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0], "1" + std::string(14, ' ') + "the quick bro");
    EXPECT_EQ(out.lines[1], "2    umps over the lazy dog.");
    EXPECT_EQ(out.lines[2], "3    lazy dog. The end      ");
    EXPECT_EQ(out.counts.hits, 3);
    EXPECT_EQ(out.counts.bytes, 53);
}

TEST(ScannerKwic, HitAcrossReadChunksIsFoundOnceWithFullContext) {
    // "zebra" astride the end of a read (the 31,744-byte head, then reads of 128 KiB), at
    // several places around the edge.
    for (const std::size_t reads : {1u, 4u})
        for (const std::size_t before : {6u, 4u, 2u, 1u}) {
            test::TempDir dir;
            std::string text(31744 + reads * 128 * 1024 - before, 'x');
            text[100] = ' ';
            text += " zebra stripes ";
            text += std::string(2000, 'y');
            dir.write("a.txt", text);
            ProgramState state = stateFor(dir.path(), "zebra");
            const Outcome out = scan(state, {"a.txt"});
            ASSERT_EQ(out.lines.size(), 1u) << reads << " " << before;
            EXPECT_EQ(out.lines[0], "1    xxxxxxxxx zebra stripes y") << reads << " " << before;
        }
}

TEST(ScannerMatching, RulesOfDashesDoNotHideHyphenBreaks) {
    // Lines of dashes end in "-" + line end too: their last dash joins the next line, and a
    // word broken at a line end among them is still found, in either case.
    const std::string rules = "-----\r\n-----\r\n";
    EXPECT_EQ(matches("zebra", rules + "a ZEB-\r\nRA b\r\n" + rules), Found{"ZEBRA"});
    EXPECT_EQ(matches("ababab", "x ab-\nab-\n-\nab y"), Found{"ababab"});
    EXPECT_EQ(matches("ab", "x ab-\nab-\n-\nab y"), Found{});
}

TEST(ScannerKwic, HyphenBreakAstrideAReadIsStillJoined) {
    test::TempDir dir;
    // "-\r" ends the 31,744-byte head (where the line end is found), "\n" starts the next read.
    std::string text = "a\r\n" + std::string(31733, 'x') + " infor-\r\nmation ";
    ASSERT_EQ(text.substr(kBlockSize - 2, 2), "-\r");
    dir.write("a.txt", text);
    ProgramState state = stateFor(dir.path(), "information");
    const Outcome out = scan(state, {"a.txt"});
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0], "1    xxxxxxxxx information" + std::string(10, ' '));
}

TEST(ScannerKwic, NulBytesAndAHugeLineGiveFixedWidthLines) {
    test::TempDir dir;
    std::string text("lo\0ve love\0 ", 13);
    text += std::string(3 * 1024 * 1024, 'y');
    text += " love";
    dir.write("a.txt", text);
    ProgramState state = stateFor(dir.path(), "love");
    const Outcome out = scan(state, {"a.txt"});
    ASSERT_EQ(out.lines.size(), 2u);
    // The NUL inside "lo\\0ve" keeps it from matching, and vanishes from the context.
    EXPECT_EQ(out.lines[0], "1         love love yyyyyyyyy");
    EXPECT_EQ(out.lines[1], "2    yyyyyyyyy love          ");
}

TEST(ScannerFilters, ExcludeStringRejectsOnlyWhereItOverliesTheMatch) {
    test::TempDir dir;
    dir.write("a.txt", "they fell in love. my love is here. in  love again");
    ProgramState state = stateFor(dir.path(), "love");
    state.ExcludeStrings = {{"in love"}};
    state.ExcludeCase = {{false}};
    const Outcome out = scan(state, {"a.txt"});
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0].substr(5), " love. my love is here. ");
}

TEST(ScannerFilters, TagMustFollowTheKeyword) {
    test::TempDir dir;
    dir.write("a.txt", "love<NN> love<VB> love <NN>");
    ProgramState state = stateFor(dir.path(), "love");
    state.TaggedSearch = true;
    state.TagBefore = false;
    state.ExcludeStrings = {{"<N?>"}};
    state.ExcludeCase = {{true}};
    const Outcome out = scan(state, {"a.txt"});
    EXPECT_EQ(out.lines.size(), 2u);
}

TEST(ScannerFilters, ImageTagAttributesAreNotHits) {
    EXPECT_TRUE(TagMatches("<N*>", "<NNS>", true));
    EXPECT_FALSE(TagMatches("<N?>", "<NNS>", true));
    EXPECT_TRUE(TagMatches("<n?>", "<NN>", false));
}

TEST(ScannerFiles, ShortFileMissingFileAndInvalidExtension) {
    test::TempDir dir;
    dir.write("short.txt", "lov");
    dir.write("exact.txt", "love");
    dir.write("b.gz", "love love");
    dir.write("c.txt", "love");
    ProgramState state = stateFor(dir.path(), "love");
    state.InvalidFileExtensions = ".GZ ";
    const Outcome out = scan(state, {"short.txt", "exact.txt", "b.gz", "missing.txt", "c.txt"});
    // A file that is just the keyword is searched; the missing file asks Abort/Retry/Ignore,
    // and the silent answer, Abort, ends the call.
    EXPECT_EQ(out.result.end, RunEnd::Abandoned);
    EXPECT_EQ(out.counts.bytes, 4);
    EXPECT_EQ(out.lines.size(), 1u);
}

TEST(ScannerFiles, Utf16FileIsSearchedThroughItsAnsiText) {
    test::TempDir dir;
    const std::string utf16("\xFF\xFE"
                            "c\0a\0f\0\xE9\0 \0",
                            12);
    dir.write("u.txt", utf16);
    ProgramState state = stateFor(dir.path(), "caf\xE9");
    state.CodeMode = kCodeAutomatic;
    const Outcome out = scan(state, {"u.txt"});
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0].substr(15, 4), "caf\xE9");
}

// A UTF-8 file is converted as it is read: sequences that reads cut in two, a byte-order mark and
// a stray invalid byte give the same KWIC lines as the file written in Windows-1252.
TEST(ScannerFiles, Utf8FileReadInPiecesGivesTheLinesOfItsAnsiText) {
    std::string ansi, utf8 = "\xEF\xBB\xBF";
    for (int i = 0; i < 60000; ++i) {
        const std::string pad(static_cast<std::size_t>(i % 4), 'x');
        ansi += pad + " \xE9t\xE9 caf\xE9 \x80 ";
        utf8 += pad + " \xC3\xA9t\xC3\xA9 caf\xC3\xA9 \xE2\x82\xAC ";
    }
    ansi += " \xE9t\xE9";
    utf8 += " \xC3\xA9t\xC3\xA9 \xC3";
    test::TempDir dir;
    dir.write("a.txt", ansi + " \xC3");
    dir.write("u.txt", utf8);
    ProgramState ansiState = stateFor(dir.path(), "\xE9t\xE9");
    const Outcome expected = scan(ansiState, {"a.txt"});
    ProgramState utf8State = stateFor(dir.path(), "\xE9t\xE9");
    utf8State.CodeMode = kCodeAutomatic;
    const Outcome converted = scan(utf8State, {"u.txt"});
    ASSERT_EQ(expected.lines.size(), 60001u);
    EXPECT_EQ(converted.lines, expected.lines);
    EXPECT_EQ(converted.counts.bytes, static_cast<std::int64_t>(utf8.size()));
}

TEST(ScannerFlags, ExitAnsweredYesAbandonsTheCall) {
    test::TempDir dir;
    dir.write("a.txt", "love love love");
    ProgramState state = stateFor(dir.path(), "love");
    state.SourceFiles = {"a.txt"};
    state.ExitFlag = ExitRequest::UserPressedExit;
    CompiledPattern compiled;
    ASSERT_TRUE(CompileKeyword(state, 0, compiled));
    ScriptedPrompter prompter({Answer::Yes});
    Collector collector;
    ScanCounts counts;
    const StepSources step{state.SourceDirectory, state.SourceFiles};
    EXPECT_EQ(SearchFiles(state, SearchChoicesIn(state), step, MakeScanPattern(compiled),
                          ScanContext{}, counts, collector, prompter)
                  .end,
              RunEnd::Abandoned);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].title, " Abandon Search");
    EXPECT_TRUE(collector.lines.empty());
}

TEST(ScannerContext, CleaningJoinsBlanksAndLineBreaks) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    EXPECT_EQ(ExtractContext(state, kCodeAnsi, std::string("a\r\n  b\0c\td", 10), 0, 0), "a bc d");
    EXPECT_EQ(ExtractContext(state, kCodeAnsi, "x<NN> y", '<', '>'), "x y");
    EXPECT_EQ(DetectLineBreak("a\nb\r\nc", false), "\r\n");
    EXPECT_EQ(DetectLineBreak("a\rb", false), "\r");
    EXPECT_EQ(DetectLineBreak("a<BR>b", true), "<br>");
    EXPECT_EQ(DetectLineBreak("a<BR>b", false), "");
}

} // namespace
} // namespace lexmora
