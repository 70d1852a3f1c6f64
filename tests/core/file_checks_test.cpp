// The folder and file checks: which message a missing folder or file gives, and the answer.
#include "core/file_checks.h"

#include "core/drives.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace lexmora {
namespace {

TEST(FileChecksMessages, FolderErrorTextsAndButtons) {
    struct Case {
        FolderError error;
        int driveType;
        const char* text;
        Buttons buttons;
    };
    const Case cases[] = {
        {FolderError::NotFound, kDriveFixed, "Cannot find folder:\r\n/media/Usb/Texts",
         Buttons::RetryCancel},
        {FolderError::NotFound, kDriveRemovable, "Cannot find folder:\r\n/media/Usb/Texts",
         Buttons::RetryCancel},
        {FolderError::DiskNotReady, kDriveRemovable,
         "Cannot find folder:\r\n/media/Usb/Texts\r\n\r\nPlease place disk in drive /media/Usb",
         Buttons::RetryCancel},
        {FolderError::PathNotFound, kDriveRemovable,
         "Cannot find folder:\r\n/media/Usb/Texts\r\nPlease replace correct disk in drive "
         "/media/Usb",
         Buttons::RetryCancel},
        {FolderError::PathNotFound, kDriveCdRom,
         "Cannot find folder:\r\n/media/Usb/Texts\r\nPlease replace correct disk in drive "
         "/media/Usb",
         Buttons::RetryCancel},
        {FolderError::PathNotFound, kDriveFixed,
         "Cannot find folder:\r\n/media/Usb/Texts\r\nPlease check that folder still exists",
         Buttons::Ok},
        {FolderError::PathNotFound, kDriveRemote,
         "Cannot find folder:\r\n/media/Usb/Texts\r\nPlease check that folder still exists",
         Buttons::Ok},
    };
    for (const Case& c : cases) {
        const Message message =
            core::msg::CannotFindFolder("/media/Usb/Texts", c.error, c.driveType, "/media/Usb");
        EXPECT_EQ(message.text, c.text);
        EXPECT_EQ(message.title, "Folder error");
        EXPECT_EQ(message.buttons, c.buttons) << c.text;
        EXPECT_EQ(message.icon, Icon::Exclamation);
    }
    // A UTF-8 name is shown as the program's text.
    EXPECT_EQ(core::msg::CannotFindFolder("/home/l\xC3\xA9"
                                          "a",
                                          FolderError::NotFound, kDriveFixed, "/")
                  .text,
              "Cannot find folder:\r\n/home/l\xE9"
              "a");
}

TEST(FileChecksMessages, FileErrorAndErrorNumbers) {
    const Message fixed = core::msg::CannotFindFile("/data/a.txt", kDriveFixed);
    EXPECT_EQ(fixed.text, "Cannot find file /data/a.txt");
    EXPECT_EQ(fixed.title, " File error");
    EXPECT_EQ(fixed.buttons, Buttons::AbortRetryIgnore);
    EXPECT_EQ(fixed.icon, Icon::Exclamation);
    for (int type : {kDriveRemovable, kDriveCdRom})
        EXPECT_EQ(core::msg::CannotFindFile("/media/cd/a.txt", type).text,
                  "Cannot find file /media/cd/a.txt -\r\nYou may have removed the disk with the "
                  "file from the drive");

    struct Case {
        int error;
        FolderError kind;
    };
    const Case cases[] = {
        {ENOENT, FolderError::PathNotFound},   {ENOTDIR, FolderError::PathNotFound},
        {ENODEV, FolderError::DiskNotReady},   {ENOMEDIUM, FolderError::DiskNotReady},
        {ENXIO, FolderError::DiskNotReady},    {EIO, FolderError::DiskNotReady},
        {EACCES, FolderError::NotFound},       {ELOOP, FolderError::NotFound},
        {ENAMETOOLONG, FolderError::NotFound},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderErrorOf(c.error), c.kind) << c.error;
}

TEST(FileChecksFolder, PresentMissingAndNotAFolder) {
    test::TempDir dir;
    Answer answer = Answer::Cancel;
    SilentPrompter silent;
    EXPECT_TRUE(CheckFolder(dir.path(), answer, silent));
    EXPECT_TRUE(CheckFolder("/", answer, silent)); // a drive root: no search, no message
    EXPECT_TRUE(silent.shown.empty());

    ScriptedPrompter retry({Answer::Retry});
    const std::string file = dir.write("file.txt", "x");
    EXPECT_FALSE(CheckFolder(file, answer, retry));
    EXPECT_EQ(answer, Answer::Retry);
    ASSERT_EQ(retry.shown.size(), 1u);
    EXPECT_EQ(retry.shown[0].text, "Cannot find folder:\r\n" + file);
    EXPECT_EQ(retry.shown[0].buttons, Buttons::RetryCancel);

    // A folder gone from a fixed (or RAM) disk: nothing to retry.
    SilentPrompter missing;
    const std::string gone = dir.path() + "/gone";
    ASSERT_NE(DriveType(gone), kDriveRemovable);
    EXPECT_FALSE(CheckFolder(gone, answer, missing));
    EXPECT_EQ(answer, Answer::Ok);
    ASSERT_EQ(missing.shown.size(), 1u);
    EXPECT_EQ(missing.shown[0].text,
              "Cannot find folder:\r\n" + gone + "\r\nPlease check that folder still exists");

    SilentPrompter empty;
    EXPECT_FALSE(CheckFolder("", answer, empty));
    EXPECT_EQ(answer, Answer::Cancel);
}

TEST(FileChecksFile, NothingWhenPresentElseTheButton) {
    test::TempDir dir;
    SilentPrompter silent;
    EXPECT_EQ(CheckFileExists(dir.write("a.txt", "x"), silent), std::nullopt);
    EXPECT_TRUE(silent.shown.empty());
    // The safe answer: Abort.
    EXPECT_EQ(CheckFileExists(dir.path() + "/b.txt", silent), std::optional(Answer::Abort));
    ScriptedPrompter ignore({Answer::Ignore});
    EXPECT_EQ(CheckFileExists(dir.path(), ignore), std::optional(Answer::Ignore)); // no file
    ScriptedPrompter retry({Answer::Retry});
    EXPECT_EQ(CheckFileExists("", retry), std::optional(Answer::Retry)); // no name, no file
    ASSERT_EQ(ignore.shown.size(), 1u);
    EXPECT_EQ(ignore.shown[0].text, "Cannot find file " + dir.path());
}

} // namespace
} // namespace lexmora
