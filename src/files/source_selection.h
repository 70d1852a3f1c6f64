// The files a source selection stands for, as a run walks them: a stored file list, a folder tree,
// chosen files of a folder, or every file of a folder of the chosen type.
#pragma once

#include "core/program_state.h"

#include <string>
#include <vector>

namespace lexmora::files {

// Full paths, in the order the run takes them: the stored list as it stands (SourceIsFileList);
// the tree under SourceDirectory (IncludeSubfolders); the names of SourceFilesSaved in
// SourceDirectory; else every file of SourceDirectory matching SourceFileType ("*.*" when empty).
std::vector<std::string> ExpandSourceSelection(const ProgramState& state);

} // namespace lexmora::files
