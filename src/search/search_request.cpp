#include "search/search_request.h"

#include "core/folders.h"
#include "core/paths.h"
#include "files/file_patterns.h"

namespace lexmora {

std::string StepSources::pathOf(const std::string& listed) const {
    return isList ? listed : AddBackslash(folder) + listed;
}

namespace {

// A whole folder chosen stands for the files of the chosen type it holds when the run starts.
std::vector<std::string> filesOfWholeFolder(const ProgramState& state) {
    if (!FolderExists(state.SourceDirectory))
        return {};
    return files::ListMatchingFiles(state.SourceDirectory, state.SourceFileType);
}

} // namespace

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
        sources.files = state.AllFilesInFolder ? filesOfWholeFolder(state) : state.SourceFiles;
    }
    return sources;
}

SearchRequest SearchRequestFor(const ProgramState& state) {
    SearchRequest request;
    request.sources = SourcesChosenIn(state);
    return request;
}

} // namespace lexmora
