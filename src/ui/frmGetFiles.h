// The file chooser of every role (files to search, file lists, keyword and code files, the files
// to count) and the file manager. Its rules live in files::FileChooser and files::FileManager; this
// window draws them and passes the user's actions on.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "files/chooser_dialogs.h"
#include "files/file_chooser.h"
#include "files/file_manager.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;

namespace lexmora {
class FileViewer;
}

namespace lexmora::ui {

class frmGetFiles : public QDialog {
    Q_OBJECT
public:
    frmGetFiles(ProgramState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~frmGetFiles() override;

    // The folder chooser and text entry used on the way (tests give scripted answers).
    void setDialogs(files::ChooserDialogs* dialogs);
    // The viewer behind "&View"; without one the item is disabled.
    void setFileViewer(FileViewer* viewer) { m_viewer = viewer; }

    // Opening: the caller has set DialogFolder, DialogPattern, the list flags and
    // SourceFilesSaved; the caption selects the role.
    void prepare(const std::string& caption);

    // "Ok" when the user confirmed (or a list was imported); the choice is in the ProgramState.
    bool resultOk() const { return m_chooser->resultOk(); }
    files::FileChooser& chooser() { return *m_chooser; }

Q_SIGNALS:
    void listOptionsRequested(); // "&List Options" in the word-count role

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Captions;
    Captions createControls();
    void createPopup();
    void layOut(const Captions& captions);
    void connectControls();
    void sync();
    void fillLists();
    void syncSelection();
    void onFileSelection();
    void onFolderActivated(QListWidgetItem* item);
    void onDriveChosen(int index);
    void onFileType(int index);
    void onAllFolders(bool ticked);
    void onOk();
    void onCancel();
    void closeIfDone();
    void onCopy();
    void onMove();
    void onDelete();
    void onView();
    void onProtection();
    void showPopup(const QPoint& where);
    files::ChosenFiles chosenFiles() const;

    ProgramState& m_state;
    Prompter& m_prompter;
    std::unique_ptr<files::ChooserDialogs> m_ownDialogs;
    files::ChooserDialogs* m_dialogs;
    std::unique_ptr<files::FileChooser> m_chooser;
    std::unique_ptr<files::FileManager> m_manager;
    FileViewer* m_viewer = nullptr;
    std::string m_listedFolder;
    std::string m_listedPattern;
    std::vector<std::string> m_listedNames;
    std::string m_warnedDrive;
    bool m_filling = false;

    QComboBox* m_drvList;
    QListWidget* m_dirList;
    QListWidget* m_filList;
    QComboBox* m_cboFileType;
    QCheckBox* m_chkAllDirs;
    QLabel* m_lblFileCount;
    QLabel* m_lblPath;
    QLabel* m_lblBytesFree;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    QPushButton* m_cmdAddFiles;
    QPushButton* m_cmdSaveFiles;
    QPushButton* m_cmdImportFiles;
    QPushButton* m_cmdClearFiles;
    QPushButton* m_cmdListMenu;
    QPushButton* m_cmdCopy;
    QPushButton* m_cmdMove;
    QPushButton* m_cmdDelete;
    QMenu* m_popup;
};

// Shows the chooser modally with this caption; true when it returned "Ok".
bool ChooseFiles(ProgramState& state, Prompter& prompter, const std::string& caption,
                 QWidget* parent = nullptr, FileViewer* viewer = nullptr);

// Files chosen for something else than the search (keyword, code or result files). The chooser
// hands its choice over through the search's selection fields, so those are kept aside and put
// back: the files to search never change. Nothing unless the user confirmed with "Ok".
struct AsideChoice {
    std::string folder;  // as the user left the chooser
    std::string pattern; // likewise
    std::vector<std::string> paths;
};
std::optional<AsideChoice> ChooseFilesAside(ProgramState& state, Prompter& prompter,
                                            const std::string& caption, const std::string& folder,
                                            const std::string& pattern, QWidget* parent);

} // namespace lexmora::ui
