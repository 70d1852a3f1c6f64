#include "core/program_location.h"

#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace lexmora {

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return CurrentFolder();
    return FolderOf(std::string(buffer, static_cast<std::size_t>(length)));
}

std::string AbsolutePath(const std::string& path) {
    std::string absolute =
        (!path.empty() && path.front() == '/') ? path : JoinPath(CurrentFolder(), path);
    while (absolute.size() > 1 && absolute.back() == '/')
        absolute.pop_back();
    return absolute;
}

namespace {

std::string configFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return JoinPath(xdg, "lexmora");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home && *home ? home : "/tmp", ".config"), "lexmora");
}

} // namespace

ProgramLocation LocateProgram(const std::optional<std::string>& home) {
    ProgramLocation location;
    location.installFolder = ExecutableFolder();
    if (home) {
        location.programFolder = AbsolutePath(*home);
    } else if (!IsReadOnlyFolder(location.installFolder)) {
        location.programFolder = location.installFolder;
    } else {
        location.programFolder = configFolder();
        CreateFolderPath(location.programFolder);
    }
    location.settingsPath = SettingsPathFor(location.programFolder);
    return location;
}

} // namespace lexmora
