#include "files/file_chooser.h"

#include "files/scripted_dialogs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

struct Chooser {
    test::TempDir dir;
    std::string texts = dir.makeFolder("texts");
    std::string lists = dir.makeFolder("lists");
    ProgramState state;
    test::ScriptedDialogs dialogs;
    ScriptedPrompter prompter{{}};

    Chooser() {
        dir.write("texts/a.txt", "a");
        dir.write("texts/b.txt", "b");
        dir.write("texts/c.doc", "c");
        dir.write("texts/deep/d.txt", "d");
        state.SourceDirectory = texts;
        state.FileListDirectory = lists;
        state.DialogFolder = texts;
        state.DialogPattern = "*.*";
        state.InvalidFileNameChars = "\\?<>:*/|\"";
    }
    void answers(std::vector<Answer> a) { prompter = ScriptedPrompter(std::move(a)); }
    std::size_t indexOf(FileChooser& chooser, const std::string& name) {
        const auto& files = chooser.files();
        return static_cast<std::size_t>(std::find(files.begin(), files.end(), name) -
                                        files.begin());
    }
};

TEST(FileChooser, RolesFromCaptions) {
    EXPECT_EQ(RoleOfCaption("Select files to search"), ChooserRole::SearchFiles);
    EXPECT_EQ(RoleOfCaption("Select files to include in list"), ChooserRole::IncludeInList);
    EXPECT_EQ(RoleOfCaption("Select file containing list of files to import"),
              ChooserRole::ImportList);
    EXPECT_EQ(RoleOfCaption("Select files containing keywords to search for"),
              ChooserRole::KeywordFiles);
    EXPECT_EQ(RoleOfCaption(" Searching for Code Files "), ChooserRole::CodeFiles);
    EXPECT_EQ(RoleOfCaption("File Manager"), ChooserRole::FileManager);
    EXPECT_EQ(RoleOfCaption("Select Files for Wordcount"), ChooserRole::WordCount);
    EXPECT_EQ(RoleOfCaption("Searching for Code Files"), ChooserRole::Other);
}

TEST(FileChooser, ChosenNamesAreHandedOver) {
    Chooser c;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kSearchFilesCaption);
    EXPECT_EQ(chooser.files(), (std::vector<std::string>{"a.txt", "b.txt", "c.doc"}));
    EXPECT_EQ(chooser.countLabel(), "0 file(s) selected");
    EXPECT_FALSE(chooser.listButtonEnabled()); // outside list building
    EXPECT_FALSE(chooser.listOptionsVisible());
    chooser.clickFile(2, true);
    chooser.clickFile(0, true);
    EXPECT_EQ(chooser.countLabel(), "2 file(s) selected");
    chooser.changeFileType("*.txt"); // the choice of names still listed survives
    EXPECT_EQ(chooser.chosenNames(), std::vector<std::string>{"a.txt"});
    chooser.clickFile(1, true);
    ASSERT_TRUE(chooser.ok());
    EXPECT_TRUE(chooser.resultOk());
    EXPECT_EQ(c.state.SourceFilesSaved, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(c.state.SourceFileCount, 2);
    EXPECT_EQ(c.state.DialogFolder, c.texts);
    EXPECT_EQ(c.state.DialogPattern, "*.txt");
    EXPECT_FALSE(c.state.IncludeSubfolders);
}

TEST(FileChooser, ReopeningPreselectsTheSavedNames) {
    Chooser c;
    c.state.SourceFilesSaved = {"b.txt", "gone.txt"};
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kSearchFilesCaption);
    EXPECT_EQ(chooser.chosenNames(), std::vector<std::string>{"b.txt"});
    // In another folder than the source folder nothing is preselected.
    c.state.DialogFolder = c.lists;
    chooser.open(kSearchFilesCaption);
    EXPECT_EQ(chooser.chosenCount(), 0u);
}

TEST(FileChooser, WholeTreeIsCounted) {
    Chooser c;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kSearchFilesCaption);
    chooser.changeFileType("*.txt");
    chooser.tickAllFolders(true);
    EXPECT_TRUE(c.state.IncludeSubfolders);
    EXPECT_FALSE(chooser.fileManagerButtons().copy);
    EXPECT_EQ(chooser.countLabel(), "3 file(s) selected");
    ASSERT_TRUE(chooser.ok());
    EXPECT_EQ(c.state.SourceFileCount, 3);
    EXPECT_TRUE(c.state.SourceFilesSaved.empty());
    // Opened again on the source folder, the box is ticked again.
    FileChooser again(c.state, c.prompter, c.dialogs);
    again.open(kSearchFilesCaption);
    EXPECT_TRUE(again.allFoldersTicked());
}

TEST(FileChooser, RolesThatNeedAChoice) {
    Chooser c;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kKeywordFilesCaption);
    EXPECT_FALSE(chooser.ok()); // the window stays for a choice
    ASSERT_EQ(c.prompter.shown.size(), 1u);
    EXPECT_EQ(c.prompter.shown[0].text, "You haven't selected any files!");
    EXPECT_EQ(c.prompter.shown[0].title, " Warning");
    // Searching a folder without single files is a choice of its own.
    chooser.open(kSearchFilesCaption);
    EXPECT_TRUE(chooser.ok());
    EXPECT_EQ(c.state.SourceFileCount, 0);
}

TEST(FileChooser, FileManagerOkOnlyCloses) {
    Chooser c;
    c.state.SourceFilesSaved = {"x"};
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kFileManagerCaption);
    chooser.clickFile(0, true);
    EXPECT_TRUE(chooser.ok());
    EXPECT_FALSE(chooser.resultOk());
    EXPECT_EQ(c.state.SourceFilesSaved, std::vector<std::string>{"x"});
}

TEST(FileChooser, BuildSaveAndImportAList) {
    Chooser c;
    c.state.MakingFileList = true;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kIncludeInListCaption);
    EXPECT_TRUE(chooser.listButtonEnabled());
    EXPECT_STREQ(chooser.listButtonCaption(), "&Make File List");
    chooser.makeFileList();
    EXPECT_EQ(c.prompter.shown.back().text, "You must first select some files");
    EXPECT_EQ(c.prompter.shown.back().title, "No files selected!");
    chooser.clickFile(0, true);
    chooser.clickFile(1, true);
    chooser.makeFileList();
    chooser.makeFileList(); // the same files twice: one entry each
    chooser.changeFolder(c.texts + "/deep");
    chooser.clickFile(0, true);
    chooser.makeFileList();
    EXPECT_TRUE(c.state.SourceIsFileList);
    EXPECT_STREQ(chooser.listButtonCaption(), "&Update List");
    EXPECT_EQ(chooser.countLabel(), "3 file(s) selected");
    EXPECT_TRUE(chooser.saveListEnabled());

    c.answers({Answer::Yes});
    c.dialogs.entries.push_back({true, "corpus"});
    ASSERT_TRUE(chooser.saveList());
    EXPECT_EQ(c.state.FileListName, c.lists + "/corpus.flist");
    EXPECT_EQ(c.dir.read("lists/corpus.flist"),
              c.texts + "/a.txt\r\n" + c.texts + "/b.txt\r\n" + c.texts + "/deep/d.txt\r\n");
    EXPECT_EQ(c.prompter.shown[0].text, "The default folder is:\r\n\r\n" + c.lists +
                                            "\r\n\r\nDo you want to save to same "
                                            "folder?");
    EXPECT_EQ(c.dialogs.requests.at(0).prompt, "Please enter new name below (max. 50 characters)");
    EXPECT_FALSE(chooser.saveListEnabled());
    EXPECT_FALSE(c.state.MakingFileList);

    // Importing it into an empty stored list.
    c.state.StoredFileList.clear();
    c.state.SourceIsFileList = true;
    c.answers({});
    FileChooser importer(c.state, c.prompter, c.dialogs);
    c.state.DialogFolder = c.lists;
    c.state.DialogPattern = "*.flist";
    importer.open(kImportListCaption);
    importer.clickFile(c.indexOf(importer, "corpus.flist"), true);
    ASSERT_TRUE(importer.ok()); // OK with one list chosen imports it
    EXPECT_TRUE(importer.resultOk());
    EXPECT_EQ(c.state.StoredFileList.size(), 3u);
    EXPECT_EQ(importer.countLabel(), "3 file(s) selected");
    EXPECT_EQ(c.state.SourceFileCount, 3);
    EXPECT_TRUE(c.state.SourceIsFileList);
    EXPECT_TRUE(c.state.MakingFileList);
    EXPECT_EQ(c.state.FileListDirectory, c.lists);
    EXPECT_EQ(c.state.DialogFolder, c.lists);
    EXPECT_EQ(c.state.DialogPattern, "*.flist");
    EXPECT_TRUE(c.prompter.shown.empty());
}

TEST(FileChooser, SavingAsksBeforeOverwritingAndForANewName) {
    Chooser c;
    c.state.StoredFileList = {c.texts + "/a.txt"};
    c.dir.write("lists/old.flist", "/kept\r\n");
    const std::string other = c.dir.makeFolder("elsewhere");
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kIncludeInListCaption);
    // Not the default folder; cancel the name once, then an empty name, then an existing name
    // refused, then a new one.
    c.dir.write("elsewhere/old.flist", "/kept\r\n");
    c.answers({Answer::No, Answer::Yes, Answer::Yes, Answer::No});
    c.dialogs.folders.push_back(other);
    c.dialogs.entries = {{false, ""}, {true, ""}, {true, "old"}, {true, "new"}};
    ASSERT_TRUE(chooser.saveList());
    EXPECT_EQ(c.dialogs.folderCaptions.at(0), "   Save file list to...");
    EXPECT_EQ(c.prompter.shown[1].title, " You have not entered a name!");
    EXPECT_EQ(c.prompter.shown[2].text, "You have not entered a name.\r\nDo you wish to continue?");
    EXPECT_EQ(c.prompter.shown[3].text,
              "file 'old.flist' already exists:\r\ndo you wish to overwrite it?");
    EXPECT_EQ(c.prompter.shown[3].title, " File already exists!");
    EXPECT_EQ(c.dir.read("elsewhere/old.flist"), "/kept\r\n");
    EXPECT_EQ(c.dir.read("elsewhere/new.flist"), c.texts + "/a.txt\r\n");
    EXPECT_EQ(c.state.FileListDirectory, other);

    // No folder chosen ends the save.
    c.answers({Answer::No});
    EXPECT_FALSE(chooser.saveList());
    EXPECT_EQ(c.prompter.shown.back().text, "You have not selected a folder!");
}

TEST(FileChooser, OnlyOneListFileMayBeChosen) {
    Chooser c;
    c.dir.write("lists/one.flist", c.texts + "/a.txt\r\n");
    c.dir.write("lists/two.flist", c.texts + "/b.txt\r\n");
    c.state.DialogFolder = c.lists;
    c.state.DialogPattern = "*.flist";
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kImportListCaption);
    chooser.clickFile(0, true);
    chooser.clickFile(1, true);
    EXPECT_EQ(chooser.chosenNames(), std::vector<std::string>{"two.flist"});
    ASSERT_EQ(c.prompter.shown.size(), 1u);
    EXPECT_EQ(c.prompter.shown[0].text, "You may only select one list file!");
    EXPECT_EQ(c.prompter.shown[0].title, "Too many files");
}

TEST(FileChooser, ImportOntoAStoredList) {
    Chooser c;
    c.dir.write("lists/one.flist", c.texts + "/b.txt\r\n\r\n" + c.texts + "/gone.txt\r\n");
    for (Answer answer : {Answer::Yes, Answer::No}) {
        c.state.StoredFileList = {c.texts + "/a.txt"};
        c.state.SourceIsFileList = true;
        c.state.DialogFolder = c.lists;
        c.state.DialogPattern = "*.flist";
        c.answers({answer});
        FileChooser chooser(c.state, c.prompter, c.dialogs);
        chooser.open(kImportListCaption);
        chooser.clickFile(0, true);
        ASSERT_TRUE(chooser.importList());
        EXPECT_EQ(c.prompter.shown[0].text, "Do you wish to add new list to present list?");
        EXPECT_EQ(c.prompter.shown[0].title, "List already stored");
        const std::vector<std::string> expected =
            answer == Answer::Yes
                ? std::vector<std::string>{c.texts + "/a.txt", c.texts + "/b.txt",
                                           c.texts + "/gone.txt"}
                : std::vector<std::string>{c.texts + "/b.txt", c.texts + "/gone.txt"};
        EXPECT_EQ(c.state.StoredFileList, expected);
        EXPECT_EQ(c.prompter.shown[1].text, "1 of the listed files cannot be found.");
    }
}

TEST(FileChooser, ImportWithoutAListChosenSwitchesToLists) {
    Chooser c;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kSearchFilesCaption);
    chooser.clickFile(0, true);
    EXPECT_FALSE(chooser.importList());
    EXPECT_EQ(chooser.caption(), "Select file containing list of files to import");
    EXPECT_EQ(chooser.pattern(), "*.flist");
    EXPECT_EQ(chooser.folder(), c.lists);
}

TEST(FileChooser, BrokenListChangesNothing) {
    Chooser c;
    c.dir.write("lists/bad.flist", std::string("\0\0\0", 3));
    c.state.StoredFileList = {"/kept"};
    c.state.SourceIsFileList = true;
    c.state.DialogFolder = c.lists;
    c.state.DialogPattern = "*.flist";
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kImportListCaption);
    chooser.clickFile(0, true);
    EXPECT_FALSE(chooser.ok());
    EXPECT_EQ(c.prompter.shown.at(0).title, " Not a file list");
    EXPECT_EQ(c.state.StoredFileList, std::vector<std::string>{"/kept"});
    EXPECT_TRUE(c.state.SourceIsFileList);
}

TEST(FileChooser, OkAsksAboutFilesNotAdded) {
    for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
        Chooser c;
        c.state.MakingFileList = true;
        FileChooser chooser(c.state, c.prompter, c.dialogs);
        chooser.open(kIncludeInListCaption);
        chooser.clickFile(0, true);
        chooser.makeFileList();
        chooser.clickFile(1, true);
        c.answers({answer});
        EXPECT_EQ(chooser.ok(), answer != Answer::Cancel);
        EXPECT_EQ(c.prompter.shown.at(0).text,
                  "You have pressed \xAB Ok \xBB without adding the last file(s) to the list.\r\n"
                  "Do you wish to add new file(s) to existing files?");
        EXPECT_EQ(c.state.StoredFileList.size(), answer == Answer::Yes ? 2u : 1u);
        if (answer != Answer::Cancel) {
            EXPECT_EQ(c.state.SourceFileCount, answer == Answer::Yes ? 2 : 1);
        }
    }
}

TEST(FileChooser, ClearEndsListMode) {
    Chooser c;
    c.state.MakingFileList = true;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kIncludeInListCaption);
    chooser.changeFileType("*.txt");
    chooser.clickFile(0, true);
    chooser.makeFileList();
    chooser.clear();
    EXPECT_TRUE(c.state.StoredFileList.empty());
    EXPECT_FALSE(c.state.SourceIsFileList);
    EXPECT_EQ(chooser.caption(), "Select files to search");
    EXPECT_EQ(chooser.pattern(), "*.*");
    EXPECT_STREQ(chooser.listButtonCaption(), "&Make File List");
    EXPECT_EQ(chooser.chosenCount(), 0u);
}

TEST(FileChooser, NamesWithLineBreaksStayOutOfLists) {
    Chooser c;
    c.dir.write("texts/two\nlines.txt", "x");
    c.state.MakingFileList = true;
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kIncludeInListCaption);
    chooser.chooseFiles({0, 1, 2, 3}, 3);
    chooser.makeFileList();
    EXPECT_EQ(c.state.StoredFileList.size(), 3u);
    EXPECT_EQ(c.prompter.shown.at(0).title, " File list");
}

TEST(FileChooser, ResultFilesSkipTheModeSetUp) {
    Chooser c;
    c.state.IncludeSubfolders = true;
    c.state.DialogPattern = "*.dmp";
    FileChooser chooser(c.state, c.prompter, c.dialogs);
    chooser.open(kSearchFilesCaption);
    EXPECT_TRUE(chooser.choosingResultFiles());
    EXPECT_FALSE(chooser.allFoldersTicked());
}

} // namespace
