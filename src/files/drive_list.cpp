#include "files/drive_list.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace lexmora::files {

namespace {

bool isKernelFileSystem(std::string_view type) {
    static constexpr std::array<std::string_view, 20> kernel = {
        "proc",    "sysfs",       "cgroup",   "cgroup2", "devpts",   "mqueue",    "debugfs",
        "tracefs", "securityfs",  "pstore",   "bpf",     "configfs", "fusectl",   "hugetlbfs",
        "autofs",  "binfmt_misc", "devtmpfs", "nsfs",    "efivarfs", "rpc_pipefs"};
    return std::find(kernel.begin(), kernel.end(), type) != kernel.end();
}

bool isSystemMount(std::string_view point) {
    for (std::string_view prefix : {"/proc", "/sys", "/dev", "/run", "/boot/efi"})
        if (point == prefix || (point.substr(0, prefix.size()) == prefix &&
                                point.size() > prefix.size() && point[prefix.size()] == '/'))
            return true;
    return false;
}

} // namespace

std::vector<std::string> ListDrives(const std::vector<MountEntry>& table) {
    std::vector<std::string> drives{"/"};
    for (const auto& entry : table) {
        if (isKernelFileSystem(entry.fsType) || isSystemMount(entry.mountPoint))
            continue;
        if (std::find(drives.begin(), drives.end(), entry.mountPoint) == drives.end())
            drives.push_back(entry.mountPoint);
    }
    return drives;
}

std::vector<std::string> ListDrives() {
    return ListDrives(ReadMountTable());
}

} // namespace lexmora::files
