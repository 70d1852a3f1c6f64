// Folder tests the settings and every run rely on.
#pragma once

#include <string>

namespace lexmora {

// True when the path names a folder that can be looked at.
bool FolderExists(const std::string& path);

// True when the test file "testfile.zzz" cannot be created (and removed) in the folder.
bool IsReadOnlyFolder(const std::string& path);

// Creates the folder and any missing parents; true when it exists afterwards.
bool CreateFolderPath(const std::string& path);

// True when both paths name the same folder: by device and inode when both exist, so that a
// link, "..", "." or a trailing "/" make no difference; else by their resolved absolute forms.
bool SameFolder(const std::string& a, const std::string& b);

// True when `inner` is `outer` or lies anywhere below it, judged on the folders themselves (as
// SameFolder) for `inner` and each of its parents. A part of `inner` that does not exist yet
// counts by its name.
bool FolderInside(const std::string& inner, const std::string& outer);

// The process's current folder, or "/" when it cannot be told.
std::string CurrentFolder();

} // namespace lexmora
