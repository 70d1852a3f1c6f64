// Where the program's folder and its settings file are.
#pragma once

#include <optional>
#include <string>

namespace lexmora {

struct ProgramLocation {
    std::string installFolder; // the executable's folder: shipped code files, help, samples
    std::string programFolder; // the settings file and the program's own default folders
    std::string settingsPath;
};

// The executable's folder (from /proc/self/exe), or the current folder when it cannot be told.
std::string ExecutableFolder();

// With `home` the program folder is that folder. Otherwise it is the executable's folder, unless
// that is read-only, when the settings live in $XDG_CONFIG_HOME/lexmora (~/.config/lexmora).
ProgramLocation LocateProgram(const std::optional<std::string>& home);

// An absolute, "/"-free-at-the-end form of a path given by the user.
std::string AbsolutePath(const std::string& path);

} // namespace lexmora
