// The main window's hand-over to and from the source chooser, and the panel text it leaves.
#include "files/source_choice.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora::files {
namespace {

TEST(SourceChoice, HandOverAndPanelText) {
    test::TempDir dir;
    dir.write("corpus/a.txt", "x");
    dir.write("corpus/b.txt", "x");
    dir.write("corpus/c.htm", "x");
    const std::string corpus = dir.path() + "/corpus";

    ProgramState state;
    state.SourceDirectory = dir.path();
    state.SourceFiles = {"old.txt"};
    PrepareSourceChooser(state);
    EXPECT_EQ(state.SourceFilesSaved, std::vector<std::string>{"old.txt"});
    EXPECT_EQ(state.DialogFolder, dir.path());
    EXPECT_EQ(state.DialogPattern, "*.*");
    EXPECT_STREQ(SourceChooserCaption(state), "Select files to search");

    // Two files chosen in another folder.
    state.DialogFolder = corpus;
    state.DialogPattern = "*.txt";
    state.SourceFilesSaved = {"a.txt", "b.txt"};
    EXPECT_EQ(TakeSourceChoice(state), "2 file(s) selected");
    EXPECT_EQ(state.SourceDirectory, corpus);
    EXPECT_EQ(state.SourceFiles.size(), 2u);
    EXPECT_FALSE(state.AllFilesInFolder);

    // Nothing chosen: the whole folder, counted for the type shown.
    PrepareSourceChooser(state);
    EXPECT_EQ(state.DialogPattern, "*.txt");
    state.SourceFilesSaved.clear();
    state.SourceFileCount = 0;
    EXPECT_EQ(TakeSourceChoice(state), "file type = ' *.txt ' : 2 file(s) selected");
    EXPECT_TRUE(state.AllFilesInFolder);

    // The folder tree.
    state.IncludeSubfolders = true;
    state.SourceFileCount = 3;
    state.DialogPattern = "*.*";
    EXPECT_EQ(TakeSourceChoice(state),
              "file type = ' *.* ' : 3 file(s) selected : all (sub)folders ");
    EXPECT_FALSE(state.AllFilesInFolder);

    // A stored file list becomes the selection, with full paths.
    state.IncludeSubfolders = false;
    state.SourceIsFileList = true;
    state.StoredFileList = {corpus + "/a.txt", corpus + "/c.htm", "/elsewhere/d.txt"};
    EXPECT_EQ(TakeSourceChoice(state), "3 file(s) selected");
    EXPECT_EQ(state.SourceFiles, state.StoredFileList);
    state.MakingFileList = true;
    EXPECT_STREQ(SourceChooserCaption(state), "Select files to include in list");
}

// Dropped files and folders: one folder as the chooser takes it (tree or files of the type),
// files of one folder as its chosen files, anything wider as a list of full paths.
TEST(SourceChoice, DroppedFilesAndFoldersBecomeTheSources) {
    test::TempDir dir;
    dir.write("corpus/a.txt", "x");
    dir.write("corpus/b.txt", "x");
    dir.write("corpus/c.htm", "x");
    dir.write("corpus/sub/d.txt", "x");
    dir.write("other/e.txt", "x");
    const std::string corpus = dir.path() + "/corpus";
    const std::string other = dir.path() + "/other";

    ProgramState state;
    state.SourceFileType = "*.txt";
    EXPECT_EQ(TakeDroppedSources(state, {corpus}), "2 file(s) selected");
    EXPECT_EQ(state.SourceDirectory, corpus);
    EXPECT_EQ(state.SourceFiles, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(state.SourceIsFileList);

    state.IncludeSubfolders = true;
    EXPECT_EQ(TakeDroppedSources(state, {corpus}),
              "file type = ' *.txt ' : 3 file(s) selected : all (sub)folders ");
    EXPECT_TRUE(state.SourceFiles.empty());
    EXPECT_EQ(state.SourceFileCount, 3);

    EXPECT_EQ(TakeDroppedSources(state, {corpus + "/c.htm", corpus + "/a.txt"}),
              "2 file(s) selected");
    EXPECT_EQ(state.SourceFiles, (std::vector<std::string>{"c.htm", "a.txt"}));
    EXPECT_FALSE(state.IncludeSubfolders);

    state.FileListName = "old.flist";
    EXPECT_EQ(TakeDroppedSources(state, {other, corpus + "/b.txt"}), "2 file(s) selected");
    EXPECT_TRUE(state.SourceIsFileList);
    EXPECT_EQ(state.StoredFileList,
              (std::vector<std::string>{other + "/e.txt", corpus + "/b.txt"}));
    EXPECT_EQ(state.SourceFiles, state.StoredFileList);
    EXPECT_TRUE(state.FileListName.empty());

    const ProgramState before = state;
    EXPECT_FALSE(TakeDroppedSources(state, {}));
    EXPECT_EQ(before.SourceDirectory, state.SourceDirectory);
}

} // namespace
} // namespace lexmora::files
