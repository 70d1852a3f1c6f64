#include "files/source_selection.h"

#include "core/paths.h"
#include "files/file_patterns.h"

namespace lexmora::files {

std::vector<std::string> ExpandSourceSelection(const ProgramState& state) {
    const std::string pattern = state.SourceFileType.empty() ? "*.*" : state.SourceFileType;
    if (state.SourceIsFileList)
        return state.StoredFileList;
    if (state.IncludeSubfolders)
        return ListTreeFiles(state.SourceDirectory, pattern);
    std::vector<std::string> paths;
    if (!state.SourceFilesSaved.empty()) {
        for (const auto& name : state.SourceFilesSaved)
            paths.push_back(JoinPath(state.SourceDirectory, name));
        return paths;
    }
    for (const auto& name : ListMatchingFiles(state.SourceDirectory, pattern))
        paths.push_back(JoinPath(state.SourceDirectory, name));
    return paths;
}

} // namespace lexmora::files
