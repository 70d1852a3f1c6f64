// The keyword window's ways in from the main window: typing keywords in the window (with loads of
// keyword files started from it, undone by Cancel) and loading keyword files straight away.
#include "ui/frmStrings.h"

#include "files/file_chooser.h"
#include "ui/frmGetFiles.h"
#include "viewer/result_viewer.h"

namespace lexmora::ui {

namespace {

// The program's file chooser in its keyword-file role; it remembers where the user chose.
std::optional<std::vector<std::string>>
chooseWithProgramChooser(QWidget* parent, ProgramState& state, Prompter& prompter) {
    const std::string pattern = state.KeywordFilePattern.empty() ? "*.*" : state.KeywordFilePattern;
    auto chosen = ChooseFilesAside(state, prompter, files::kKeywordFilesCaption,
                                   state.KeywordFileFolder, pattern, parent);
    if (!chosen)
        return std::nullopt;
    state.KeywordFileFolder = chosen->folder;
    state.KeywordFilePattern = chosen->pattern;
    return std::move(chosen->paths);
}

struct KeywordFields {
    std::vector<std::string> keywords;
    std::vector<bool> keywordCase;
    std::vector<std::vector<std::string>> excludeStrings;
    std::vector<std::vector<bool>> excludeCase;
    bool excludeListsAvailable = true;

    static KeywordFields of(const ProgramState& state) {
        return {state.Keywords, state.KeywordCase, state.ExcludeStrings, state.ExcludeCase,
                state.ExcludeListsAvailable};
    }
    void restore(ProgramState& state) const {
        state.Keywords = keywords;
        state.KeywordCase = keywordCase;
        state.ExcludeStrings = excludeStrings;
        state.ExcludeCase = excludeCase;
        state.ExcludeListsAvailable = excludeListsAvailable;
    }
};

} // namespace

bool LoadKeywordsFromFiles(QWidget* parent, ProgramState& state, Prompter& prompter,
                           const KeywordWindowHooks& hooks) {
    const auto paths = hooks.chooseKeywordFiles ? hooks.chooseKeywordFiles(parent, state)
                                                : chooseWithProgramChooser(parent, state, prompter);
    if (!paths || paths->empty())
        return false;
    const MemoryProbe probe = hooks.freeMemory ? hooks.freeMemory : MemoryProbe(FreePhysicalMemory);
    return LoadKeywordFiles(state, prompter, *paths, probe).changed;
}

bool EditKeywords(QWidget* parent, ProgramState& state, Prompter& prompter, bool fromFiles,
                  std::function<void(LanguageId)> languageChanged,
                  const KeywordWindowHooks& hooks) {
    if (fromFiles)
        return LoadKeywordsFromFiles(parent, state, prompter, hooks);
    const KeywordFields before = KeywordFields::of(state);
    bool loaded = false;
    bool askKeep = true;
    while (true) {
        frmStrings window(state, prompter, hooks, languageChanged, parent);
        // More keywords than the list takes, kept in memory only: the window does not open.
        if (!window.prepare(askKeep))
            return loaded;
        const int result = window.exec();
        if (window.loadRequested()) {
            loaded = true;
            LoadKeywordsFromFiles(parent, state, prompter, hooks);
            askKeep = false;
            continue;
        }
        if (result == QDialog::Accepted)
            return true;
        if (loaded)
            before.restore(state);
        return false;
    }
}

} // namespace lexmora::ui
