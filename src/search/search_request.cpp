#include "search/search_request.h"

#include "core/paths.h"

namespace lexmora {

std::string StepSources::pathOf(const std::string& listed) const {
    return isList ? listed : AddBackslash(folder) + listed;
}

SearchSources SourcesChosenIn(const ProgramState& state) {
    SearchSources sources;
    sources.pattern = state.SourceFileType;
    sources.countShown = state.SourceFileCount;
    if (state.IncludeSubfolders) {
        sources.kind = SourceKind::Tree;
        sources.folder = state.SourceDirectory;
    } else if (state.SourceIsFileList) {
        // The stored list when one was read; a list made in the chooser is its selection.
        sources.kind = SourceKind::List;
        sources.files = state.StoredFileList.empty() ? state.SourceFiles : state.StoredFileList;
    } else {
        sources.kind = SourceKind::Files;
        sources.folder = state.SourceDirectory;
        sources.files = state.SourceFiles;
    }
    return sources;
}

SearchRequest SearchRequestFor(const ProgramState& state) {
    SearchRequest request;
    request.sources = SourcesChosenIn(state);
    return request;
}

} // namespace lexmora
