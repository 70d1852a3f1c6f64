// The keyword window: the entry box under the keystroke rules, the keyword list with each
// keyword's exclude list (tags in tagged search), the options that change the special
// characters, keyword files, and the panel of accented letters of the current language. Its
// rules live in the keywords engine (keyword_syntax.h, keyword_lists.h, keyword_file.h,
// special_characters.h); this window draws them and passes the user's actions on.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "keywords/keyword_file.h"
#include "keywords/keyword_lists.h"
#include "keywords/keyword_syntax.h"
#include "search/regex_keyword.h"
#include "ui/keyword_entry_box.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace lexmora::ui {

class CharacterPanel;

// The ways out of the window to other windows; tests replace them with scripted answers.
struct KeywordWindowHooks {
    // The Next Word Match role of the context dialog: true for "Ok", the two values left in
    // LeftContext (position) and RightContext (number of words). Unset: frmContext.
    std::function<bool(QWidget* parent, ProgramState& state)> nextWordMatch;
    // The keyword files chosen (full paths); nothing when the chooser was not left with OK.
    // Unset: the program's file chooser.
    std::function<std::optional<std::vector<std::string>>(QWidget* parent, ProgramState& state)>
        chooseKeywordFiles;
    // The name to save the keyword list under; nothing when cancelled. Unset: a file dialog.
    std::function<std::optional<std::string>(QWidget* parent, const ProgramState& state)>
        chooseSaveName;
    // Free physical memory. Unset: what the system reports.
    MemoryProbe freeMemory;
};

class frmStrings : public QDialog {
    Q_OBJECT
public:
    frmStrings(ProgramState& state, Prompter& prompter, const KeywordWindowHooks& hooks,
               std::function<void(LanguageId)> languageChanged, QWidget* parent = nullptr);
    ~frmStrings() override;

    // The window's activation: fills the lists from the program state (asking about keywords
    // already held when `askKeep`). False when it is to close at once, as by Cancel.
    bool prepare(bool askKeep);

    // The user chose "&Load Keywords from Files": the window closed, the load comes next.
    bool loadRequested() const { return m_loadRequested; }
    // The list as it stands, for a load started from the window.
    void handOverForLoad();

    const KeywordLists& lists() const { return m_lists; }
    BracketState bracketState() const { return m_bracket; }

    // Rebuilds the panel of accented letters for LanguageIndex.
    void BuildCharacterPanel();
    // Puts one character into the entry box at the caret, past the keystroke filter.
    void insertCharacter(unsigned char code);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus(QMenuBar* bar);
    void buildBody();
    void buildEntryBox(QVBoxLayout* left);
    void buildModeOptions(QVBoxLayout* left);
    void buildHints(QVBoxLayout* left);
    void buildLists(QVBoxLayout* left);
    void buildButtons(QVBoxLayout* left);
    void buildCharacterFrame(QHBoxLayout* columns);
    void buildPopups();
    void syncOptions();
    void applyUserLevel();
    void syncLists();
    void syncExcludeList();
    void onKeyTyped(char key);
    void onEnter();
    bool regexEntry() const;
    void enterExpression();
    void showRegexFault(const std::string& expression, const RegexFault& fault);
    void onEntryDoubleClicked();
    void onCaseClicked(bool checked);
    void onKeywordClicked(int row);
    void onKeywordEdit(int row);
    void onExcludeEdit(int row);
    void onExcludeMode(bool checked);
    void onKeywordMode(bool checked);
    void onClear();
    void onOk();
    void onNextWordMatch();
    void onLoadFromFiles();
    void onSaveToFile();
    void setLanguage(LanguageId language);
    void showHelp(const char* topic);
    void clearEntry();
    void showKeywordPopup(const QPoint& where);
    void showExcludePopup(const QPoint& where);
    void deleteKeyword();
    void deleteExclude();

    ProgramState& m_state;
    Prompter& m_prompter;
    KeywordWindowHooks m_hooks;
    std::function<void(LanguageId)> m_languageChanged;
    KeywordLists m_lists;
    BracketState m_bracket = BracketState::Normal;
    bool m_loadRequested = false;

    KeywordEntryBox* m_txtEnterStrings = nullptr;
    QCheckBox* m_chkCase = nullptr;
    QCheckBox* m_chkRegex = nullptr;   // the keywords entered are regular expressions
    QLabel* m_lblRegexFault = nullptr; // why the expression entered was refused, and where
    QRadioButton* m_optSearchStrings = nullptr;
    QRadioButton* m_optExcludeStrings = nullptr;
    QRadioButton* m_optBefore = nullptr;
    QRadioButton* m_optAfter = nullptr;
    QListWidget* m_lstStoreStrings = nullptr;
    QListWidget* m_lstExcludeStrings = nullptr;
    QLabel* m_lblSpecial = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdClear = nullptr;
    CharacterPanel* m_fraCharacters = nullptr;

    QMenu* m_languageMenu = nullptr;
    QMenu* m_keywordPopup = nullptr;
    QMenu* m_excludePopup = nullptr;
    QAction* m_mnuKeywordDelete = nullptr;
    QAction* m_mnuCurly = nullptr;
    QAction* m_mnuParenth = nullptr;
    QAction* m_mnuSquare = nullptr;
    QAction* m_mnuQuestion = nullptr;
    QAction* m_mnuRoundAt = nullptr;
    QAction* m_mnuTagged = nullptr;
    QAction* m_mnuUserAdvanced = nullptr;
    QAction* m_mnuUserNormal = nullptr;
    std::vector<QAction*> m_languageItems;
    std::vector<QAction*> m_advancedOnly;
};

// The main window's "from &Keyboard" (fromFiles false) and "from &Files" (true). Opens the
// keyword window or loads keyword files; true when the program state's keywords were changed
// (OK in the window, or files loaded). Cancel leaves them as they were, also after a load
// started from the window. `languageChanged` tells the main window of a language chosen here.
bool EditKeywords(QWidget* parent, ProgramState& state, Prompter& prompter, bool fromFiles,
                  std::function<void(LanguageId)> languageChanged,
                  const KeywordWindowHooks& hooks = {});

// The main window's load of keyword files: chooser, questions, reading. True when the keywords
// changed; the main window's caption is then LoadedKeywordsCaption.
bool LoadKeywordsFromFiles(QWidget* parent, ProgramState& state, Prompter& prompter,
                           const KeywordWindowHooks& hooks = {});

} // namespace lexmora::ui
