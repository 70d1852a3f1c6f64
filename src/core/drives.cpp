#include "core/drives.h"

#include "core/file_io.h"
#include "core/folders.h"
#include "core/messages.h"
#include "core/paths.h"

#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace lexmora {
namespace {

// mountinfo writes blanks, tabs, line ends and backslashes in paths as \ooo.
std::string unescapeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> splitBlanks(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        const std::size_t end = std::min(line.find(' ', pos), line.size());
        if (end > pos)
            fields.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return fields;
}

bool parseUnsigned(std::string_view text, unsigned& value) {
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

bool hasOption(std::string_view options, std::string_view option) {
    std::size_t pos = 0;
    while (pos <= options.size()) {
        const std::size_t end = std::min(options.find(',', pos), options.size());
        if (options.substr(pos, end - pos) == option)
            return true;
        pos = end + 1;
    }
    return false;
}

bool isOneOf(std::string_view value, std::initializer_list<std::string_view> names) {
    for (std::string_view name : names)
        if (value == name)
            return true;
    return false;
}

// The first character of a small sysfs file, or 0 when it cannot be read.
char firstCharOf(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char c = 0;
    if (!fd.valid() || ::read(fd.get(), &c, 1) != 1)
        return 0;
    return c;
}

bool statFolder(const std::string& path, struct statvfs& info) {
    return !path.empty() && ::statvfs(path.c_str(), &info) == 0;
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> table;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::vector<std::string_view> fields = splitBlanks(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source super
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (fields.size() < 6 || dash + 2 >= fields.size())
            continue;
        const std::string_view device = fields[2];
        const std::size_t colon = device.find(':');
        MountEntry entry;
        if (colon == std::string_view::npos ||
            !parseUnsigned(device.substr(0, colon), entry.major) ||
            !parseUnsigned(device.substr(colon + 1), entry.minor))
            continue;
        entry.mountPoint = unescapeMountField(fields[4]);
        if (entry.mountPoint.empty() || entry.mountPoint.front() != '/')
            continue;
        entry.readOnly = hasOption(fields[5], "ro");
        entry.fsType = unescapeMountField(fields[dash + 1]);
        entry.source = unescapeMountField(fields[dash + 2]);
        table.push_back(std::move(entry));
    }
    return table;
}

std::vector<MountEntry> ReadMountTable() {
    const auto text = readFileBytes("/proc/self/mountinfo");
    return text ? ParseMountInfo(*text) : std::vector<MountEntry>{};
}

std::string ResolvePath(std::string_view path) {
    if (path.empty())
        return {};
    std::string absolute =
        path.front() == kPathSeparator ? std::string(path) : JoinPath(CurrentFolder(), path);
    // Resolve the longest part that exists; the rest (not there yet, or gone) is kept as written.
    std::string head = absolute;
    std::string tail;
    while (true) {
        if (char* real = ::realpath(head.c_str(), nullptr)) {
            std::string resolved(real);
            std::free(real);
            if (tail.empty())
                return resolved;
            return JoinPath(resolved, tail);
        }
        const std::size_t slash = head.rfind(kPathSeparator);
        if (slash == std::string::npos || head == "/")
            return absolute;
        const std::string part = head.substr(slash + 1);
        if (!part.empty())
            tail = tail.empty() ? part : part + kPathSeparator + tail;
        head = slash == 0 ? std::string("/") : head.substr(0, slash);
    }
}

const MountEntry* FindMount(const std::vector<MountEntry>& table, std::string_view path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : table) {
        const std::string& point = entry.mountPoint;
        const bool holds =
            point == "/" ||
            (path.size() >= point.size() && path.compare(0, point.size(), point) == 0 &&
             (path.size() == point.size() || path[point.size()] == kPathSeparator));
        if (holds && (best == nullptr || point.size() >= best->mountPoint.size()))
            best = &entry;
    }
    return best;
}

int DriveTypeOfMount(const MountEntry& entry, const std::string& sysfsRoot) {
    const std::string_view type = entry.fsType;
    if (isOneOf(type, {"iso9660", "udf"}))
        return kDriveCdRom;
    if (isOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "glusterfs",
                       "davfs", "sshfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.curlftpfs",
                       "fuse.davfs2"}))
        return kDriveRemote;
    if (isOneOf(type, {"tmpfs", "ramfs"}))
        return kDriveRamDisk;
    if (entry.major != 0) {
        // A partition has no flag of its own: its disk, one folder up, carries it.
        const std::string device = sysfsRoot + "/dev/block/" + std::to_string(entry.major) + ":" +
                                   std::to_string(entry.minor);
        char flag = firstCharOf(device + "/removable");
        if (flag == 0)
            flag = firstCharOf(device + "/../removable");
        if (flag == '1')
            return kDriveRemovable;
    }
    return kDriveFixed;
}

std::string DriveOf(std::string_view path) {
    if (path.empty())
        return {};
    const std::string resolved = ResolvePath(path);
    const std::vector<MountEntry> table = ReadMountTable();
    const MountEntry* mount = FindMount(table, resolved);
    return mount ? mount->mountPoint : std::string("/");
}

int DriveType(const std::string& path) {
    if (path.empty())
        return kDriveFixed;
    const std::vector<MountEntry> table = ReadMountTable();
    const MountEntry* mount = FindMount(table, ResolvePath(path));
    return mount ? DriveTypeOfMount(*mount) : kDriveFixed;
}

bool IsDriveReady(const std::string& drive) {
    if (drive.empty())
        return false;
    UniqueFd fd(::open(drive.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct statvfs info {};
    return fd.valid() && ::fstatvfs(fd.get(), &info) == 0;
}

double FreeBytes(const std::string& path) {
    struct statvfs info {};
    if (!statFolder(path, info))
        return -1;
    return static_cast<double>(info.f_bavail) * static_cast<double>(info.f_frsize);
}

double DiskIdentity(const std::string& path) {
    const int type = DriveType(path);
    if (type != kDriveRemovable && type != kDriveCdRom)
        return 0;
    struct statvfs info {};
    if (!statFolder(path, info) || info.f_blocks < info.f_bfree)
        return 0;
    return static_cast<double>(info.f_blocks - info.f_bfree) * static_cast<double>(info.f_frsize);
}

std::string FormatFreeBytes(double freeBytes) {
    if (freeBytes < 0)
        return {};
    constexpr double kKilo = 1024.0, kMega = kKilo * 1024.0, kGiga = kMega * 1024.0;
    double unit = kKilo;
    const char* unitName = "KB";
    if (freeBytes > kGiga) {
        unit = kGiga;
        unitName = "GB";
    } else if (freeBytes >= kMega) {
        unit = kMega;
        unitName = "MB";
    }
    // At most one decimal, rounded half away from zero; no decimal point for a whole number.
    const long long tenths = std::llround(freeBytes / unit * 10.0);
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        text += "." + std::to_string(tenths % 10);
    return text + " " + unitName + " free";
}

std::string FormatFreeSpace(const std::string& path) {
    return FormatFreeBytes(FreeBytes(path));
}

bool WarnLowSpace(const std::string& drive, double threshold, Prompter& prompter) {
    const double free = FreeBytes(drive);
    if (free < 0 || free >= threshold)
        return false;
    prompter.tell(core::msg::LowDiskSpace(drive, free));
    return true;
}

} // namespace lexmora
