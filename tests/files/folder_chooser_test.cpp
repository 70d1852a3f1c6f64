#include "files/folder_chooser.h"

#include "core/folders.h"
#include "files/scripted_dialogs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

const std::string kInvalid = "\\?<>:*/|\"";

TEST(FolderChooser, OpensInDialogFolderOrItsNearestParent) {
    test::TempDir dir;
    ProgramState state;
    state.DialogFolder = dir.makeFolder("a/b");
    EXPECT_EQ(FolderChooserStart(state), dir.path() + "/a/b");
    state.DialogFolder = dir.path() + "/a/gone/deeper/";
    EXPECT_EQ(FolderChooserStart(state), dir.path() + "/a");
    state.DialogFolder.clear();
    EXPECT_EQ(FolderChooserStart(state), CurrentFolder());
}

TEST(FolderChooser, ReadOnlyFolderIsRefused) {
    ProgramState state;
    SilentPrompter prompter;
    EXPECT_FALSE(AcceptFolder(state, "/proc", prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              "The selected folder is 'read only'.\r\n\r\n  Please select another folder.");
    EXPECT_EQ(prompter.shown[0].title, " Access denied!");

    test::TempDir dir;
    EXPECT_TRUE(AcceptFolder(state, dir.path(), prompter));
    EXPECT_EQ(state.DialogFolder, dir.path());
    EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST(FolderChooser, CountsCodeFiles) {
    test::TempDir dir;
    dir.write("wp51.wp#", "");
    dir.write("rtf.WP#", "");
    dir.write("notes.txt", "");
    EXPECT_EQ(CodeFileCountText(dir.path()), "2 \xAB wp# \xBB file(s) found");
    ProgramState state;
    state.DialogPattern = "*.wp#";
    EXPECT_TRUE(ShowsCodeFileCount(state));
}

struct NewFolderCase {
    const char* what;
    std::string name;
    bool created;
    const char* onDisk;
};

TEST(FolderChooser, NewFolderNames) {
    test::TempDir dir;
    dir.makeFolder("taken");
    const NewFolderCase cases[] = {
        {"plain", "texts", true, "texts"},
        {"accented (Windows-1252 typed)", "caf\xE9", true, "caf\xC3\xA9"},
        {"blank inside", "my texts", true, "my texts"},
        {"exists already", "taken", false, nullptr},
        {"slash", "a/b", false, nullptr},
        {"line break", "a\nb", false, nullptr},
        {"dot dot", "..", false, nullptr},
        {"empty", "", false, nullptr},
    };
    for (const auto& c : cases) {
        auto made = CreateNewFolder(dir.path(), c.name, kInvalid);
        EXPECT_EQ(made.ok(), c.created) << c.what;
        if (made.ok()) {
            EXPECT_EQ(*made, dir.path() + "/" + c.onDisk) << c.what;
            EXPECT_TRUE(FolderExists(*made)) << c.what;
        }
    }
}

TEST(FolderChooser, CreatingAskedThroughTheEntryDialog) {
    test::TempDir dir;
    ProgramState state;
    state.InvalidFileNameChars = kInvalid;
    test::ScriptedDialogs dialogs;
    dialogs.entries.push_back({true, "new"});
    SilentPrompter prompter;
    const auto made = CreateFolderInteractively(state, dir.path(), dialogs, prompter);
    ASSERT_TRUE(made);
    EXPECT_EQ(*made, dir.path() + "/new");
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].mode, EntryMode::File);
    EXPECT_EQ(dialogs.requests[0].maxLength, FolderNameLimit(dir.path()));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "New folder created");

    // A failure says so instead of claiming success; a cancelled dialog does nothing.
    dialogs.entries.push_back({true, "new"});
    dialogs.entries.push_back({false, "other"});
    EXPECT_FALSE(CreateFolderInteractively(state, dir.path(), dialogs, prompter));
    EXPECT_EQ(prompter.shown.back().title, " Error!");
    EXPECT_FALSE(CreateFolderInteractively(state, dir.path(), dialogs, prompter));
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_FALSE(FolderExists(dir.path() + "/other"));
}

} // namespace
