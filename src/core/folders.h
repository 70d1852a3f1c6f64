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

// The process's current folder, or "/" when it cannot be told.
std::string CurrentFolder();

} // namespace lexmora
