#include "search/search_run.h"

#include "codes/code_tables.h"
#include "core/paths.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lexmora {
namespace {

struct Captions : SearchObserver {
    std::vector<std::string> captions;
    std::vector<std::string> lines;
    void onResultSetDeleted(std::string_view name) override {
        captions.push_back(ResultSetDeletedCaption(name));
    }
    void onHit(std::string_view line, std::string_view) override { lines.emplace_back(line); }
};

std::string pad(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// A hit record as the viewer reads it back: text field, name field, entry number, CR LF.
std::string record(int length, const std::string& line, const std::string& shortName,
                   const char* entry) {
    return pad(line, static_cast<std::size_t>(length - 21)) + " " + pad(shortName, 12) + " " +
           entry + "\r\n";
}

struct Fixture {
    test::TempDir dir;
    std::string source, target;
    ProgramState state;
    Captions observer;
    SilentPrompter prompter;
    SearchRun run;

    Fixture() {
        source = dir.makeFolder("src") + "/";
        target = dir.makeFolder("out");
        state.CodeRows = BuiltInCodeRows();
        state.CodeMode = kCodeAnsi;
        state.LeftContext = 10;
        state.RightContext = 10;
        state.SourceDirectory = source;
        state.SourceFileType = "*.*";
        state.TargetDirectory = target;
        state.InvalidFileNameChars = "\\/:*?\"<>|";
    }
    void keywords(std::vector<std::string> words) {
        state.Keywords = std::move(words);
        state.KeywordCase.assign(state.Keywords.size(), false);
    }
    void runSearch() { RunSearch(state, SearchRequestFor(state), run, observer, prompter); }
};

TEST(SearchRunSave, DumpLogAndSummaryHoldEveryHitByteForByte) {
    Fixture f;
    f.dir.write("src/a.txt", "my love is here\r\n");
    f.dir.write("src/b.txt", "no hits");
    f.dir.write("src/c.txt", "love, love");
    f.state.SourceFiles = {"a.txt", "b.txt", "c.txt"};
    f.state.SaveToFile = true;
    f.keywords({"love"});
    f.runSearch();

    ASSERT_EQ(f.run.keptDumpFiles.size(), 1u);
    const std::string dumpPath = f.run.keptDumpFiles[0];
    EXPECT_EQ(FileNameOf(dumpPath), "love_001.dmp");
    const std::string dump = test::readFile(dumpPath);
    // At least 80 bytes; wider when the header would not fit otherwise.
    const int r = f.run.RecordLength;
    ASSERT_GE(r, 80);
    ASSERT_EQ(dump.size(), 4u * static_cast<std::size_t>(r));
    EXPECT_EQ(dump.substr(static_cast<std::size_t>(r)),
              record(r, "1           my love is here  ", "A.TXT", "00001") +
                  record(r, "1              love, love    ", "C.TXT", "00002") +
                  record(r, "2        love, love          ", "C.TXT", "00002"));
    // The header record carries the entry number the run had when the set was opened.
    EXPECT_EQ(dump.substr(0, 32), "#32 Filename:     love_001.dmp  ");
    EXPECT_EQ(dump.substr(static_cast<std::size_t>(r) - 7, 7), "00000\r\n");

    const std::string log = test::readFile(f.target + "/love_001.log");
    ASSERT_EQ(log.size(), 3u * 298);
    EXPECT_EQ(log.substr(298, 25), "00001 file:A.TXT        |");
    EXPECT_EQ(log.substr(298 + 25, f.source.size() + 5), f.source + "a.txt");
    EXPECT_EQ(log.substr(596, 25), "00002 file:C.TXT        |");

    EXPECT_EQ(test::readFile(f.target + "/love_001.sum"),
              "3 occurrences of \xAB love  \xBB in " + f.source + ": 3 files: bytes 34\r\n" +
                  "3 total occurrences found of \xAB love \xBB in 3 files totalling 34 bytes\r\n");
    EXPECT_TRUE(f.state.ResultsWritten);
    EXPECT_EQ(f.state.LogEntryNumber, 2);
}

TEST(SearchRunSave, ControlCharactersInANameKeepEveryLogEntryOnOneLine) {
    Fixture f;
    f.dir.write("src/new\nline.txt", "love\r\n");
    f.dir.write("src/tab\tname.txt", "love\r\n");
    f.state.SourceFiles = {"new\nline.txt", "tab\tname.txt"};
    f.state.SaveToFile = true;
    f.keywords({"love"});
    f.runSearch();
    const std::string log = test::readFile(f.target + "/love_001.log");
    ASSERT_EQ(log.size(), 3u * 298);
    EXPECT_EQ(log.substr(298, 25), "00001 file:NEW?LINE.TXT |");
    EXPECT_EQ(log.substr(298 + 25, f.source.size() + 12), f.source + "new?line.txt");
    EXPECT_EQ(log.substr(596, 25), "00002 file:TAB?NAME.TXT |");
    const std::string dump = test::readFile(f.run.keptDumpFiles.at(0));
    EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 3);
}

TEST(SearchRunSave, KeywordWithoutHitsHasItsFilesDeleted) {
    Fixture f;
    f.dir.write("src/a.txt", "my love is here");
    f.state.SourceFiles = {"a.txt"};
    f.state.SaveToFile = true;
    f.keywords({"zebra"});
    f.runSearch();
    EXPECT_TRUE(f.run.keptDumpFiles.empty());
    EXPECT_EQ(test::readFile(f.target + "/zebra_001.dmp"), "<missing>");
    EXPECT_EQ(test::readFile(f.target + "/zebra_001.log"), "<missing>");
    EXPECT_EQ(test::readFile(f.target + "/zebra_001.sum"), "<missing>");
    EXPECT_FALSE(f.state.ResultsWritten);
    EXPECT_NE(std::find(f.observer.captions.begin(), f.observer.captions.end(),
                        "no results from search - file \xAB zebra_001.dmp \xBB deleted"),
              f.observer.captions.end());
}

TEST(SearchRunSave, SecondKeywordsSetContinuesTheEntryNumbers) {
    Fixture f;
    f.dir.write("src/a.txt", "love here");
    f.dir.write("src/b.txt", "hate love");
    f.state.SourceFiles = {"a.txt", "b.txt"};
    f.state.SaveToFile = true;
    f.keywords({"love", "hate"});
    f.runSearch();
    ASSERT_EQ(f.run.keptDumpFiles.size(), 2u);
    const std::string second = test::readFile(f.target + "/hate_001.dmp");
    const auto r = static_cast<std::size_t>(f.run.RecordLength);
    ASSERT_EQ(second.size(), 2 * r);
    EXPECT_EQ(second.substr(r - 7, 7), "00002\r\n"); // header: the run's number so far
    EXPECT_EQ(second.substr(2 * r - 7, 7), "00003\r\n");
    EXPECT_EQ(test::readFile(f.target + "/hate_001.log").substr(298, 5), "00003");
}

TEST(SearchRunSave, SingleFileHoldsEveryKeywordInOneSet) {
    Fixture f;
    f.dir.write("src/a.txt", "love and hate and love");
    f.state.SourceFiles = {"a.txt"};
    f.state.SaveToFile = true;
    f.state.SingleFile = true;
    f.keywords({"love", "hate", "zebra"});
    f.runSearch();
    ASSERT_EQ(f.run.keptDumpFiles.size(), 1u);
    EXPECT_EQ(FileNameOf(f.run.keptDumpFiles[0]), "love_001.dmp");
    EXPECT_EQ(test::readFile(f.run.keptDumpFiles[0]).size(),
              4u * static_cast<std::size_t>(f.run.RecordLength));
    const std::string sum = test::readFile(f.target + "/love_001.sum");
    EXPECT_NE(sum.find("2 total occurrences found of \xAB love \xBB"), std::string::npos);
    EXPECT_NE(sum.find("1 total occurrences found of \xAB hate \xBB"), std::string::npos);
    EXPECT_EQ(sum.find("zebra"), std::string::npos);
}

TEST(SearchRunTree, SubFoldersComeBeforeTheFoldersOwnFiles) {
    Fixture f;
    f.dir.write("src/z.txt", "love");
    f.dir.write("src/a/b.txt", "love");
    f.dir.write("src/a/c/d.txt", "love");
    f.state.IncludeSubfolders = true;
    f.state.SaveToFile = true;
    f.keywords({"love"});
    f.runSearch();
    const std::string log = test::readFile(f.target + "/love_001.log");
    ASSERT_EQ(log.size(), 4u * 298);
    EXPECT_EQ(log.substr(298, 16), "00001 file:D.TXT");
    EXPECT_EQ(log.substr(596, 16), "00002 file:B.TXT");
    EXPECT_EQ(log.substr(894, 16), "00003 file:Z.TXT");
    // One step line per folder with hits, then the keyword line.
    const std::string sum = test::readFile(f.target + "/love_001.sum");
    EXPECT_EQ(std::count(sum.begin(), sum.end(), '\n'), 4);
    EXPECT_TRUE(f.state.SourceFiles.empty());
    EXPECT_EQ(f.state.SourceDirectory, f.source);
}

TEST(SearchRunNoSave, NothingIsWrittenAndTheEstimateIsHitsTimesRecordLength) {
    Fixture f;
    f.dir.write("src/a.txt", "love love love");
    f.state.SourceFiles = {"a.txt"};
    f.keywords({"love", "zebra"});
    f.runSearch();
    EXPECT_EQ(f.observer.lines.size(), 3u);
    EXPECT_EQ(test::readFile(f.target + "/love_001.dmp"), "<missing>");
    const std::vector<std::string> expected = {
        " Estimated disk-space needed to save results: 240 bytes",
        " 3 examples found of \xAB love \xBB", " 0 examples found of \xAB zebra \xBB",
        " in 1 files totalling 14 bytes"};
    EXPECT_EQ(SearchSummaryLines(SearchRequestFor(f.state), f.run), expected);
}

// The user leaves at the first hit (in the first of three files): what was written is kept and
// closed, the later keyword writes nothing, and the run counts the one file it went through,
// both walking keyword by keyword and in one pass over the keyword list.
TEST(SearchRunAbandon, ConfirmedExitClosesAndKeepsWhatWasWritten) {
    for (const bool keywordByKeyword : {true, false}) {
        SCOPED_TRACE(keywordByKeyword);
        Fixture f;
        f.dir.write("src/a.txt", "love love");
        f.dir.write("src/b.txt", "love");
        f.dir.write("src/c.txt", "love");
        f.state.SourceFiles = {"a.txt", "b.txt", "c.txt"};
        f.state.SaveToFile = true;
        f.keywords({"love", "hate"});
        f.run.keywordByKeyword = keywordByKeyword;
        struct ExitAfterFirstHit : Captions {
            void onHit(std::string_view, std::string_view) override { leave = true; }
            void yield(ProgramState& state) override {
                if (leave)
                    state.ExitFlag = ExitRequest::UserConfirmedLeaving;
            }
            bool leave = false;
        } observer;
        RunSearch(f.state, SearchRequestFor(f.state), f.run, observer, f.prompter);
        EXPECT_TRUE(f.run.abandoned);
        EXPECT_EQ(f.run.FilesSearched, 1);
        ASSERT_EQ(f.run.keptDumpFiles.size(), 1u);
        const std::size_t records = test::readFile(f.run.keptDumpFiles[0]).size() /
                                    static_cast<std::size_t>(f.run.RecordLength);
        EXPECT_GE(records, 2u); // the header and at least the first hit, whole records
        EXPECT_EQ(test::readFile(f.target + "/hate_001.dmp"), "<missing>");
    }
}

TEST(SearchRunChecks, EachFailedCheckShowsItsMessage) {
    Fixture f;
    SilentPrompter p;
    EXPECT_EQ(CheckSourceFiles(SourcesChosenIn(f.state), 0, p).outcome, CheckOutcome::Abandoned);
    EXPECT_EQ(CheckKeywords(f.state, SearchChoicesIn(f.state), p).outcome, CheckOutcome::Abandoned);
    f.state.SaveToFile = true;
    f.state.TargetDirectory = "";
    EXPECT_EQ(CheckTargetFolder(SearchRequestFor(f.state), p).outcome, CheckOutcome::Abandoned);
    f.state.TargetDirectory = f.state.SourceDirectory;
    EXPECT_EQ(CheckTargetFolder(SearchRequestFor(f.state), p).outcome, CheckOutcome::Abandoned);
    f.state.IncludeSubfolders = true;
    f.state.TargetDirectory = f.source + "out";
    f.dir.makeFolder("src/out");
    EXPECT_EQ(CheckTargetFolder(SearchRequestFor(f.state), p).outcome, CheckOutcome::Abandoned);
    ASSERT_EQ(p.shown.size(), 5u);
    EXPECT_EQ(p.shown[0].text, " Please select source files.  ");
    EXPECT_EQ(p.shown[1].text, " Please enter keyword(s).   ");
    EXPECT_EQ(p.shown[2].text, "You have not selected a target folder");
    EXPECT_EQ(p.shown[3].title, "Warning");
    EXPECT_EQ(p.shown[4].text, "Your target folder lies in your search path!\r\n"
                               "You must save the results to a different folder or disk");
    // A sibling whose name only begins like the source is not in the search path.
    f.state.TargetDirectory = f.dir.makeFolder("src2");
    EXPECT_EQ(CheckTargetFolder(SearchRequestFor(f.state), p).outcome, CheckOutcome::Passed);
}

} // namespace
} // namespace lexmora
