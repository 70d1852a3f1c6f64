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

// $VARIABLE/lexmora, or ~/FALLBACK/lexmora when it is not set to an absolute path.
std::string xdgFolder(const char* variable, const char* fallback) {
    if (const char* xdg = std::getenv(variable); xdg && *xdg == '/')
        return JoinPath(xdg, "lexmora");
    const char* home = std::getenv("HOME");
    return JoinPath(JoinPath(home && *home ? home : "/tmp", fallback), "lexmora");
}

} // namespace

std::string UserConfigFolder() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserCacheFolder() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}

std::optional<std::string> InstalledDataFolder(const std::string& executableFolder) {
    // The code files are the one thing every copy ships and cannot run without.
    if (FolderExists(JoinPath(executableFolder, "codes")))
        return std::nullopt;
    if (FileNameOf(executableFolder) != "bin")
        return std::nullopt;
    const std::string shared = JoinPath(JoinPath(FolderOf(executableFolder), "share"), "lexmora");
    if (!FolderExists(JoinPath(shared, "codes")))
        return std::nullopt;
    return shared;
}

ProgramLocation LocateProgramFrom(const std::string& executableFolder,
                                  const std::optional<std::string>& home) {
    ProgramLocation location;
    const std::optional<std::string> installed = InstalledDataFolder(executableFolder);
    location.installFolder = installed.value_or(executableFolder);
    if (home) {
        location.programFolder = AbsolutePath(*home);
    } else if (!installed && !IsReadOnlyFolder(executableFolder)) {
        location.programFolder = executableFolder;
    } else {
        location.programFolder = UserConfigFolder();
        CreateFolderPath(location.programFolder);
    }
    location.settingsPath = SettingsPathFor(location.programFolder);
    return location;
}

ProgramLocation LocateProgram(const std::optional<std::string>& home) {
    return LocateProgramFrom(ExecutableFolder(), home);
}

} // namespace lexmora
