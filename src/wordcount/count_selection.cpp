#include "wordcount/count_selection.h"

#include "core/paths.h"
#include "wordcount/count_sources.h"

namespace lexmora {

std::vector<std::string> ExpandCountSelection(const ProgramState& state, Prompter& prompter) {
    if (state.SourceIsFileList)
        return state.StoredFileList;
    const std::string pattern = state.SourceFileType.empty() ? "*.*" : state.SourceFileType;
    if (state.IncludeSubfolders)
        return ListCountSources(state.SourceDirectory, true, prompter, pattern);
    if (!state.SourceFiles.empty()) {
        std::vector<std::string> paths;
        for (const std::string& name : state.SourceFiles)
            paths.push_back(JoinPath(state.SourceDirectory, name));
        return paths;
    }
    return ListCountSources(state.SourceDirectory, false, prompter, pattern);
}

} // namespace lexmora
