#include "wordcount/count_request.h"

#include "core/paths.h"
#include "wordcount/count_selection.h"

namespace lexmora {

std::vector<std::string> CountRequest::paths() const {
    std::vector<std::string> whole;
    whole.reserve(files.size());
    for (const std::string& name : files)
        whole.push_back((!name.empty() && name[0] == kPathSeparator) ? name
                                                                     : JoinPath(folder, name));
    return whole;
}

CountRequest CountRequestFor(const ProgramState& state, const std::string& listName,
                             Prompter& prompter) {
    CountRequest request;
    // Chosen files stay names in their folder; folders and lists give whole paths.
    if (!state.SourceIsFileList && !state.IncludeSubfolders && !state.SourceFiles.empty()) {
        request.folder = state.SourceDirectory;
        request.files = state.SourceFiles;
    } else {
        request.files = ExpandCountSelection(state, prompter);
    }
    request.listName = listName;
    request.filesNamed = static_cast<std::int64_t>(state.SourceFilesSaved.size());
    return request;
}

} // namespace lexmora
