// The last files the user opened, kept in the settings file so the Files menu can offer them again:
// result files, word lists and source folders, ten of each, the most recent first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lexmora {

enum class RecentKind { ResultFile, WordList, SourceFolder };

inline constexpr std::size_t kRecentLimit = 10;

// The remembered paths of a kind (as on disk), most recent first; none when the file has none.
std::vector<std::string> RecentPaths(const std::string& settingsPath, RecentKind kind);

// Puts `path` first, drops its earlier mention and any past the tenth. False when the settings
// file could not be written (the list is then as it was) or the path cannot be stored (empty,
// or holding a line break).
bool RememberRecent(const std::string& settingsPath, RecentKind kind, const std::string& path);

// Forgets a path that is gone; false when the settings file could not be written.
bool ForgetRecent(const std::string& settingsPath, RecentKind kind, const std::string& path);

} // namespace lexmora
