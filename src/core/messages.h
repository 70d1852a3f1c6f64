// The messages of the disk, folder and file utilities, the settings, start-up and exit, worded as
// the program shows them. Names in a message are UTF-8 file names turned into the program's
// Windows-1252 text. Entries that other subsystems show with the same bytes live here too.
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora {

// How a folder search failed, by the error numbers the program tells apart.
enum class FolderError {
    NotFound,     // nothing found, or an error with no message of its own
    DiskNotReady, // 68 device unavailable, 71 disk not ready
    PathNotFound, // 76
};

} // namespace lexmora

namespace lexmora::core::msg {

// --- files and folders ------------------------------------------------------------------------
// "Couldn't open NAME !" and the system's error text.
Message CannotOpenFile(const std::string& name, int error);
Message CannotFindFolder(const std::string& path, FolderError error, int driveType,
                         const std::string& drive);
Message CannotFindFile(const std::string& name, int driveType);
Message LowDiskSpace(const std::string& drive, double freeBytes);
Message FileTooLargeForNotepad();
Message ViewAsWebPage();
Message CannotFindViewer(const std::string& viewer);

// --- start-up, settings and exit ------------------------------------------------------------
// The program itself lives on a removable drive: the user must not take the disk out while it
// runs. `tallScreen`: a screen of 600 pixels or more has room for the icon.
Message RemovableProgramDrive(const std::string& drive, bool tallScreen);
Message DeleteSessionResults(const std::string& targetDirectory);
Message SaveSettings();
// A setting given on the command line that cannot be stored; names and values are shown as given.
Message SettingNeedsFolder(const std::string& key);
Message SettingFolderNotFound(const std::string& folder); // OK only, the folder not converted
Message SettingFolderReadOnly(const std::string& folder);
Message SettingContextWidth(const std::string& key, int maximum);
Message SettingLanguage();
Message SettingZeroOrOne(const std::string& key);
Message SettingFileExtensions();
Message UnknownSetting(const std::string& key);
Message CannotWriteSettings(const std::string& settingsPath);

// --- shown with the same bytes by more than one subsystem -----------------------------------
Message MajorFailure();  // the search run and the word count
Message NoNameEntered(); // the file list and the word list name questions

// --- "Copy as command line" (the live screen, the viewer, the count window) ------------------
Message CommandLineCopied(const std::string& line); // `line` is UTF-8, as it went to the clipboard
Message KeywordsNotOneLine();
// Regular expressions among plain keywords: --regex makes every keyword given one.
Message RegexAmongKeywordsNotOneLine();
Message ViewNotOneLine();

} // namespace lexmora::core::msg
