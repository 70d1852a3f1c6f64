// The file chooser's rules, apart from drawing: its roles, what is listed and chosen, the count
// label and button states, making, saving, importing and clearing file lists, and the hand-over of
// the choice through the ProgramState when the user confirms.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "files/chooser_dialogs.h"
#include "files/file_manager.h"

#include <cstddef>
#include <string>
#include <vector>

namespace lexmora::files {

inline constexpr const char* kSearchFilesCaption = "Select files to search";
inline constexpr const char* kIncludeInListCaption = "Select files to include in list";
inline constexpr const char* kImportListCaption = "Select file containing list of files to import";
inline constexpr const char* kKeywordFilesCaption =
    "Select files containing keywords to search for";
inline constexpr const char* kCodeFilesCaption = " Searching for Code Files ";
inline constexpr const char* kFileManagerCaption = "File Manager";
inline constexpr const char* kWordCountCaption = "Select Files for Wordcount";

inline constexpr const char* kMakeListCaption = "&Make File List";
inline constexpr const char* kUpdateListCaption = "&Update List";
inline constexpr const char* kFilesSelectedSuffix = " file(s) selected";
inline constexpr const char* kSaveListPrompt = "Please enter new name below (max. 50 characters)";

enum class ChooserRole {
    SearchFiles,
    IncludeInList,
    ImportList,
    KeywordFiles,
    CodeFiles,
    FileManager,
    WordCount,
    Other
};

ChooserRole RoleOfCaption(const std::string& caption);

// n followed by " file(s) selected".
std::string FilesSelectedText(std::size_t count);

class FileChooser {
public:
    FileChooser(ProgramState& state, Prompter& prompter, ChooserDialogs& dialogs);

    // Shown by a caller that has set the ProgramState fields; the caption selects the role.
    void open(const std::string& caption);

    // --- what the window shows --------------------------------------------------------------
    const std::string& caption() const { return m_caption; }
    ChooserRole role() const { return m_role; }
    const std::string& folder() const { return m_folder; }
    const std::string& pattern() const { return m_pattern; }
    const std::vector<std::string>& files() const { return m_files; } // names, list order
    bool isChosen(std::size_t index) const { return index < m_chosen.size() && m_chosen[index]; }
    std::vector<std::string> chosenNames() const;
    std::size_t chosenCount() const;
    std::string countLabel() const;
    bool allFoldersTicked() const { return m_allFolders; }
    bool allFoldersEnabled() const { return !m_state.SourceIsFileList; }
    const char* listButtonCaption() const;
    bool listButtonEnabled() const;
    bool saveListEnabled() const;
    bool listOptionsVisible() const { return m_role == ChooserRole::WordCount; }
    FileManagerButtons fileManagerButtons() const;
    // Choosing result files: the mode set-up is skipped and the buttons stay as they are.
    bool choosingResultFiles() const;
    bool resultOk() const { return m_resultOk; }
    bool closed() const { return m_closed; }

    // --- what the user does -----------------------------------------------------------------
    void changeFolder(const std::string& folder);
    void changeFileType(const std::string& pattern);
    void refresh(); // lists the folder again, keeping the choice of names still there
    // A click that chose (or un-chose) one file; keeps the one-list-file rule.
    void clickFile(std::size_t index, bool chosen);
    // Several files chosen at once (a range or "select all"); `last` is the one clicked last.
    void chooseFiles(const std::vector<std::size_t>& indices, std::size_t last);
    void tickAllFolders(bool ticked);
    // "&OK": true when the window closes.
    bool ok();
    void cancel();
    void makeFileList();
    bool saveList();   // true when the list was written
    bool importList(); // true when the window closes as by OK
    void clear();

private:
    void setCaption(const std::string& caption);
    void applyOneListFileRule(std::size_t last);
    bool requiresChoice() const;
    std::vector<std::string> chosenPaths() const;

    ProgramState& m_state;
    Prompter& m_prompter;
    ChooserDialogs& m_dialogs;
    std::string m_caption;
    ChooserRole m_role = ChooserRole::SearchFiles;
    std::string m_folder;
    std::string m_pattern;
    std::vector<std::string> m_files;
    std::vector<bool> m_chosen;
    bool m_allFolders = false;
    std::size_t m_treeFiles = 0;
    bool m_listChanged = false; // the stored list has changed since it was last saved
    bool m_resultOk = false;
    bool m_closed = false;
};

} // namespace lexmora::files
