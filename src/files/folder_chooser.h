// The rules of the folder chooser: where it opens, refusing read-only folders, creating a new
// folder, and the code-file count.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/result.h"
#include "files/chooser_dialogs.h"

#include <optional>
#include <string>

namespace lexmora::files {

inline constexpr const char* kSelectDirectoryCaption = "   Select Directory";
inline constexpr const char* kSaveResultsCaption = "   Save results to...";
inline constexpr const char* kSaveFileListCaption = "   Save file list to...";
inline constexpr const char* kCodeFilePattern = "*.wp#";

// DialogFolder, or the current folder when it is empty; a folder that cannot be reached is
// replaced by its nearest parent that can.
std::string FolderChooserStart(const ProgramState& state);
std::string ReachableFolder(const std::string& folder);

// When DialogPattern asks for code files: n followed by " « wp# » file(s) found".
bool ShowsCodeFileCount(const ProgramState& state);
std::string CodeFileCountText(const std::string& folder);

// OK: a read-only folder is refused with its message; otherwise DialogFolder becomes the folder.
bool AcceptFolder(ProgramState& state, const std::string& folder, Prompter& prompter);

// Creates `name` (Windows-1252, as typed) inside `parent`; the new folder's path.
Result<std::string> CreateNewFolder(const std::string& parent, const std::string& name,
                                    const std::string& invalidNameChars);

// "Create new folder": asks the name, creates the folder and says so. The new folder, into which
// the folder list moves, or nothing.
std::optional<std::string> CreateFolderInteractively(const ProgramState& state,
                                                     const std::string& folderShown,
                                                     ChooserDialogs& dialogs, Prompter& prompter);

} // namespace lexmora::files
