#include "files/drive_list.h"

#include <gtest/gtest.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

TEST(DriveList, RealFileSystemsOnlyRootFirst) {
    const std::string mountinfo = "22 1 0:21 / /proc rw - proc proc rw\n"
                                  "23 1 0:22 / /sys rw - sysfs sysfs rw\n"
                                  "25 1 8:1 / /home rw - ext4 /dev/sda2 rw\n"
                                  "24 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "26 24 0:5 / /dev/shm rw - tmpfs tmpfs rw\n"
                                  "27 24 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
                                  "28 24 0:40 / /media/usb rw - vfat /dev/sdb1 rw\n"
                                  "29 24 0:41 / /mnt/share rw - cifs //server/share rw\n";
    EXPECT_EQ(ListDrives(ParseMountInfo(mountinfo)),
              (std::vector<std::string>{"/", "/home", "/media/usb", "/mnt/share"}));
    EXPECT_EQ(ListDrives(std::vector<MountEntry>{}), std::vector<std::string>{"/"});
}

} // namespace
