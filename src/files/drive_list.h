// The drive list of the choosers: the mount points a user keeps files on, "/" first.
#pragma once

#include "core/drives.h"

#include <string>
#include <vector>

namespace lexmora::files {

// Mount points of real file systems from a mount table: "/" first, then in table order, each once;
// the kernel's own file systems (proc, sysfs, cgroups, ...) left out.
std::vector<std::string> ListDrives(const std::vector<MountEntry>& table);

// The drive list of this machine.
std::vector<std::string> ListDrives();

} // namespace lexmora::files
