// File patterns of the file chooser ("*.txt", several separated by ";") and the folder listings
// and counts built on them.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::files {

// The file types the chooser offers, in this order.
inline constexpr std::array<const char*, 5> kFileTypes = {"*.*", "*.doc", "*.dat", "*.htm;*.html",
                                                          "*.txt"};

// The patterns of a ";"-separated list, blanks around each cut off, empty ones dropped.
std::vector<std::string> SplitPatterns(std::string_view patterns);

// The file utilities' pattern rule: "*" any run, "?" one character, case-blind; "X.*" also takes
// "X" without extension, so "*.*" takes all; hidden names only match a pattern starting with ".".
bool MatchesPattern(std::string_view name, std::string_view pattern);
bool MatchesAnyPattern(std::string_view name, const std::vector<std::string>& patterns);

// The list order of names: case-blind, then by bytes, so the order is total.
bool NameBefore(std::string_view a, std::string_view b);

// Regular files (symbolic links followed) of a folder matching the patterns, in list order.
// Names are the folder's own bytes; hidden names (leading ".") are not listed.
std::vector<std::string> ListMatchingFiles(const std::string& folder, std::string_view patterns);

// Sub-folders of a folder (symbolic links to folders included), in list order, hidden ones left
// out.
std::vector<std::string> ListSubfolders(const std::string& folder);

// One folder's matching files and sub-folders (as ListMatchingFiles and ListSubfolders), and
// whether it could be listed at all (the error when not).
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    bool readable = false;
    int error = 0;
};
FolderListing ListFolder(const std::string& folder, std::string_view patterns);

struct TreeCount {
    std::size_t files = 0;             // matching files in the folder and every folder below
    std::size_t folders = 0;           // folders visited
    std::size_t unreadableFolders = 0; // folders that could not be listed
};

// Counts the matching files of a folder tree. Each folder is visited once, however many links
// lead to it, so a link loop ends.
TreeCount CountTreeFiles(const std::string& folder, std::string_view patterns);

// Every matching file of a folder tree as a full path, folders depth first in list order; the
// same visiting rule as CountTreeFiles.
std::vector<std::string> ListTreeFiles(const std::string& folder, std::string_view patterns);

} // namespace lexmora::files
