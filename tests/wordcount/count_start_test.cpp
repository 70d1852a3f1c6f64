// The count window's start checks, in order, with the step each answer leads to; and the
// selection expanded into the files the count reads.
#include "wordcount/count_start.h"

#include "count_fixture.h"
#include "support/test_support.h"
#include "wordcount/count_selection.h"

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace lexmora {
namespace {

struct StartCase {
    const char* what;
    std::function<void(ProgramState&, const test::TempDir&)> setUp;
    std::string name;
    Answer answer;
    std::string title; // of the one message shown; empty: none
    CountStartStep step;
    bool leaving = false;
};

TEST(CountStart, EachCheckAsksAndLeadsToItsStep) {
    auto chosenFiles = [](ProgramState& s, const test::TempDir&) { s.SourceFiles = {"a.txt"}; };
    auto sameFolder = [](ProgramState& s, const test::TempDir& dir) {
        s.SourceFiles = {"a.txt"};
        // The same folder reached through a link and a trailing separator.
        ::symlink((dir.path() + "/out").c_str(), (dir.path() + "/link").c_str());
        s.SourceDirectory = dir.path() + "/link/";
    };
    auto readOnly = [](ProgramState& s, const test::TempDir&) {
        s.SourceFiles = {"a.txt"};
        s.FrequencyFilesDirectory = "/proc";
    };
    auto missing = [](ProgramState& s, const test::TempDir& dir) {
        s.SourceFiles = {"a.txt"};
        s.FrequencyFilesDirectory = dir.path() + "/gone";
    };
    auto nothing = [](ProgramState&, const test::TempDir&) {};
    const std::vector<StartCase> cases = {
        {"no name, OK", chosenFiles, "  ", Answer::Ok, "File name needed",
         CountStartStep::FocusName},
        {"no name, Cancel", chosenFiles, "", Answer::Cancel, "File name needed",
         CountStartStep::Leave, true},
        {"source folder, OK", sameFolder, "out", Answer::Ok, " Paths incompatible!",
         CountStartStep::ChooseOutputFolder},
        {"source folder, Cancel", sameFolder, "out", Answer::Cancel, " Paths incompatible!",
         CountStartStep::Stop},
        {"read-only, OK", readOnly, "out", Answer::Ok, " Read-Only Folder",
         CountStartStep::ChooseOutputFolder},
        {"missing folder, Retry", missing, "out", Answer::Retry, "Folder error",
         CountStartStep::Repeat},
        {"missing folder, Cancel", missing, "out", Answer::Cancel, "Folder error",
         CountStartStep::Stop},
        {"no selection, OK", nothing, "out", Answer::Ok, "", CountStartStep::ChooseFiles},
        {"no selection, Cancel", nothing, "out", Answer::Cancel, "", CountStartStep::Stop},
        {"all well", chosenFiles, "out", Answer::Ok, "-", CountStartStep::Start},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, LanguageId::English);
        c.setUp(state, dir);
        ScriptedPrompter prompter({c.answer});
        EXPECT_EQ(CheckCountStart(state, c.name, "", prompter), c.step);
        if (c.title == "-") {
            EXPECT_TRUE(prompter.shown.empty());
        } else {
            ASSERT_EQ(prompter.shown.size(), 1u);
            EXPECT_EQ(prompter.shown[0].title, c.title);
        }
        EXPECT_EQ(state.ExitFlag == ExitRequest::UserPressedExit, c.leaving);
    }
}

TEST(CountStart, SelectionKinds) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    EXPECT_FALSE(HasCountSelection(state));
    state.AllFilesInFolder = true;
    EXPECT_TRUE(HasCountSelection(state));
    state.SourceIsFileList = true; // a stored list counts only with files in it
    EXPECT_FALSE(HasCountSelection(state));
    state.StoredFileList = {"/x/a.txt"};
    EXPECT_TRUE(HasCountSelection(state));
}

TEST(CountSelection, FoldersTreesListsAndChosenFiles) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    const std::string src = state.SourceDirectory;
    dir.write("source/b.txt", "b");
    dir.write("source/a.txt", "a");
    dir.write("source/c.doc", "c");
    dir.write("source/sub/d.txt", "d");
    dir.makeFolder("source/sublocked");
    const std::string root = src.back() == '/' ? src.substr(0, src.size() - 1) : src;
    test::LockedCalls locked;

    SilentPrompter prompter;
    state.AllFilesInFolder = true;
    state.SourceFileType = "*.txt";
    EXPECT_EQ(ExpandCountSelection(state, prompter),
              (std::vector<std::string>{root + "/a.txt", root + "/b.txt"}));

    state.IncludeSubfolders = true;
    const auto tree = ExpandCountSelection(state, prompter);
    EXPECT_EQ(tree,
              (std::vector<std::string>{root + "/a.txt", root + "/b.txt", root + "/sub/d.txt"}));
    // The folder that cannot be listed is named, not silently left out.
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].title, " Folder error");
    EXPECT_NE(prompter.shown[0].text.find("sublocked"), std::string::npos);

    state.IncludeSubfolders = false;
    state.SourceFiles = {"c.doc"};
    EXPECT_EQ(ExpandCountSelection(state, prompter), std::vector<std::string>{root + "/c.doc"});
    state.SourceIsFileList = true;
    state.StoredFileList = {"/elsewhere/z.txt", "/elsewhere/y.txt"};
    EXPECT_EQ(ExpandCountSelection(state, prompter), state.StoredFileList);
}

} // namespace
} // namespace lexmora
