#include "search/search_request.h"

#include "codes/code_tables.h"
#include "files/source_choice.h"
#include "search/search_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace lexmora
