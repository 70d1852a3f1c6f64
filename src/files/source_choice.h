// The main window's side of choosing source files: what the chooser is handed, and how its
// answer becomes the selection and the panel's "Files to search" text.
#pragma once

#include "core/program_state.h"

#include <optional>
#include <string>
#include <vector>

namespace lexmora::files {

// The chooser's caption for the current mode: building a list, or choosing files to search.
const char* SourceChooserCaption(const ProgramState& state);

// Hands the current selection to the chooser: the files shown as chosen, its folder and type.
void PrepareSourceChooser(ProgramState& state);

// Takes the chooser's answer after "Ok": the folder, the type, the chosen files, and the kind of
// selection. Returns the text for the panel.
std::string TakeSourceChoice(ProgramState& state);

// Files and folders dropped on the main window become the sources: one folder is taken as the
// chooser takes a folder (its file type and subfolder setting kept); files of one folder are that
// folder's chosen files; anything wider becomes a list of files, a dropped folder giving the files
// of its type it holds. Returns the text for the panel; nothing changes when no path is usable.
std::optional<std::string> TakeDroppedSources(ProgramState& state,
                                              const std::vector<std::string>& paths);

// The panel text of the selection as it stands.
std::string SourceSelectionText(const ProgramState& state);

} // namespace lexmora::files
