// The messages only the desktop program shows, worded as the program shows them (Windows-1252).
// Plain C++: the windows turn them into message boxes through the Prompter.
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora::ui::msg {

Message AnotherCopyRunning(); // asked before a second copy of the program starts
// The main window's "Save results to" with no folder: ends with "!", OK only, unlike the
// search's own check (search::msg::NoTargetFolder).
Message NoTargetFolderSelected();
// The main window's and the KWIC screen's help: no icon, unlike the keyword window's.
Message HelpFileMissing();
// A drive that cannot be read; `languageText` is the language file's wording, if it has one.
Message CannotAccessDrive(const std::string& languageText);
// The text viewer could not open a file; `errorText` says why.
Message CannotOpenForViewing(const std::string& errorText);

// The record details window's Ctrl+W: whether files opened from it are to change their access
// from the mode `writeToFiles` gives to the other one.
Message SwitchFileAccess(bool writeToFiles);
// The printer (or the PDF file) the user chose could not be opened.
Message PrinterNotOpened();

// --- table windows (collocates, keyness, ...) ---
// Asked when an analysis is to stop before its table is ready.
Message AbandonAnalysis();

// --- recent files and dropped files ---
// A recent file or folder (its name, Windows-1252) that is gone; it leaves the list.
Message RecentFileGone(const std::string& name);
// Dropped items the main window cannot use (nothing but unreadable or foreign entries).
Message NothingToTakeFromDrop();

} // namespace lexmora::ui::msg
