#include "ui/result_file_chooser_qt.h"

#include "core/paths.h"
#include "ui/frmGetFiles.h"

namespace lexmora::ui {

namespace {

// The fields the chooser hands its choice over in; they hold the search's selection.
struct SourceSelection {
    std::vector<std::string> filesSaved;
    long long fileCount;
    bool includeSubfolders;
    bool isFileList;
    bool makingList;
    std::string dialogFolder;
    std::string dialogPattern;

    explicit SourceSelection(const ProgramState& s)
        : filesSaved(s.SourceFilesSaved), fileCount(s.SourceFileCount),
          includeSubfolders(s.IncludeSubfolders), isFileList(s.SourceIsFileList),
          makingList(s.MakingFileList), dialogFolder(s.DialogFolder),
          dialogPattern(s.DialogPattern) {}

    void restore(ProgramState& s) const {
        s.SourceFilesSaved = filesSaved;
        s.SourceFileCount = fileCount;
        s.IncludeSubfolders = includeSubfolders;
        s.SourceIsFileList = isFileList;
        s.MakingFileList = makingList;
        s.DialogFolder = dialogFolder;
        s.DialogPattern = dialogPattern;
    }
};

} // namespace

std::optional<std::vector<std::string>>
ChooseResultFiles(ProgramState& state, Prompter& prompter, const std::string& caption,
                  const std::string& mask, const std::string& folder, QWidget* parent) {
    const SourceSelection kept(state);
    state.SourceIsFileList = false;
    state.IncludeSubfolders = false;
    state.SourceFilesSaved.clear();
    state.DialogFolder = folder;
    state.DialogPattern = mask;
    const bool ok = ChooseFiles(state, prompter, caption, parent);
    std::optional<std::vector<std::string>> chosen;
    if (ok) {
        chosen.emplace();
        for (const std::string& name : state.SourceFilesSaved)
            chosen->push_back(JoinPath(state.DialogFolder, name));
    }
    kept.restore(state);
    return chosen;
}

} // namespace lexmora::ui
