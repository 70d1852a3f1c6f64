#include "files/source_choice.h"

#include "files/file_chooser.h"
#include "files/file_patterns.h"

namespace lexmora::files {

const char* SourceChooserCaption(const ProgramState& state) {
    return state.MakingFileList ? kIncludeInListCaption : kSearchFilesCaption;
}

void PrepareSourceChooser(ProgramState& state) {
    state.SourceFilesSaved = state.SourceFiles;
    state.DialogFolder = state.MakingFileList ? state.FileListDirectory : state.SourceDirectory;
    state.DialogPattern = state.SourceFileType.empty() ? "*.*" : state.SourceFileType;
}

std::string TakeSourceChoice(ProgramState& state) {
    state.SourceFileType = state.DialogPattern;
    if (state.SourceIsFileList) {
        state.SourceFiles = state.StoredFileList;
        state.SourceFileCount = static_cast<long long>(state.SourceFiles.size());
    } else {
        if (!state.DialogFolder.empty())
            state.SourceDirectory = state.DialogFolder;
        state.SourceFiles = state.SourceFilesSaved;
        if (!state.SourceFiles.empty())
            state.SourceFileCount = static_cast<long long>(state.SourceFiles.size());
        else if (!state.IncludeSubfolders) // the whole folder: as many as it holds of the type
            state.SourceFileCount = static_cast<long long>(
                ListMatchingFiles(state.SourceDirectory, state.SourceFileType).size());
    }
    state.AllFilesInFolder =
        !state.SourceIsFileList && !state.IncludeSubfolders && state.SourceFiles.empty();
    return SourceSelectionText(state);
}

std::string SourceSelectionText(const ProgramState& state) {
    const auto count = static_cast<std::size_t>(std::max(0LL, state.SourceFileCount));
    if (state.SourceIsFileList || !state.SourceFiles.empty())
        return FilesSelectedText(state.SourceIsFileList ? state.SourceFiles.size()
                                                        : state.SourceFiles.size());
    if (state.IncludeSubfolders)
        return "file type = ' " + state.SourceFileType + " ' : " + FilesSelectedText(count) +
               " : all (sub)folders ";
    return "file type = ' " + state.SourceFileType + " ' : " + FilesSelectedText(count);
}

} // namespace lexmora::files
