// Drives as the program sees them on Linux: the mount point holding a path, its drive type, free
// space and readiness, and the low-space warning.
#pragma once

#include "core/prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Drive types, numbered as the program stores and compares them.
inline constexpr int kDriveRemovable = 2;
inline constexpr int kDriveFixed = 3;
inline constexpr int kDriveRemote = 4;
inline constexpr int kDriveCdRom = 5;
inline constexpr int kDriveRamDisk = 6;

// One line of /proc/self/mountinfo, with the octal escapes of its paths undone.
struct MountEntry {
    std::string mountPoint;
    std::string fsType;
    std::string source; // the device or share, e.g. "/dev/sdb1" or "server:/export"
    unsigned major = 0;
    unsigned minor = 0;
    bool readOnly = false;
};

// The entries of a mountinfo text in file order; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mount table of this process; empty when it cannot be read.
std::vector<MountEntry> ReadMountTable();

// The absolute form of a path with the symbolic links of its existing part resolved; the part
// that does not exist yet is kept as written. Empty for an empty path.
std::string ResolvePath(std::string_view path);

// The entry whose mount point is the longest whole-component prefix of an absolute, resolved
// path; of two entries on the same point the later one (mounted over the first) wins. Null when
// none fits.
const MountEntry* FindMount(const std::vector<MountEntry>& table, std::string_view path);

// The drive type of a mount: the file system type decides, then the block device's sysfs
// "removable" flag (read below `sysfsRoot`, which tests replace).
int DriveTypeOfMount(const MountEntry& entry, const std::string& sysfsRoot = "/sys");

// The mount point holding the path: the program's "drive". Empty for an empty path.
std::string DriveOf(std::string_view path);

// The drive type of the mount holding the path; a fixed drive when it cannot be told.
int DriveType(const std::string& path);

// True when the drive's folder can be opened and its file system answers.
bool IsDriveReady(const std::string& drive);

// Free bytes available to this user on the path's drive; -1 on failure.
double FreeBytes(const std::string& path);

// For removable and CD-ROM drives the bytes in use on the disk (which tells one disk from
// another); 0 for other drives and on failure.
double DiskIdentity(const std::string& path);

// A byte count as "1.5 GB free", "0.5 KB free"; empty for a negative count (a failure).
std::string FormatFreeBytes(double freeBytes);
// The free space of the path's drive in that form; empty on failure.
std::string FormatFreeSpace(const std::string& path);

// Warns through the prompter when the drive's free bytes are below `threshold`. True when it
// warned.
bool WarnLowSpace(const std::string& drive, double threshold, Prompter& prompter);

} // namespace lexmora
