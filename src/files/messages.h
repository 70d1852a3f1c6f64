// Every text the file selection windows and the file manager show, worded as the program words
// them. Texts are Windows-1252; paths and names passed in are converted from the file system's
// bytes before they are put into a text.
#pragma once

#include "core/message.h"
#include "core/messages.h" // NoNameEntered, asked by the word list too

#include <cstddef>
#include <string>

namespace lexmora::files::msg {

// --- file chooser ---------------------------------------------------------------------------
Message TooManyListFiles();
Message NoFilesToMakeList();
Message NoFilesSelected(); // " Warning"
Message AddLastFiles();
Message SaveToDefaultFolder(const std::string& fileListDirectory);
Message NoFolderSelected();
Message ListFileExists(const std::string& name);
Message InvalidName();
Message CannotWriteList(int error);
Message AddListToPresent();
Message RemovableDriveWarning();
// Lists that cannot be used, and what an import left out.
Message CannotReadList(const std::string& path, int error);
Message EmptyFileList(const std::string& path);
Message NotAFileList(const std::string& path);
Message NamesNotStorable(std::size_t count);
Message StoredListFull(std::size_t limit);
Message ImportNotes(std::size_t missing, std::size_t foreignLines, std::size_t linesCut);

// --- file manager ---------------------------------------------------------------------------
Message NoFilesFoundToCopy();
Message NoFilesFoundToMove();
Message SameFolderRefused();
Message ConfirmCopy(std::size_t count, const std::string& from, const std::string& to);
Message ConfirmMove(std::size_t count, const std::string& from, const std::string& to);
Message NotEnoughSpace(const std::string& drive, std::size_t remaining, std::size_t copied);
Message AbortingOperation(int error);
Message OverwriteFile();
Message DiscError(int error);
Message CannotOpenFile(const std::string& name);
Message ConfirmDelete(std::size_t count, const std::string& folder);
Message RemoveFolder();
Message NoFilesToDelete();
Message NothingChosenFor(const char* action); // popup menu: "copy", "delete", "move"
Message ChangeProtection(bool writeToFiles);
Message FilesProtected();
Message SystemError(int error); // " Error!" with the system's text
Message CannotRemoveFolder(const std::string& folder, int error);

// --- folder chooser -------------------------------------------------------------------------
Message ReadOnlyFolder();
Message NewFolderCreated();
Message CannotCreateFolder(const std::string& path, int error);
Message FolderNameNotUsable(const std::string& name);

// --- text entry -----------------------------------------------------------------------------
Message TooManyCharacters(std::size_t maxLength);
Message InvalidNumber();

// The system's error text for an errno value, in Windows-1252.
std::string SystemErrorText(int error);

} // namespace lexmora::files::msg
