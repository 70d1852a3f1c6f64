// Mount table parsing, drive types from mount entries, free-space texts and the low-space warning.
#include "core/drives.h"

#include "core/messages.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lexmora {
namespace {

TEST(DrivesParseMountInfo, ReadsFieldsOptionalTagsAndEscapes) {
    const std::string text =
        "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
        "90 26 8:17 / /media/anna/MY\\040STICK rw,nosuid,nodev shared:5 master:2 - vfat "
        "/dev/sdb1 rw,uid=1000\n"
        "91 26 11:0 / /media/cdrom ro,nosuid - iso9660 /dev/sr0 ro\n"
        "garbage line\n"
        "92 26 0:55 / /mnt/share rw - cifs //server/docs\\134x rw\n"
        "93 26 x:1 / /bad rw - ext4 /dev/x rw\n";
    const std::vector<MountEntry> table = ParseMountInfo(text);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].mountPoint, "/");
    EXPECT_EQ(table[0].fsType, "ext4");
    EXPECT_EQ(table[0].source, "/dev/vda");
    EXPECT_EQ(table[0].major, 254u);
    EXPECT_FALSE(table[0].readOnly);
    EXPECT_EQ(table[1].mountPoint, "/media/anna/MY STICK");
    EXPECT_EQ(table[1].fsType, "vfat");
    EXPECT_EQ(table[1].major, 8u);
    EXPECT_EQ(table[1].minor, 17u);
    EXPECT_TRUE(table[2].readOnly);
    EXPECT_EQ(table[3].source, "//server/docs\\x");
    EXPECT_EQ(table[3].major, 0u);
}

TEST(DrivesFindMount, LongestWholeComponentPrefixAndOvermounts) {
    const std::vector<MountEntry> table = ParseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                                         "2 1 8:2 / /home rw - ext4 /dev/sda2 rw\n"
                                                         "3 2 0:40 / /home rw - tmpfs tmpfs rw\n"
                                                         "4 1 8:3 / /media/usb rw - vfat a rw\n");
    struct Case {
        const char* path;
        const char* mountPoint;
        const char* type;
    };
    const Case cases[] = {
        {"/", "/", "ext4"},
        {"/etc/passwd", "/", "ext4"},
        {"/home", "/home", "tmpfs"}, // mounted over the first /home
        {"/home/anna/texts", "/home", "tmpfs"},
        {"/homework/x", "/", "ext4"}, // a prefix of a name is not a folder
        {"/media/usb/a.txt", "/media/usb", "vfat"},
        {"/media/usbdrive", "/", "ext4"},
    };
    for (const Case& c : cases) {
        const MountEntry* mount = FindMount(table, c.path);
        ASSERT_NE(mount, nullptr) << c.path;
        EXPECT_EQ(mount->mountPoint, c.mountPoint) << c.path;
        EXPECT_EQ(mount->fsType, c.type) << c.path;
    }
    EXPECT_EQ(FindMount({}, "/x"), nullptr);
}

// A sysfs tree with a removable disk sdb (8:16) holding a partition sdb1 (8:17), a fixed disk
// sda (8:0) with sda1 (8:1), and a CD drive sr0 (11:0) flagged removable.
class DrivesTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        dir.write("block/sdb/removable", "1\n");
        dir.makeFolder("block/sdb/sdb1");
        dir.write("block/sda/removable", "0\n");
        dir.makeFolder("block/sda/sda1");
        dir.write("block/sr0/removable", "1\n");
        dir.makeFolder("dev/block");
        const fs::path links = fs::path(dir.path()) / "dev/block";
        fs::create_directory_symlink("../../block/sdb", links / "8:16");
        fs::create_directory_symlink("../../block/sdb/sdb1", links / "8:17");
        fs::create_directory_symlink("../../block/sda/sda1", links / "8:1");
        fs::create_directory_symlink("../../block/sr0", links / "11:0");
    }
    test::TempDir dir;
};

TEST_F(DrivesTypeTest, MapsFileSystemTypesAndRemovableFlags) {
    struct Case {
        const char* line;
        int type;
    };
    const Case cases[] = {
        {"1 0 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro", kDriveCdRom},
        {"1 0 11:0 / /media/dvd ro - udf /dev/sr0 ro", kDriveCdRom},
        {"1 0 0:50 / /mnt/nfs rw - nfs4 server:/export rw", kDriveRemote},
        {"1 0 0:51 / /mnt/nfs3 rw - nfs server:/old rw", kDriveRemote},
        {"1 0 0:52 / /mnt/win rw - cifs //pc/share rw", kDriveRemote},
        {"1 0 0:53 / /mnt/win3 rw - smb3 //pc/share rw", kDriveRemote},
        {"1 0 0:54 / /mnt/ssh rw - fuse.sshfs anna@host: rw", kDriveRemote},
        {"1 0 0:55 / /tmp rw - tmpfs tmpfs rw", kDriveRamDisk},
        {"1 0 0:56 / /mnt/ram rw - ramfs ramfs rw", kDriveRamDisk},
        {"1 0 8:17 / /media/usb rw - vfat /dev/sdb1 rw", kDriveRemovable},  // partition: its disk
        {"1 0 8:16 / /media/whole rw - vfat /dev/sdb rw", kDriveRemovable}, // whole disk
        {"1 0 8:1 / / rw - ext4 /dev/sda1 rw", kDriveFixed},
        {"1 0 8:99 / /data rw - ext4 /dev/sdz rw", kDriveFixed}, // no sysfs entry
        {"1 0 0:30 / /proc rw - proc proc rw", kDriveFixed},
        {"1 0 0:31 / /srv rw - btrfs /dev/sda2 rw", kDriveFixed}, // anonymous device number
        {"1 0 0:32 / /mnt/fuse rw - fuse.gocryptfs x rw", kDriveFixed},
    };
    for (const Case& c : cases) {
        const std::vector<MountEntry> table = ParseMountInfo(c.line);
        ASSERT_EQ(table.size(), 1u) << c.line;
        EXPECT_EQ(DriveTypeOfMount(table[0], dir.path()), c.type) << c.line;
    }
}

TEST(DrivesOfRealPaths, DriveHoldsThePathAndIsReady) {
    test::TempDir dir;
    EXPECT_EQ(DriveOf(""), "");
    const std::string drive = DriveOf(dir.path());
    ASSERT_FALSE(drive.empty());
    EXPECT_EQ(ResolvePath(dir.path()).rfind(drive, 0), 0u);
    EXPECT_TRUE(IsDriveReady(drive));
    EXPECT_FALSE(IsDriveReady(dir.path() + "/missing"));
    EXPECT_FALSE(IsDriveReady(""));
    // A folder that is not there yet lies on the drive of the folder that holds it.
    EXPECT_EQ(DriveOf(dir.path() + "/not/yet/there"), drive);
    const int type = DriveType(dir.path());
    EXPECT_GE(type, kDriveRemovable);
    EXPECT_LE(type, kDriveRamDisk);
}

TEST(DrivesResolvePath, KeepsTheMissingPartAndResolvesLinks) {
    test::TempDir dir;
    const std::string real = ResolvePath(dir.path());
    dir.makeFolder("target");
    std::filesystem::create_directory_symlink(real + "/target", real + "/link");
    EXPECT_EQ(ResolvePath(real + "/link/a/b.txt"), real + "/target/a/b.txt");
    EXPECT_EQ(ResolvePath(real + "/target/"), real + "/target");
    EXPECT_EQ(ResolvePath(""), "");
}

TEST(DrivesFreeSpace, FailureGivesMinusOneAndEmptyText) {
    test::TempDir dir;
    EXPECT_EQ(FreeBytes(dir.path() + "/missing"), -1);
    EXPECT_EQ(FreeBytes(""), -1);
    EXPECT_EQ(FormatFreeSpace(dir.path() + "/missing"), "");
    EXPECT_GE(FreeBytes(dir.path()), 0);
    // Only removable and CD-ROM disks are told apart by the bytes in use.
    const int type = DriveType(dir.path());
    if (type == kDriveRemovable || type == kDriveCdRom)
        EXPECT_GT(DiskIdentity(dir.path()), 0);
    else
        EXPECT_EQ(DiskIdentity(dir.path()), 0);
    EXPECT_EQ(DiskIdentity(dir.path() + "/missing"), 0);
    EXPECT_NE(FormatFreeSpace(dir.path()).find(" free"), std::string::npos);
}

TEST(DrivesFormatFreeBytes, OneDecimalAtMostAndTheUnitRule) {
    struct Case {
        double bytes;
        const char* text;
    };
    constexpr double K = 1024.0, M = K * K, G = M * K;
    const Case cases[] = {
        {1610612736.0, "1.5 GB free"},
        {500, "0.5 KB free"},
        {0, "0 KB free"},
        {1024, "1 KB free"},
        {1075, "1 KB free"},       // 1.0498: rounds to a whole number, no decimal point
        {1126.4, "1.1 KB free"},   // 1.1
        {1.25 * K, "1.3 KB free"}, // half rounds away from zero
        {M - 1, "1024 KB free"},   // below one MB stays in KB
        {M, "1 MB free"},          // at least one MB
        {G, "1024 MB free"},       // GB only for more than one GB
        {G + 1, "1 GB free"},
        {2.75 * G, "2.8 GB free"},
        {3000.0 * G, "3000 GB free"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFreeBytes(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(FormatFreeBytes(-1), "");
}

TEST(DrivesLowSpace, MessageTextAndWhenItIsShown) {
    const Message message = core::msg::LowDiskSpace("/media/usb", 10.9 * 1024);
    EXPECT_EQ(message.text, "There are only 10 KBytes free\r\non drive /media/usb - this may not "
                            "be enough");
    EXPECT_EQ(message.title, " Disk space running low");
    EXPECT_EQ(message.buttons, Buttons::Ok);
    EXPECT_EQ(message.icon, Icon::Exclamation);

    test::TempDir dir;
    SilentPrompter prompter;
    EXPECT_FALSE(WarnLowSpace(dir.path(), 0, prompter));
    EXPECT_FALSE(WarnLowSpace(dir.path() + "/missing", 1e30, prompter)); // free space unknown
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(WarnLowSpace(dir.path(), 1e30, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].title, " Disk space running low");
}

} // namespace
} // namespace lexmora
