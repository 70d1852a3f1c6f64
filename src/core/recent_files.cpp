#include "core/recent_files.h"

#include "core/file_io.h"
#include "core/profile.h"

#include <algorithm>
#include <utility>

namespace lexmora {

namespace {

constexpr const char* kRecentSection = "Recent Files";

std::string keyOf(RecentKind kind, std::size_t place) {
    const char* stem = kind == RecentKind::ResultFile ? "Result"
                       : kind == RecentKind::WordList ? "WordList"
                                                      : "Folder";
    return stem + std::to_string(place + 1);
}

// Writes the list over the old one; slots past its end are emptied so a shorter list leaves no
// stale entries behind.
bool storeList(const std::string& settingsPath, RecentKind kind,
               const std::vector<std::string>& paths, std::size_t oldSize) {
    std::vector<std::pair<std::string, std::string>> values;
    for (std::size_t place = 0; place < std::max(paths.size(), oldSize); ++place)
        values.emplace_back(keyOf(kind, place),
                            place < paths.size() ? paths[place] : std::string());
    return writeProfileValues(settingsPath, kRecentSection, values);
}

} // namespace

std::vector<std::string> RecentPaths(const std::string& settingsPath, RecentKind kind) {
    std::vector<std::string> paths;
    const std::optional<std::string> text = readFileBytes(settingsPath);
    if (!text)
        return paths;
    for (std::size_t place = 0; place < kRecentLimit; ++place) {
        auto value = findProfileValue(*text, kRecentSection, keyOf(kind, place));
        if (value && !value->empty() &&
            std::find(paths.begin(), paths.end(), *value) == paths.end())
            paths.push_back(std::move(*value));
    }
    return paths;
}

bool RememberRecent(const std::string& settingsPath, RecentKind kind, const std::string& path) {
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos || path.front() == ' ' ||
        path.back() == ' ') // the profile trims values
        return false;
    std::vector<std::string> paths = RecentPaths(settingsPath, kind);
    const std::size_t oldSize = paths.size();
    std::erase(paths, path);
    paths.insert(paths.begin(), path);
    if (paths.size() > kRecentLimit)
        paths.resize(kRecentLimit);
    return storeList(settingsPath, kind, paths, oldSize);
}

bool ForgetRecent(const std::string& settingsPath, RecentKind kind, const std::string& path) {
    std::vector<std::string> paths = RecentPaths(settingsPath, kind);
    const std::size_t oldSize = paths.size();
    if (std::erase(paths, path) == 0)
        return true;
    return storeList(settingsPath, kind, paths, oldSize);
}

} // namespace lexmora
