#include "files/source_choice.h"

#include "files/file_chooser.h"
#include "files/file_patterns.h"

#include "core/file_io.h"
#include "core/paths.h"

#include <algorithm>

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

namespace {

// Every dropped file, a folder standing for the files of the current type it holds (its tree
// with the subfolder setting on).
std::vector<std::string> droppedFiles(const ProgramState& state,
                                      const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        if (!isDirectory(path)) {
            files.push_back(path);
        } else if (state.IncludeSubfolders) {
            const auto tree = ListTreeFiles(path, state.SourceFileType);
            files.insert(files.end(), tree.begin(), tree.end());
        } else {
            for (const std::string& name : ListMatchingFiles(path, state.SourceFileType))
                files.push_back(AddBackslash(path) + name);
        }
    }
    return files;
}

bool inOneFolder(const std::vector<std::string>& paths, const std::string& folder) {
    return std::all_of(paths.begin(), paths.end(), [&folder](const std::string& path) {
        return !isDirectory(path) && FolderOf(path) == folder;
    });
}

// As the chooser's Ok leaves a folder choice: the whole tree counted, or the chosen names.
void takeFolder(ProgramState& state, const std::string& folder, std::vector<std::string> names) {
    state.SourceIsFileList = false;
    state.MakingFileList = false;
    state.SourceDirectory = folder;
    if (names.empty() && state.IncludeSubfolders) {
        state.SourceFiles.clear();
        state.SourceFileCount =
            static_cast<long long>(CountTreeFiles(folder, state.SourceFileType).files);
        return;
    }
    if (names.empty())
        names = ListMatchingFiles(folder, state.SourceFileType);
    else
        state.IncludeSubfolders = false; // chosen files, as the chooser makes them
    state.SourceFileCount = static_cast<long long>(names.size());
    state.SourceFiles = std::move(names);
}

} // namespace

std::optional<std::string> TakeDroppedSources(ProgramState& state,
                                              const std::vector<std::string>& paths) {
    if (paths.empty())
        return std::nullopt;
    if (state.SourceFileType.empty())
        state.SourceFileType = "*.*";
    if (paths.size() == 1 && isDirectory(paths.front())) {
        takeFolder(state, paths.front(), {});
    } else if (const std::string folder = FolderOf(paths.front()); inOneFolder(paths, folder)) {
        std::vector<std::string> names;
        for (const std::string& path : paths)
            names.push_back(FileNameOf(path));
        takeFolder(state, folder, std::move(names));
    } else {
        std::vector<std::string> files = droppedFiles(state, paths);
        if (files.empty())
            return std::nullopt;
        state.SourceIsFileList = true;
        state.MakingFileList = false;
        state.StoredFileList = files;
        state.SourceFiles = std::move(files);
        state.SourceFileCount = static_cast<long long>(state.SourceFiles.size());
        state.FileListName.clear();
    }
    state.SourceFilesSaved =
        state.SourceIsFileList ? std::vector<std::string>() : state.SourceFiles;
    state.AllFilesInFolder = false;
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
