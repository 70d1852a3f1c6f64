// Where the program's folder and its settings file are.
#pragma once

#include <optional>
#include <string>

namespace lexmora {

struct ProgramLocation {
    std::string installFolder; // the shipped code files, help and samples
    std::string programFolder; // the settings file and the program's own default folders
    std::string settingsPath;
};

// The executable's folder (from /proc/self/exe), or the current folder when it cannot be told.
std::string ExecutableFolder();

// The shipped files of an installed copy, <prefix>/share/lexmora for an executable in <prefix>/bin,
// when the executable's folder does not hold them itself (as a build folder does).
std::optional<std::string> InstalledDataFolder(const std::string& executableFolder);

// The settings folder of an installed or read-only copy: $XDG_CONFIG_HOME/lexmora
// (~/.config/lexmora).
std::string UserConfigFolder();
// Where the program keeps what it can make again (positions of saved hits):
// $XDG_CACHE_HOME/lexmora (~/.cache/lexmora).
std::string UserCacheFolder();

// With `home` the program folder is that folder. An installed copy keeps its settings and default
// folders in UserConfigFolder(). Otherwise the program folder is the executable's folder, unless
// that is read-only, when the settings live in UserConfigFolder() too.
ProgramLocation LocateProgramFrom(const std::string& executableFolder,
                                  const std::optional<std::string>& home);
ProgramLocation LocateProgram(const std::optional<std::string>& home);

// An absolute, "/"-free-at-the-end form of a path given by the user.
std::string AbsolutePath(const std::string& path);

} // namespace lexmora
