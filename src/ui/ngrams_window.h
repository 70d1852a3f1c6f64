// The N-grams window: the sources (the main window's selection, changed as for the word count),
// size or range of sizes, thresholds, "Stop at sentence end", language and order; Start (Stop)
// and Pause; the n-grams in the shared table window; Open and Save of n-gram files. What a
// double-click does (a search for the n-gram in the same sources) is the opener's.
#pragma once

#include "analysis/ngrams.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "ui/table_window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace lexmora::ui {

// A search for `ngram` (Windows-1252, words separated by one blank) in the current sources.
using SearchForNgram = std::function<void(const std::string& ngram)>;

class NgramsWindow : public TableWindow {
public:
    NgramsWindow(ProgramState& state, Prompter& prompter, SearchForNgram search,
                 QWidget* parent = nullptr);
    ~NgramsWindow() override;

    // The dialogs the window opens; tests replace them with scripted answers.
    struct SourceDialogs {
        std::function<bool()> chooseSources; // true when the selection changed
        std::function<std::optional<std::string>()> chooseOpenFile;
        std::function<std::optional<std::string>()> chooseSaveFile;
    };
    SourceDialogs& sourceDialogs() { return m_sourceDialogs; }
    void setSearch(SearchForNgram search) { m_search = std::move(search); }

    void chooseSources();
    void showSources();
    bool openList(const std::string& path); // an n-gram file; false: told why not
    bool saveList(const std::string& path); // asks before replacing; false: not saved
    void togglePause();
    const NgramResult* result() const; // the list shown, counted or opened

    struct Panel; // the options' controls

private:
    void useDefaultSourceDialogs();
    Result<Table> count(const TableProgress& progress);
    std::string commandLine() const;
    void setPausable(bool running);

    ProgramState& m_state;
    Prompter& m_prompter;
    SourceDialogs m_sourceDialogs;
    SearchForNgram m_search;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<NgramResult> m_result;
    SequenceSort m_resultSort = SequenceSort::Freq; // the order the list was made in
    std::string m_openedPath; // the n-gram file shown, when the list was opened
};

// The lexmora-cli line that counts the same n-grams from the state's source selection (UTF-8).
std::string NgramsCommandLine(const ProgramState& state, const NgramRequest& request);

} // namespace lexmora::ui
