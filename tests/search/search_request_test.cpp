#include "search/search_request.h"

#include "codes/code_tables.h"
#include "files/file_patterns.h"
#include "files/source_choice.h"
#include "search/search_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace lexmora {
namespace {

// --- the sources as the choosers leave them -------------------------------------------------

struct ChoiceCase {
    const char* name;
    bool tree, list;
    std::vector<std::string> selected, stored;
    SourceKind kind;
    std::string folder;
    std::vector<std::string> files;
};

TEST(SearchRequestSources, TakenFromTheChoiceInTheState) {
    const std::vector<ChoiceCase> cases = {
        {"chosen files",
         false,
         false,
         {"a.txt", "b.txt"},
         {},
         SourceKind::Files,
         "/src/",
         {"a.txt", "b.txt"}},
        {"a stored list",
         false,
         true,
         {"/x/a.txt"},
         {"/x/a.txt", "/y/b.txt"},
         SourceKind::List,
         "",
         {"/x/a.txt", "/y/b.txt"}},
        {"a list made in the chooser",
         false,
         true,
         {"/x/a.txt"},
         {},
         SourceKind::List,
         "",
         {"/x/a.txt"}},
        {"a tree", true, false, {"stale.txt"}, {}, SourceKind::Tree, "/src/", {}},
        {"a tree wins over a list", true, true, {}, {"/x/a.txt"}, SourceKind::Tree, "/src/", {}},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramState state;
        state.SourceDirectory = "/src/";
        state.SourceFileType = "*.txt";
        state.SourceFileCount = 7;
        state.IncludeSubfolders = c.tree;
        state.SourceIsFileList = c.list;
        state.SourceFiles = c.selected;
        state.StoredFileList = c.stored;
        const SearchSources sources = SourcesChosenIn(state);
        EXPECT_EQ(sources.kind, c.kind);
        EXPECT_EQ(sources.folder, c.folder);
        EXPECT_EQ(sources.files, c.files);
        EXPECT_EQ(sources.pattern, "*.txt");
        EXPECT_EQ(sources.countShown, 7);
    }
}

TEST(SearchRequestSources, DroppedOnTheWindowGiveTheKindTheyStandFor) {
    test::TempDir dir;
    const std::string folder = dir.makeFolder("f");
    dir.write("f/b.txt", "x");
    dir.write("f/a.txt", "x");
    const std::string other = dir.write("other.txt", "x");

    ProgramState state;
    state.SourceFileType = "*.txt";
    ASSERT_TRUE(files::TakeDroppedSources(state, {folder}));
    SearchSources sources = SourcesChosenIn(state);
    EXPECT_EQ(sources.kind, SourceKind::Files);
    EXPECT_EQ(sources.folder, folder);
    EXPECT_EQ(sources.files, (std::vector<std::string>{"a.txt", "b.txt"}));

    ASSERT_TRUE(files::TakeDroppedSources(state, {folder + "/a.txt", other}));
    sources = SourcesChosenIn(state);
    EXPECT_EQ(sources.kind, SourceKind::List);
    EXPECT_EQ(sources.files, (std::vector<std::string>{folder + "/a.txt", other}));

    state.IncludeSubfolders = true;
    ASSERT_TRUE(files::TakeDroppedSources(state, {folder}));
    sources = SourcesChosenIn(state);
    EXPECT_EQ(sources.kind, SourceKind::Tree);
    EXPECT_EQ(sources.folder, folder);
    EXPECT_EQ(sources.countShown, 2);
}

TEST(SearchRequestSources, StepPathsJoinTheFolderUnlessListed) {
    const std::string folder = "/src";
    const std::vector<std::string> names = {"a.txt"};
    EXPECT_EQ((StepSources{folder, names}.pathOf("a.txt")), "/src/a.txt");
    EXPECT_EQ((StepSources{folder, names, true}.pathOf("/x/a.txt")), "/x/a.txt");
}

TEST(SearchRequestSources, AWholeFolderStandsForItsFilesOfTheTypeNow) {
    test::TempDir dir;
    const std::string folder = dir.makeFolder("f") + "/";
    dir.write("f/b.txt", "x");
    dir.write("f/a.txt", "x");
    dir.write("f/c.doc", "x");
    ProgramState state;
    state.SourceDirectory = folder;
    state.SourceFileType = "*.txt";
    state.AllFilesInFolder = true;
    EXPECT_EQ(SourcesChosenIn(state).files, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(state.SourceFiles.empty()); // looked up for the request, not kept
    dir.write("f/d.txt", "x");
    EXPECT_EQ(SourcesChosenIn(state).files, (std::vector<std::string>{"a.txt", "b.txt", "d.txt"}));
    state.SourceDirectory = dir.path() + "/gone/";
    EXPECT_TRUE(SourcesChosenIn(state).files.empty());
}

// --- the source check reads the request -------------------------------------------------------

struct SourceCheckCase {
    const char* name;
    SourceKind kind;
    const char* folder; // under the test folder; nullptr: none
    std::vector<std::string> files;
    std::int64_t countShown;
    CheckOutcome outcome;
    const char* shown; // the message's first line, nullptr: none
};

TEST(SearchRequestChecks, TheSourceCheckAsksAboutWhatTheRequestLacks) {
    const std::vector<SourceCheckCase> cases = {
        {"chosen files", SourceKind::Files, "src", {"a.txt"}, 0, CheckOutcome::Passed, nullptr},
        {"nothing chosen",
         SourceKind::Files,
         "src",
         {},
         0,
         CheckOutcome::Abandoned,
         " Please select source files.  "},
        {"a whole folder that is gone",
         SourceKind::Files,
         "gone",
         {},
         0,
         CheckOutcome::Abandoned,
         " Please select source files.  "},
        {"files named in a folder that is gone",
         SourceKind::Files,
         "gone",
         {"a.txt"},
         0,
         CheckOutcome::Abandoned,
         "Cannot find folder:"},
        {"a tree with files counted",
         SourceKind::Tree,
         "src",
         {},
         3,
         CheckOutcome::Passed,
         nullptr},
        {"a tree with none counted",
         SourceKind::Tree,
         "src",
         {},
         0,
         CheckOutcome::Abandoned,
         " Please select source files.  "},
        {"a tree that is gone",
         SourceKind::Tree,
         "gone",
         {},
         3,
         CheckOutcome::Abandoned,
         "Cannot find folder:"},
        // A list's files are named one by one as the run meets them, and it has no folder.
        {"a list of missing files",
         SourceKind::List,
         nullptr,
         {"/nowhere/a.txt"},
         1,
         CheckOutcome::Passed,
         nullptr},
        {"an empty list", SourceKind::List, nullptr, {}, 0, CheckOutcome::Passed, nullptr},
    };
    test::TempDir dir;
    dir.makeFolder("src");
    for (const SourceCheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        SearchSources sources;
        sources.kind = c.kind;
        sources.folder = c.folder ? dir.path() + "/" + c.folder + "/" : "";
        sources.files = c.files;
        sources.countShown = c.countShown;
        SilentPrompter prompter;
        EXPECT_EQ(CheckSourceFiles(sources, 0, prompter).outcome, c.outcome);
        if (c.shown == nullptr) {
            EXPECT_TRUE(prompter.shown.empty());
            continue;
        }
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text.substr(0, std::string(c.shown).size()), c.shown);
    }
}

TEST(SearchRequestChecks, OkToTheQuestionOpensTheSourceChooserAgain) {
    SearchSources nothing;
    ScriptedPrompter prompter({Answer::Ok});
    const CheckResult result = CheckSourceFiles(nothing, 0, prompter);
    EXPECT_EQ(result.outcome, CheckOutcome::Repeat);
    EXPECT_EQ(result.chooser, Chooser::Source);
}

// --- a run reads its request, never the selection --------------------------------------------

struct Lines : SearchObserver {
    std::vector<std::string> lines, folders;
    void onHit(std::string_view line, std::string_view) override { lines.emplace_back(line); }
    void onFolder(std::string_view folder) override { folders.emplace_back(folder); }
};

struct RunFixture {
    test::TempDir dir;
    ProgramState state;
    Lines observer;
    SilentPrompter prompter;
    SearchRun run;

    RunFixture() {
        dir.makeFolder("src");
        dir.makeFolder("src/sub");
        dir.write("src/a.txt", "one love here");
        dir.write("src/b.txt", "two love there");
        dir.write("src/sub/c.txt", "three love below");
        state.CodeRows = BuiltInCodeRows();
        state.CodeMode = kCodeAnsi;
        state.LeftContext = 20;
        state.RightContext = 20;
        state.Keywords = {"love"};
        state.KeywordCase = {false};
        // The selection the user sees: the run is to leave it as it is.
        state.SourceDirectory = dir.path() + "/elsewhere/";
        state.SourceFiles = {"kept.txt"};
        state.SourceFileType = "*.doc";
    }
    void search(const SearchSources& sources) {
        RunSearch(state, SearchRequestFor(state, sources), run, observer, prompter);
    }
    void expectSelectionUntouched() const {
        EXPECT_EQ(state.SourceDirectory, dir.path() + "/elsewhere/");
        EXPECT_EQ(state.SourceFiles, std::vector<std::string>{"kept.txt"});
        EXPECT_EQ(state.SourceFileType, "*.doc");
    }
};

TEST(SearchRequestRun, ChosenFilesAreReadFromTheRequest) {
    RunFixture f;
    SearchSources sources;
    sources.folder = f.dir.path() + "/src";
    sources.files = {"b.txt"};
    f.search(sources);
    ASSERT_EQ(f.observer.lines.size(), 1u);
    EXPECT_NE(f.observer.lines[0].find("two love there"), std::string::npos);
    EXPECT_EQ(f.run.FilesSearched, 1);
    f.expectSelectionUntouched();
}

TEST(SearchRequestRun, AListNamesWholePathsAndNoFolder) {
    RunFixture f;
    SearchSources sources;
    sources.kind = SourceKind::List;
    sources.files = {f.dir.path() + "/src/sub/c.txt", f.dir.path() + "/src/a.txt"};
    f.search(sources);
    ASSERT_EQ(f.observer.lines.size(), 2u);
    EXPECT_NE(f.observer.lines[0].find("three love below"), std::string::npos);
    EXPECT_NE(f.observer.lines[1].find("one love here"), std::string::npos);
    EXPECT_TRUE(f.observer.folders.empty());
    f.expectSelectionUntouched();
}

TEST(SearchRequestRun, ATreeIsListedWithTheRequestsPatternSubFoldersFirst) {
    RunFixture f;
    f.dir.write("src/skipped.doc", "love love");
    SearchSources sources;
    sources.kind = SourceKind::Tree;
    sources.folder = f.dir.path() + "/src/";
    sources.pattern = "*.txt";
    f.search(sources);
    ASSERT_EQ(f.observer.lines.size(), 3u);
    EXPECT_NE(f.observer.lines[0].find("three love below"), std::string::npos);
    EXPECT_NE(f.observer.lines[1].find("one love here"), std::string::npos);
    EXPECT_NE(f.observer.lines[2].find("two love there"), std::string::npos);
    EXPECT_EQ(f.observer.folders.size(), 2u);
    EXPECT_EQ(f.run.FilesSearched, 3);
    f.expectSelectionUntouched();
}

// --- the run's other choices ------------------------------------------------------------------

struct ChoicesCase {
    const char* name;
    std::function<void(ProgramState&)> choose;
    std::function<void(SearchRequest&)> expect; // from the request of a fresh state
};

TEST(SearchRequestChoices, TakenFromTheStateOnce) {
    const std::vector<ChoicesCase> cases = {
        {"nothing chosen", [](ProgramState&) {}, [](SearchRequest&) {}},
        {"keywords with case marks",
         [](ProgramState& s) {
             s.Keywords = {"love", "Rome"};
             s.KeywordCase = {false, true};
         },
         [](SearchRequest& r) {
             r.keywords.texts = {"love", "Rome"};
             r.keywords.caseSensitive = {false, true};
         }},
        {"an expression among plain keywords",
         [](ProgramState& s) {
             s.Keywords = {"love", "lov(e|ing)"};
             s.KeywordRegex = {false, true};
         },
         [](SearchRequest& r) {
             r.keywords.texts = {"love", "lov(e|ing)"};
             r.keywords.regex = {false, true};
         }},
        {"exclude strings, one case-sensitive",
         [](ProgramState& s) {
             s.Keywords = {"love"};
             s.ExcludeStrings = {{"lovely", "Love Parade"}};
             s.ExcludeCase = {{false, true}};
         },
         [](SearchRequest& r) {
             r.keywords.texts = {"love"};
             r.keywords.excludes = {{"lovely", "Love Parade"}};
             r.keywords.excludeCase = {{false, true}};
         }},
        {"a tag after the keyword",
         [](ProgramState& s) {
             s.Keywords = {"love"};
             s.ExcludeStrings = {{"<N*>"}};
             s.TaggedSearch = true;
             s.TagBefore = false;
         },
         [](SearchRequest& r) {
             r.keywords.texts = {"love"};
             r.keywords.excludes = {{"<N*>"}};
             r.keywords.tagged = true;
             r.keywords.tagBefore = false;
         }},
        {"square brackets and the wildcard @",
         [](ProgramState& s) {
             s.OpenBracket = "[";
             s.CloseBracket = "]";
             s.SingleWildcard = "@";
         },
         [](SearchRequest& r) {
             r.keywords.openBracket = '[';
             r.keywords.closeBracket = ']';
             r.keywords.singleWildcard = '@';
         }},
        {"narrow contexts", [](ProgramState& s) { s.LeftContext = 30, s.RightContext = 45; },
         [](SearchRequest& r) {
             r.widths = {30, 45};
         }},
        {"a code file, results in ASCII",
         [](ProgramState& s) { s.CodeMode = 3, s.ResultCode = kCodeAscii; },
         [](SearchRequest& r) {
             r.code = {3, kCodeAscii};
         }},
        {"automatic code", [](ProgramState& s) { s.CodeMode = kCodeAutomatic; },
         [](SearchRequest& r) { r.code.mode = kCodeAutomatic; }},
        {"English", [](ProgramState& s) { s.LanguageIndex = 0, s.LanguageName = "English"; },
         [](SearchRequest& r) { r.languageIndex = 0; }},
        {"saved to one file set, no disk warning",
         [](ProgramState& s) {
             s.SaveToFile = true;
             s.SingleFile = true;
             s.TargetDirectory = "/out/";
             s.WarnLowDisk = false;
         },
         [](SearchRequest& r) {
             r.save = {true, true, "/out/", false};
         }},
        {"a target folder kept without saving",
         [](ProgramState& s) { s.TargetDirectory = "/out/"; },
         [](SearchRequest& r) { r.save.targetDirectory = "/out/"; }},
    };
    for (const ChoicesCase& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramState state;
        state.SourceDirectory = "/src/";
        state.SourceFiles = {"a.txt"};
        SearchRequest expected;
        expected.sources = SourcesChosenIn(state);
        expected.widths = {state.LeftContext, state.RightContext};
        expected.code = {state.CodeMode, state.ResultCode};
        expected.languageIndex = state.LanguageIndex;
        c.choose(state);
        c.expect(expected);
        const SearchRequest request = SearchRequestFor(state);
        EXPECT_EQ(request.sources, expected.sources);
        EXPECT_EQ(request.keywords, expected.keywords);
        EXPECT_EQ(request.widths, expected.widths);
        EXPECT_EQ(request.code, expected.code);
        EXPECT_EQ(request.languageIndex, expected.languageIndex);
        EXPECT_EQ(request.save, expected.save);
        // The same choices over sources taken earlier, and without sources.
        const SearchRequest over = SearchRequestFor(state, SearchSources{});
        EXPECT_EQ(over.sources, SearchSources{});
        EXPECT_EQ(over.keywords, expected.keywords);
        EXPECT_EQ(over.save, expected.save);
        EXPECT_EQ(SearchChoicesIn(state).keywords, expected.keywords);
    }
}

TEST(SearchRequestChoices, MissingEntriesAreFalse) {
    SearchKeywords keywords;
    keywords.texts = {"a", "b", "c"};
    keywords.caseSensitive = {true};
    keywords.regex = {false, true};
    keywords.excludes = {{"x", "y"}};
    keywords.excludeCase = {{false, true}};
    EXPECT_TRUE(keywords.isCaseSensitive(0));
    EXPECT_FALSE(keywords.isCaseSensitive(1));
    EXPECT_FALSE(keywords.isRegex(0));
    EXPECT_TRUE(keywords.isRegex(1));
    EXPECT_FALSE(keywords.isRegex(2));
    EXPECT_FALSE(keywords.excludeIsCaseSensitive(0, 0));
    EXPECT_TRUE(keywords.excludeIsCaseSensitive(0, 1));
    EXPECT_FALSE(keywords.excludeIsCaseSensitive(0, 2));
    EXPECT_FALSE(keywords.excludeIsCaseSensitive(1, 0));
}

// What a user may change in the windows while the run is under way: every choice the request
// carries, set otherwise in the state.
void changeEveryChoice(ProgramState& state, const std::string& otherTarget) {
    state.Keywords = {"two", "one"};
    state.KeywordCase = {true, true};
    state.KeywordRegex = {true, false};
    state.ExcludeStrings = {{"two love"}, {""}};
    state.ExcludeCase = {{false}, {false}};
    state.TaggedSearch = true;
    state.TagBefore = false;
    state.OpenBracket = "[";
    state.SingleWildcard = "@";
    state.LeftContext = 40;
    state.RightContext = 3;
    state.CodeMode = kCodeAscii;
    state.ResultCode = kCodeAscii;
    state.LanguageIndex = 2;
    state.SaveToFile = true;
    state.SingleFile = true;
    state.TargetDirectory = otherTarget;
}

TEST(SearchRequestRun, AStateChangedAfterTheRequestIsNotRead) {
    RunFixture f;
    f.state.LeftContext = 6;
    f.state.RightContext = 6;
    SearchSources sources;
    sources.folder = f.dir.path() + "/src/";
    sources.files = {"b.txt"};
    const SearchRequest request = SearchRequestFor(f.state, sources);
    const std::string otherTarget = f.dir.makeFolder("other");
    changeEveryChoice(f.state, otherTarget);

    RunSearch(f.state, request, f.run, f.observer, f.prompter);
    // "love" with six characters either side, the exclude and the tag of the state unread.
    EXPECT_EQ(f.observer.lines, std::vector<std::string>{"1      two love there"});
    EXPECT_TRUE(f.run.keptDumpFiles.empty());
    EXPECT_TRUE(f.run.deletedDumpFiles.empty());
    EXPECT_TRUE(files::ListMatchingFiles(otherTarget, "*.*").empty());
    const std::vector<std::string> summary = {
        " Estimated disk-space needed to save results: " + std::to_string(f.run.EstimatedBytes) +
            " bytes",
        " 1 examples found of \xAB love \xBB", " in 1 files totalling 14 bytes"};
    EXPECT_EQ(SearchSummaryLines(request, f.run), summary);
}

TEST(SearchRequestRun, ResultsGoWhereTheRequestSaysWithItsWidths) {
    RunFixture f;
    const std::string target = f.dir.makeFolder("target");
    f.state.SaveToFile = true;
    f.state.TargetDirectory = target;
    f.state.LeftContext = 6;
    f.state.RightContext = 6;
    SearchSources sources;
    sources.folder = f.dir.path() + "/src/";
    sources.files = {"a.txt", "b.txt"};
    const SearchRequest request = SearchRequestFor(f.state, sources);
    const std::string otherTarget = f.dir.makeFolder("other");
    changeEveryChoice(f.state, otherTarget);
    f.state.SaveToFile = false;

    RunSearch(f.state, request, f.run, f.observer, f.prompter);
    ASSERT_EQ(f.run.keptDumpFiles, std::vector<std::string>{target + "/love_001.dmp"});
    EXPECT_EQ(f.state.TargetPath, target + "/"); // the run's bookkeeping still goes to the state
    EXPECT_TRUE(files::ListMatchingFiles(otherTarget, "*.*").empty());
    const std::vector<std::string> lines = {"1      one love here ", "1      two love there"};
    EXPECT_EQ(f.observer.lines, lines);
    // Saved in ANSI as the request asks, each hit after the header in a record of its own.
    const std::string dump = test::readFile(f.run.keptDumpFiles[0]);
    ASSERT_EQ(dump.size() % static_cast<std::size_t>(f.run.RecordLength), 0u);
    EXPECT_EQ(dump.size() / static_cast<std::size_t>(f.run.RecordLength), 3u);
    EXPECT_NE(dump.find(lines[0]), std::string::npos);
    EXPECT_NE(dump.find(lines[1]), std::string::npos);
}

// --- the target check reads the request -------------------------------------------------------

struct TargetCase {
    const char* name;
    SourceKind kind;
    const char* target; // under the temporary folder; null: none chosen
    bool save;
    CheckOutcome outcome;
    const char* shown; // the start of the message shown, null: none
};

TEST(SearchRequestChecks, TheTargetIsCheckedAgainstTheRequestsSources) {
    const std::vector<TargetCase> cases = {
        {"not saving", SourceKind::Files, nullptr, false, CheckOutcome::Passed, nullptr},
        {"no target", SourceKind::Files, nullptr, true, CheckOutcome::Abandoned,
         "You have not selected a target folder"},
        {"the source folder", SourceKind::Files, "src", true, CheckOutcome::Abandoned,
         "Your target folder is the same as your source folder!"},
        {"below the chosen files' folder", SourceKind::Files, "src/out", true, CheckOutcome::Passed,
         nullptr},
        {"below the tree", SourceKind::Tree, "src/out", true, CheckOutcome::Abandoned,
         "Your target folder lies in your search path!"},
        // A list's files stand in folders of their own: no folder of the list to be in.
        {"a list's files", SourceKind::List, "src", true, CheckOutcome::Passed, nullptr},
        {"elsewhere", SourceKind::Tree, "out", true, CheckOutcome::Passed, nullptr},
    };
    test::TempDir dir;
    dir.makeFolder("src");
    dir.makeFolder("src/out");
    dir.makeFolder("out");
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.name);
        SearchRequest request;
        request.sources.kind = c.kind;
        if (c.kind != SourceKind::List)
            request.sources.folder = dir.path() + "/src/";
        else
            request.sources.files = {dir.path() + "/src/a.txt"};
        request.save.toFile = c.save;
        request.save.targetDirectory = c.target ? dir.path() + "/" + c.target : "";
        SilentPrompter prompter;
        EXPECT_EQ(CheckTargetFolder(request, prompter).outcome, c.outcome);
        if (c.shown == nullptr) {
            EXPECT_TRUE(prompter.shown.empty());
            continue;
        }
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text.substr(0, std::string(c.shown).size()), c.shown);
    }
}

} // namespace
} // namespace lexmora
