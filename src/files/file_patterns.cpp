#include "files/file_patterns.h"

#include "core/file_utils.h"
#include "core/os_calls.h"
#include "core/paths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace lexmora::files {

namespace {

inline unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

struct DirEntries {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    bool readable = false;
    int error = 0; // why the folder could not be listed
};

DirEntries readFolder(const std::string& folder) {
    DirEntries out;
    DIR* dir = osCalls().openFolder(folder.c_str());
    if (dir == nullptr) {
        out.error = errno;
        return out;
    }
    out.readable = true;
    const int dfd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.')
            continue;
        struct stat st {};
        if (::fstatat(dfd, name, &st, 0) != 0)
            continue; // a dangling link or a name that vanished
        if (S_ISREG(st.st_mode))
            out.files.emplace_back(name);
        else if (S_ISDIR(st.st_mode))
            out.folders.emplace_back(name);
    }
    ::closedir(dir);
    const auto order = [](const std::string& a, const std::string& b) { return NameBefore(a, b); };
    std::sort(out.files.begin(), out.files.end(), order);
    std::sort(out.folders.begin(), out.folders.end(), order);
    return out;
}

// Depth-first walk that visits each folder (by device and inode) once.
template <typename OnFolder> void walkTree(const std::string& root, OnFolder&& onFolder) {
    std::set<std::pair<dev_t, ino_t>> seen;
    std::vector<std::string> pending{root};
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (!seen.insert({st.st_dev, st.st_ino}).second)
            continue;
        DirEntries entries = readFolder(folder);
        onFolder(folder, entries);
        for (auto it = entries.folders.rbegin(); it != entries.folders.rend(); ++it)
            pending.push_back(JoinPath(folder, *it));
    }
}

} // namespace

std::vector<std::string> SplitPatterns(std::string_view patterns) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos <= patterns.size()) {
        auto end = patterns.find(';', pos);
        if (end == std::string_view::npos)
            end = patterns.size();
        std::string_view part = patterns.substr(pos, end - pos);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        if (!part.empty())
            out.emplace_back(part);
        pos = end + 1;
    }
    return out;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    return MatchesFilePattern(name, pattern);
}

bool MatchesAnyPattern(std::string_view name, const std::vector<std::string>& patterns) {
    for (const auto& pattern : patterns)
        if (MatchesPattern(name, pattern))
            return true;
    return false;
}

bool NameBefore(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = foldAscii(static_cast<unsigned char>(a[i]));
        const auto cb = foldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::vector<std::string> ListMatchingFiles(const std::string& folder, std::string_view patterns) {
    const auto wanted = SplitPatterns(patterns);
    DirEntries entries = readFolder(folder);
    std::vector<std::string> out;
    for (auto& name : entries.files)
        if (MatchesAnyPattern(name, wanted))
            out.push_back(std::move(name));
    return out;
}

FolderListing ListFolder(const std::string& folder, std::string_view patterns) {
    const auto wanted = SplitPatterns(patterns);
    DirEntries entries = readFolder(folder);
    FolderListing out;
    out.readable = entries.readable;
    out.error = entries.error;
    out.folders = std::move(entries.folders);
    for (auto& name : entries.files)
        if (MatchesAnyPattern(name, wanted))
            out.files.push_back(std::move(name));
    return out;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
    return readFolder(folder).folders;
}

TreeCount CountTreeFiles(const std::string& folder, std::string_view patterns) {
    const auto wanted = SplitPatterns(patterns);
    TreeCount count;
    walkTree(folder, [&](const std::string&, const DirEntries& entries) {
        ++count.folders;
        if (!entries.readable)
            ++count.unreadableFolders;
        for (const auto& name : entries.files)
            if (MatchesAnyPattern(name, wanted))
                ++count.files;
    });
    return count;
}

std::vector<std::string> ListTreeFiles(const std::string& folder, std::string_view patterns) {
    const auto wanted = SplitPatterns(patterns);
    std::vector<std::string> out;
    walkTree(folder, [&](const std::string& here, const DirEntries& entries) {
        for (const auto& name : entries.files)
            if (MatchesAnyPattern(name, wanted))
                out.push_back(JoinPath(here, name));
    });
    return out;
}

} // namespace lexmora::files
