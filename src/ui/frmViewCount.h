// The word-frequency window in its two modes: counting (choose sources and an output name, start,
// watch, pause or abandon the count) and viewing (a word list as a table of twelve rows with its
// sorts, norms, word search, saved and printed ranges). The count and the table are the engine's;
// this window draws them and turns the user's actions into the window's commands.
#pragma once

#include "core/frequency_commands.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/run_control.h"
#include "wordcount/frequency_table.h"
#include "wordcount/word_counter.h"

#include <QDialog>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPrinter;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QStackedWidget;

namespace lexmora::ui {

// The chosen range of a save or print: values, and the dialog's second option (to a file, or
// two columns).
struct FrequencyRange {
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    bool secondOption = false;
};

class frmViewCount : public QDialog, public RunHost {
    Q_OBJECT
public:
    frmViewCount(ProgramState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~frmViewCount() override;

    // The dialogs the window opens; tests replace them with scripted answers.
    struct Dialogs {
        std::function<bool()> chooseCountFiles;                     // true on "Ok"
        std::function<std::optional<std::string>()> chooseFolder;   // the output folder
        std::function<std::optional<std::string>()> chooseListFile; // a ".lst" to view
        AskText askText;
        std::function<std::optional<FrequencyRange>(RangeBy, bool forPrinting)> chooseRange;
        std::function<bool(QPrinter&)> choosePrinter;
    };
    Dialogs& dialogs() { return m_dialogs; }

    void setMode(FrequencyWindowMode mode);
    FrequencyWindowMode mode() const { return m_state.FrequencyMode; }

    // --- counting mode ---
    void ResetCountWindow();
    void ShowSelection();
    void ChooseCountFiles();
    void ChooseOutputFolder();
    void chooseLanguage(LanguageId language);
    void pressStart(); // cmdStart: Start, Pause, Continue or Restart
    void pressExit();  // cmdExit and the Exit items
    bool counting() const { return m_counting; }
    const CountResult& lastCount() const { return m_lastCount; }

    // --- viewing mode ---
    bool openCountFile(const std::string& listPath); // false: the failure was shown
    void SelectCountFile();
    void post(const FrequencyCommand& command); // a menu's command, carried out at once
    void ShowRows();
    const FrequencyTable* table() const { return m_table.get(); }
    // "Export...": the list as shown (its sort, its norm) as CSV, TSV, XLSX or JSON.
    void exportList();
    // "Compare with a Reference List...": the keyness window of this list.
    void compareWithReference();
    // Shows the record of `word` (Windows-1252) as the word search does; false when absent.
    bool goToWord(const std::string& word);
    std::int64_t top() const { return m_top; } // 1-based first visible record

    // RunHost: the count yields here.
    void yield(ProgramState& state) override;
    void waitForEvents(ProgramState& state, std::chrono::milliseconds limit) override;
    // Called on every yield and wait (tests press buttons from here).
    std::function<void(ProgramState&)> onYieldForTest;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createCountPage();
    void layOutCountPage(QWidget* page, QWidget* txtExtension);
    QWidget* createViewPage();
    void createCountMenus(QMenuBar* bar);
    void createViewMenus(QMenuBar* bar);
    void createSharedMenus(QMenuBar* bar, bool counting);
    void useDefaultDialogs();
    void useDefaultChoosers();

    void startCount();
    void runCount();
    void showCountProgress(const CountProgress& progress);
    void flushCountProgress();
    void finishCount(const CountResult& result);
    void setStartCaption(const QString& caption);
    void setCountControlsEnabled(bool enabled);

    void runFrequencyCommands();
    void carryOut(const FrequencyCommand& command);
    void scrollTo(std::int64_t top);
    void syncScrollBar();
    std::int64_t lastRecordOf(int value) const;
    void findWord();
    void setNorm(int option);
    void saveDetails(RangeBy by);
    void printDetails(RangeBy by);
    std::optional<std::vector<std::int64_t>> chooseRange(RangeBy by, bool forPrinting,
                                                         bool& secondOption);
    void sortTable(FrequencySort sort);
    void closeCountFile();

    ProgramState& m_state;
    Prompter& m_prompter;
    Dialogs m_dialogs;
    // The commands the menus, keys and bar posted and the viewing mode has not yet run.
    FrequencyCommandQueue m_commands;
    std::unique_ptr<FrequencyTable> m_table;
    std::int64_t m_top = 1;
    double m_scrollScale = 1.0;
    bool m_counting = false;
    bool m_showingResults = false;
    // Where Cancel in the file choice returns to: the counting page when the user came from it,
    // else out of the window, as the window was opened only to view a list.
    FrequencyWindowMode m_backFromViewing = FrequencyWindowMode::Leaving;
    bool m_syncingBar = false;
    bool m_refusingMinimise = false;
    CountResult m_lastCount;
    CountProgress m_progress;
    bool m_progressPending = false;
    std::chrono::steady_clock::time_point m_lastYield{};

    QStackedWidget* m_pages;
    QMenuBar* m_countMenus;
    QMenuBar* m_viewMenus;
    std::array<QAction*, 5> m_countLanguages{};
    std::array<QAction*, 5> m_viewLanguages{};
    std::array<QAction*, 6> m_normItems{};
    QAction* m_mnuApostrophe;
    QAction* m_mnuHyphen;

    // counting mode
    QLabel* m_lblWordNumber;
    QLabel* m_lblFileName;
    QLabel* m_lblFileCount;
    QLabel* m_lblFileTotal;
    QLabel* m_lblPathName;
    QLabel* m_lblTextMessage;
    QLabel* m_lblSelection;
    QLabel* m_lblSaveTo;
    QLabel* m_lblResults;
    QProgressBar* m_shpProgressBar;
    QLineEdit* m_txtUserInput;
    QPushButton* m_cmdStart;
    QPushButton* m_cmdExit;

    // viewing mode
    std::array<QListWidget*, 5> m_columns{};
    QScrollBar* m_vscWords;
    QLabel* m_lblTypeCount;
    QLabel* m_lblTokenCount;
    QLabel* m_lblRatio;
    QLabel* m_lblFileShown;
};

// The main window's "&Word Frequency Count" (counting) and "View Word &Frequency Files"
// (viewing): the window, modal, until the user leaves it. Viewing a given `listPath` (a recent
// or dropped word list) opens it at once.
void RunWordFrequency(ProgramState& state, Prompter& prompter, FrequencyWindowMode mode,
                      QWidget* parent, const std::string& listPath = {});

} // namespace lexmora::ui
