#include "wordcount/count_request.h"

#include "wordcount/count_fixture.h"
#include "wordcount/count_sources.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(CountRequestPaths, NamesJoinTheFolderAndWholePathsStand) {
    CountRequest request;
    request.folder = "/texts/";
    request.files = {"a.txt", "/elsewhere/b.txt", "sub/c.txt"};
    EXPECT_EQ(request.paths(),
              (std::vector<std::string>{"/texts/a.txt", "/elsewhere/b.txt", "/texts/sub/c.txt"}));
    request.folder = "/texts"; // without a separator
    EXPECT_EQ(request.paths().front(), "/texts/a.txt");
}

struct TextsFolder {
    test::TempDir dir;
    std::string root;
    ProgramState state;
    SilentPrompter prompter;

    TextsFolder() {
        root = dir.makeFolder("texts");
        dir.makeFolder("texts/sub");
        dir.write("texts/b.txt", "x");
        dir.write("texts/a.txt", "x");
        dir.write("texts/c.doc", "x");
        dir.write("texts/sub/d.txt", "x");
        state.SourceDirectory = root + "/";
        state.SourceFileType = "*.txt";
        state.SourceFilesSaved = {"stale.txt"};
    }
};

// What the window takes from each kind of choice: the files as values, the name and how many
// the chooser named.
TEST(CountRequestFromTheWindow, EachChoiceGivesItsFiles) {
    TextsFolder c;
    c.state.SourceFiles = {"b.txt", "a.txt"};
    CountRequest chosen = CountRequestFor(c.state, "words", c.prompter);
    EXPECT_EQ(chosen.folder, c.root + "/");
    EXPECT_EQ(chosen.files, (std::vector<std::string>{"b.txt", "a.txt"}));
    EXPECT_EQ(chosen.listName, "words");
    EXPECT_EQ(chosen.filesNamed, 1);

    c.state.SourceFiles.clear();
    c.state.AllFilesInFolder = true;
    EXPECT_EQ(CountRequestFor(c.state, "w", c.prompter).paths(),
              (std::vector<std::string>{c.root + "/a.txt", c.root + "/b.txt"}));

    c.state.IncludeSubfolders = true;
    EXPECT_EQ(
        CountRequestFor(c.state, "w", c.prompter).paths(),
        (std::vector<std::string>{c.root + "/a.txt", c.root + "/b.txt", c.root + "/sub/d.txt"}));

    c.state.SourceIsFileList = true;
    c.state.StoredFileList = {"/x/one.txt", "/y/two.txt"};
    const CountRequest listed = CountRequestFor(c.state, "w", c.prompter);
    EXPECT_TRUE(listed.folder.empty());
    EXPECT_EQ(listed.paths(), c.state.StoredFileList);
    EXPECT_TRUE(c.prompter.shown.empty());
}

// The command line's folder (listed as `count --pattern` lists it) and the window's choice of
// the same folder give the same files, in the same order, whether the window's choice is the
// whole folder or every file in it chosen by name.
TEST(CountRequestFromTheWindow, TheSameFilesAsTheCommandLineGivesForTheFolder) {
    for (const bool tree : {false, true}) {
        SCOPED_TRACE(tree);
        TextsFolder c;
        const std::vector<std::string> fromOptions =
            ListCountSources(c.root, tree, c.prompter, "*.txt");
        c.state.AllFilesInFolder = !tree;
        c.state.IncludeSubfolders = tree;
        EXPECT_EQ(CountRequestFor(c.state, "w", c.prompter).paths(), fromOptions);
        if (tree)
            continue;
        c.state.AllFilesInFolder = false;
        c.state.SourceFiles = {"a.txt", "b.txt"};
        EXPECT_EQ(CountRequestFor(c.state, "w", c.prompter).paths(), fromOptions);
    }
}

// A count reads its request's files and the state's selection is not read: a selection that
// names other files counts nothing of them.
TEST(CountRequestRun, TheCountReadsTheRequestNotTheSelection) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    dir.write("source/a.txt", "one two two\r\n");
    dir.write("other/b.txt", "three\r\n");
    state.SourceDirectory = dir.path() + "/nowhere/";
    state.SourceFiles = {"a.txt"};
    CountRequest request;
    request.folder = dir.path() + "/source";
    request.files = {"a.txt", dir.path() + "/other/b.txt"};
    request.listName = "list";
    SilentPrompter prompter;
    const CountResult result = CountWords(state, request, prompter, {});
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(result.tokens, 4);
    EXPECT_EQ(result.types, 3);
    EXPECT_EQ(result.files, 2);
    EXPECT_EQ(state.SourceDirectory, dir.path() + "/nowhere/");
    EXPECT_EQ(state.SourceFiles, std::vector<std::string>{"a.txt"});
}

// The header counts the files the chooser named when they are more than those given.
TEST(CountRequestRun, TheHeaderCountsTheFilesNamed) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    dir.write("source/a.txt", "one\r\n");
    CountRequest request = test::countRequest(state, {"a.txt"}, "list");
    request.filesNamed = 3;
    SilentPrompter prompter;
    EXPECT_EQ(CountWords(state, request, prompter, {}).files, 3);
}

} // namespace
} // namespace lexmora
