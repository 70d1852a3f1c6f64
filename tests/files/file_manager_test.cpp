#include "files/file_manager.h"

#include "core/file_io.h"
#include "files/scripted_dialogs.h"
#include "support/test_support.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

// A destination drive with a fixed number of free bytes: the free space shrinks as files are
// written, and a write beyond it fails as a full disk does.
class LimitedDisk : public FileManagerSystem {
public:
    explicit LimitedDisk(double freeBytes) : m_free(freeBytes) {}
    double freeBytes(const std::string&) override { return m_free; }
    std::string driveOf(const std::string&) override { return "/media/stick"; }
    int writeBlock(int fd, std::string_view data) override {
        if (static_cast<double>(data.size()) > m_free)
            return ENOSPC;
        m_free -= static_cast<double>(data.size());
        return FileManagerSystem::writeBlock(fd, data);
    }
    int renameFile(const std::string& from, const std::string& to) override {
        if (crossDevice)
            return EXDEV;
        return FileManagerSystem::renameFile(from, to);
    }
    bool crossDevice = false;

private:
    double m_free;
};

struct Fixture {
    test::TempDir dir;
    std::string source = dir.makeFolder("src");
    std::string target = dir.makeFolder("dst");
    ProgramState state;
    test::ScriptedDialogs dialogs;

    ChosenFiles files(std::vector<std::string> names) const { return {source, std::move(names)}; }
};

TEST(FileManager, CopyingThreeFilesWithRoomForTwo) {
    Fixture f;
    f.dir.write("src/a.txt", std::string(100, 'a'));
    f.dir.write("src/b.txt", std::string(100, 'b'));
    f.dir.write("src/c.txt", std::string(100, 'c'));
    f.dialogs.folders.push_back(f.target);
    ScriptedPrompter prompter({Answer::Yes});
    LimitedDisk disk(250);
    FileManager manager(f.state, prompter, f.dialogs, disk);
    const OperationReport report = manager.CopyChosenFiles(f.files({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(report.done, 2u);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(f.dialogs.folderCaptions.at(0), "  Select folder to copy files to...");
    EXPECT_EQ(f.state.DialogFolder, f.source);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text,
              "Confirm copying of 3 files\r\non " + f.source + " to " + f.target);
    EXPECT_EQ(prompter.shown[0].title, " About to copy files");
    EXPECT_EQ(prompter.shown[1].text, "There is not enough space left on drive /media/stick:\r\n"
                                      "to hold remaining 1 file(s)\r\nstopping after 2 files");
    EXPECT_EQ(prompter.shown[1].title, "Not enough disk space");
    EXPECT_EQ(test::readFile(f.target + "/b.txt"), std::string(100, 'b'));
    EXPECT_EQ(test::readFile(f.target + "/c.txt"), "<missing>");
    EXPECT_EQ(test::readFile(f.source + "/c.txt"), std::string(100, 'c'));
}

TEST(FileManager, DiskFillingUpMidCopyLeavesNoHalfFile) {
    Fixture f;
    f.dir.write("src/big.dat", std::string(3 << 20, 'x')); // three blocks
    f.dir.write("dst/big.dat", "old contents");
    f.dialogs.folders.push_back(f.target);
    // Yes to the copy, Yes to overwriting; the free space is reported wrong (as a network drive
    // may) so that the copy itself meets the full disk.
    ScriptedPrompter prompter({Answer::Yes, Answer::Yes});
    class Liar : public LimitedDisk {
    public:
        Liar() : LimitedDisk(1.5 * (1 << 20)) {}
        double freeBytes(const std::string&) override { return 1e12; }
    } disk;
    FileManager manager(f.state, prompter, f.dialogs, disk);
    const OperationReport report = manager.CopyChosenFiles(f.files({"big.dat"}));
    EXPECT_EQ(report.done, 0u);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(manager.lastError(), ENOSPC);
    EXPECT_EQ(prompter.shown.back().title, " Error!");
    EXPECT_EQ(prompter.shown.back().icon, Icon::Critical);
    EXPECT_NE(prompter.shown.back().text.find(" aborting operation"), std::string::npos);
    // The old destination is untouched and no temporary file is left behind.
    EXPECT_EQ(test::readFile(f.target + "/big.dat"), "old contents");
    EXPECT_EQ(::rmdir(f.target.c_str()), -1);
    ASSERT_EQ(::unlink((f.target + "/big.dat").c_str()), 0);
    EXPECT_EQ(::rmdir(f.target.c_str()), 0);
}

TEST(FileManager, CopyKeepsBytesModeAndTime) {
    Fixture f;
    std::string bytes;
    for (int i = 0; i < 300000; ++i)
        bytes += static_cast<char>(i * 7);
    const std::string path = f.dir.write("src/data.bin", bytes);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    SilentPrompter prompter;
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_EQ(manager.CopyOneFile(path, f.target + "/data.bin"), CopyOutcome::Copied);
    EXPECT_EQ(test::readFile(f.target + "/data.bin"), bytes);
    struct stat st {};
    ASSERT_EQ(::stat((f.target + "/data.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(FileManager, OverwriteQuestionDecides) {
    Fixture f;
    const std::string from = f.dir.write("src/a.txt", "new");
    const std::string to = f.dir.write("dst/a.txt", "old");
    ScriptedPrompter prompter({Answer::No, Answer::Yes});
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_EQ(manager.CopyOneFile(from, to), CopyOutcome::Skipped);
    EXPECT_EQ(test::readFile(to), "old");
    EXPECT_EQ(manager.CopyOneFile(from, to), CopyOutcome::Copied);
    EXPECT_EQ(test::readFile(to), "new");
    EXPECT_EQ(prompter.shown[0].text,
              "A file of this name already exists!\r\n\r\nDo you want to overwrite it?");
    EXPECT_EQ(prompter.shown[0].title, " Warning");
}

TEST(FileManager, UnreadableSourceIsSkippedWithItsName) {
    Fixture f;
    SilentPrompter prompter;
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_EQ(manager.CopyOneFile(f.source + "/none.txt", f.target + "/none.txt"),
              CopyOutcome::Skipped);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Cannot open file!\r\nnone.txt");
    // A destination where nothing can be created (root included) is the same failure.
    const std::string from = f.dir.write("src/a.txt", "a");
    EXPECT_EQ(manager.CopyOneFile(from, "/proc/a.txt"), CopyOutcome::Skipped);
}

TEST(FileManager, SameFolderIsRefusedHoweverItIsNamed) {
    Fixture f;
    f.dir.write("src/a.txt", "a");
    ASSERT_EQ(::symlink(f.source.c_str(), (f.dir.path() + "/alias").c_str()), 0);
    for (const std::string& pick : {f.source, f.source + "/", f.dir.path() + "/alias"}) {
        f.dialogs.folders.push_back(pick);
        SilentPrompter prompter;
        FileManager manager(f.state, prompter, f.dialogs);
        const OperationReport report = manager.CopyChosenFiles(f.files({"a.txt"}));
        EXPECT_FALSE(report.started) << pick;
        ASSERT_EQ(prompter.shown.size(), 1u) << pick;
        EXPECT_EQ(prompter.shown[0].text, "You cannot copy files to same folder!");
        EXPECT_EQ(prompter.shown[0].title, " Error in choice of folder");
    }
    EXPECT_EQ(test::readFile(f.source + "/a.txt"), "a");
}

TEST(FileManager, NothingChosenOrNoFolder) {
    Fixture f;
    SilentPrompter prompter;
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_FALSE(manager.CopyChosenFiles(f.files({})).started);
    EXPECT_FALSE(manager.MoveChosenFiles(f.files({})).started);
    EXPECT_FALSE(manager.CheckChosen(f.files({}), "delete"));
    f.dir.write("src/a.txt", "a");
    EXPECT_FALSE(manager.CopyChosenFiles(f.files({"a.txt"})).started); // chooser cancelled
    ASSERT_EQ(prompter.shown.size(), 3u);
    EXPECT_EQ(prompter.shown[0].text, "No files found to copy");
    EXPECT_EQ(prompter.shown[0].title, "Error");
    EXPECT_EQ(prompter.shown[1].text, "No files found to move");
    EXPECT_EQ(prompter.shown[2].title, "  No files to delete");
}

TEST(FileManager, MoveAnsweredNoLeavesTheSource) {
    Fixture f;
    f.dir.write("src/a.txt", "mine");
    f.dir.write("src/b.txt", "bee");
    f.dir.write("dst/a.txt", "theirs");
    f.dialogs.folders.push_back(f.target);
    ScriptedPrompter prompter({Answer::Yes, Answer::No});
    FileManager manager(f.state, prompter, f.dialogs);
    const OperationReport report = manager.MoveChosenFiles(f.files({"a.txt", "b.txt"}));
    EXPECT_EQ(report.done, 1u);
    EXPECT_EQ(report.skipped, 1u);
    EXPECT_EQ(prompter.shown[0].text,
              "Confirm moving of 2 files\r\nfrom " + f.source + " to " + f.target);
    EXPECT_EQ(prompter.shown[0].title, " About to move files");
    EXPECT_EQ(f.dialogs.folderCaptions.at(0), "  Select folder to move files to...");
    EXPECT_EQ(test::readFile(f.source + "/a.txt"), "mine");
    EXPECT_EQ(test::readFile(f.target + "/a.txt"), "theirs");
    EXPECT_EQ(test::readFile(f.source + "/b.txt"), "<missing>");
    EXPECT_EQ(test::readFile(f.target + "/b.txt"), "bee");
}

TEST(FileManager, MoveAcrossFileSystemsCopiesThenDeletes) {
    Fixture f;
    f.dir.write("src/a.txt", std::string(10, 'a'));
    f.dir.write("src/b.txt", std::string(10, 'b'));
    f.dialogs.folders.push_back(f.target);
    ScriptedPrompter prompter({Answer::Yes});
    LimitedDisk disk(15); // room for the first copy only
    disk.crossDevice = true;
    FileManager manager(f.state, prompter, f.dialogs, disk);
    const OperationReport report = manager.MoveChosenFiles(f.files({"a.txt", "b.txt"}));
    EXPECT_EQ(report.done, 1u);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(test::readFile(f.target + "/a.txt"), std::string(10, 'a'));
    EXPECT_EQ(test::readFile(f.source + "/a.txt"), "<missing>");
    EXPECT_EQ(test::readFile(f.source + "/b.txt"), std::string(10, 'b')); // not lost
    EXPECT_EQ(prompter.shown.back().title, "Not enough disk space");
}

TEST(FileManager, MoveToAnotherRealFileSystem) {
    if (!isDirectory("/dev/shm") || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system to move to";
    Fixture f;
    char folder[] = "/dev/shm/lexmora-move-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    struct stat a {
    }, b{};
    ::stat(folder, &a);
    ::stat(f.source.c_str(), &b);
    if (a.st_dev == b.st_dev) {
        ::rmdir(folder);
        GTEST_SKIP() << "/dev/shm is on the same file system";
    }
    f.dir.write("src/a.txt", "across");
    f.dialogs.folders.push_back(std::string(folder));
    ScriptedPrompter prompter({Answer::Yes});
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_EQ(manager.MoveChosenFiles(f.files({"a.txt"})).done, 1u);
    EXPECT_EQ(test::readFile(std::string(folder) + "/a.txt"), "across");
    EXPECT_FALSE(fileIsPresent(f.source + "/a.txt"));
    ::unlink((std::string(folder) + "/a.txt").c_str());
    ::rmdir(folder);
}

TEST(FileManager, ProtectionBlocksMoveAndDelete) {
    Fixture f;
    f.dir.write("src/a.txt", "a");
    f.state.WriteToFiles = false;
    SilentPrompter prompter;
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_FALSE(manager.MoveChosenFiles(f.files({"a.txt"})).started);
    EXPECT_EQ(manager.DeleteChosenFiles(f.files({"a.txt"}), "*.*").deleted, 0u);
    EXPECT_EQ(test::readFile(f.source + "/a.txt"), "a");
    EXPECT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].title, " File protection level");
    EXPECT_TRUE(f.dialogs.folderCaptions.empty());

    const FileManagerButtons locked = FileManagerButtonStates(false, false);
    EXPECT_TRUE(locked.copy);
    EXPECT_FALSE(locked.move);
    EXPECT_FALSE(locked.remove);
    const FileManagerButtons tree = FileManagerButtonStates(true, true);
    EXPECT_FALSE(tree.copy || tree.move || tree.remove);
}

TEST(FileManager, ProtectionSwitchQuestion) {
    ProgramState state;
    test::ScriptedDialogs dialogs;
    ScriptedPrompter prompter({Answer::No, Answer::Yes, Answer::Yes});
    FileManager manager(state, prompter, dialogs);
    EXPECT_TRUE(manager.ToggleProtection());
    EXPECT_FALSE(manager.ToggleProtection());
    EXPECT_TRUE(manager.ToggleProtection());
    EXPECT_EQ(prompter.shown[0].text, "At present selected files can be deleted -\r\n"
                                      "do you wish to change so that files cannot be deleted ?");
    EXPECT_EQ(prompter.shown[2].text, "At present selected files cannot be deleted -\r\n"
                                      "do you wish to change so that files can be deleted ?");
}

TEST(FileManager, DeleteChosenFiles) {
    Fixture f;
    f.dir.write("src/a.txt", "a");
    f.dir.write("src/b.txt", "b");
    f.dir.write("src/keep.txt", "k");
    ScriptedPrompter prompter({Answer::No, Answer::Yes});
    FileManager manager(f.state, prompter, f.dialogs);
    EXPECT_EQ(manager.DeleteChosenFiles(f.files({"a.txt", "b.txt"}), "*.*").deleted, 0u);
    EXPECT_EQ(manager.DeleteChosenFiles(f.files({"a.txt", "b.txt"}), "*.*").deleted, 2u);
    EXPECT_EQ(prompter.shown[0].text, "Confirm deletion of 2 files in:\r\n" + f.source);
    EXPECT_EQ(prompter.shown[0].title, " About to delete files");
    EXPECT_FALSE(fileIsPresent(f.source + "/a.txt"));
    EXPECT_TRUE(fileIsPresent(f.source + "/keep.txt"));
}

TEST(FileManager, EmptySubfolderMayBeRemoved) {
    Fixture f;
    const std::string empty = f.dir.makeFolder("src/empty");
    f.state.DialogFolder = empty;
    ScriptedPrompter prompter({Answer::Ok});
    FileManager manager(f.state, prompter, f.dialogs);
    const DeleteReport report = manager.DeleteChosenFiles({empty, {}}, "*.*");
    EXPECT_TRUE(report.folderRemoved);
    EXPECT_EQ(report.showFolder, f.source);
    EXPECT_EQ(f.state.DialogFolder, f.source);
    EXPECT_EQ(prompter.shown[0].text, "Do you wish to remove folder ?");
    EXPECT_EQ(prompter.shown[0].title, "About to remove folder..");
    EXPECT_FALSE(isDirectory(empty));
}

TEST(FileManager, FolderWithOtherFilesIsNotEmptied) {
    Fixture f;
    f.dir.write("src/notes.doc", "d");
    ScriptedPrompter prompter({Answer::Ok});
    FileManager manager(f.state, prompter, f.dialogs);
    // No "*.txt" file, so removal is offered, but the folder still holds a file: it stays.
    const DeleteReport report = manager.DeleteChosenFiles(f.files({}), "*.txt");
    EXPECT_FALSE(report.folderRemoved);
    EXPECT_EQ(prompter.shown.back().title, " Error!");
    EXPECT_TRUE(fileIsPresent(f.source + "/notes.doc"));
    // With files of the type shown, nothing chosen means nothing to delete.
    f.dir.write("src/a.txt", "a");
    SilentPrompter silent;
    FileManager again(f.state, silent, f.dialogs);
    again.DeleteChosenFiles(f.files({}), "*.txt");
    EXPECT_EQ(silent.shown.at(0).text, "No files selected to delete");
}

TEST(FileManager, DriveRootIsNeverOffered) {
    ProgramState state;
    test::ScriptedDialogs dialogs;
    ScriptedPrompter prompter({Answer::Ok});
    FileManager manager(state, prompter, dialogs);
    EXPECT_FALSE(manager.DeleteChosenFiles({"/", {}}, "*.nothing-here").folderRemoved);
    EXPECT_EQ(prompter.shown.at(0).text, "No files selected to delete");
    EXPECT_FALSE(manager.DeleteChosenFiles({"/proc", {}}, "*.nothing-here").folderRemoved);
    EXPECT_EQ(prompter.shown.at(1).text, "No files selected to delete");
}

} // namespace
