// The main window: the "  CURRENT SETTINGS  " panel, the menus that open every function, and the
// Search and Exit buttons.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/recent_files.h"
#include "core/settings.h"
#include "ui/qt_file_viewer.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace lexmora::ui {

class frmConShell : public QMainWindow {
    Q_OBJECT
public:
    frmConShell(ProgramState& state, StartValues& start, Prompter& prompter,
                QWidget* parent = nullptr);

    // Refreshes the panel from the state (what activation does).
    void refreshPanel();
    void applyUserLevel();
    void switchLanguage(LanguageId language);
    void reapplyLanguage();
    void setCodeMode(int mode);

    // True when the exit sequence let the program end.
    bool runExit();

    void chooseSources();
    void chooseTarget();
    void openFileManager();
    void chooseCodeFiles();
    // "&Search": the four checks, then the run on the KWIC screen and its summary.
    void runSearchCommand();
    // "from &Keyboard" (false) and "from &Files" (true): the keyword window or a load of files.
    void enterKeywords(bool fromFiles);
    // "&Context Settings".
    void openContextSettings();
    // "&View Search Results" and its icon: the result viewer, the main window hidden meanwhile.
    void viewSearchResults();
    void openCollocates(); // "Collocates of a Result File..."
    // A result file in the viewer, a word list in the frequency viewer, without their choosers.
    void viewResultFile(const std::string& path);
    void viewWordList(const std::string& path);
    // Files or folders dropped on the window (paths as on disk): a lone .dmp or .lst opens,
    // anything else becomes the sources.
    void takeDroppedPaths(const std::vector<std::string>& paths);
    // "&Recent Files": rebuilt each time it opens, from the settings file.
    void fillRecentMenu(QMenu* menu);
    void openRecent(RecentKind kind, const std::string& path);
    // "&N-grams...": the n-grams window, modal; a double-clicked n-gram is searched for in the
    // current sources, and the window comes back with its list when the search ends.
    void openNgrams();
    void searchForNgram(const std::string& ngram);
    // Tests reach the KWIC screen of a run through this hook, called before the run starts.
    std::function<void(class frmViewScreen&)> onSearchScreenForTest;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    void buildMenus();
    QWidget* buildPanel();
    QWidget* buildIcons();
    QWidget* buildOptions();
    void updateSaveOptions();
    void showAbout();
    void showLanguageMenu(const QPoint& where);
    void takeSources(const std::optional<std::string>& panelText);

    ProgramState& m_state;
    StartValues& m_start;
    Prompter& m_prompter;
    bool m_leaving = false;
    bool m_contextShortForm = false; // the panel reads "chars." once the dialog set the widths
    QtFileViewer m_viewer{this};

    QMenu* m_languageMenu = nullptr;
    QMenu* m_codesMenu = nullptr;
    std::array<QAction*, 5> m_languageItems{};
    QList<QAction*> m_codeItems;
    QAction* m_userAdvanced = nullptr;
    QAction* m_userNormal = nullptr;
    QList<QAction*> m_advancedOnly;

    QLabel* m_sourceText = nullptr;
    QLabel* m_filesText = nullptr;
    QLabel* m_targetText = nullptr;
    QLabel* m_stringsText = nullptr;
    QLabel* m_contextText = nullptr;
    QLabel* m_languageText = nullptr;
    QLabel* m_codesText = nullptr;
    std::array<QLabel*, 5> m_flags{};

    QCheckBox* m_chkSave = nullptr;
    QRadioButton* m_optAnsi = nullptr;
    QRadioButton* m_optAscii = nullptr;
    QCheckBox* m_chkSingle = nullptr;
    QPushButton* m_cmdSearch = nullptr;
    QPushButton* m_cmdExit = nullptr;
};

} // namespace lexmora::ui
