// The folder chooser: drive and folder lists, the free space of the drive, a new folder, and the
// refusal of read-only folders. Hand-over through DialogFolder.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "files/chooser_dialogs.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace lexmora::ui {

class frmGetDir : public QDialog {
    Q_OBJECT
public:
    frmGetDir(ProgramState& state, Prompter& prompter, QWidget* parent = nullptr);
    ~frmGetDir() override;

    // The text entry dialog used for a new folder name (tests give scripted answers).
    void setDialogs(files::ChooserDialogs* dialogs) { m_dialogs = dialogs; }

    // Opening: DialogFolder (or the current folder), moved up to a folder that can be reached.
    void openAtDialogFolder();
    void openFolder(const std::string& folder);
    const std::string& folderShown() const { return m_folder; }

    // "Ok" when a folder was accepted; DialogFolder then holds it.
    bool resultOk() const { return m_resultOk; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onOk();
    void onCancel();
    void onCreate();
    void onDriveChosen(int index);
    void onFolderActivated(QListWidgetItem* item);
    void refresh();

    ProgramState& m_state;
    Prompter& m_prompter;
    std::unique_ptr<files::ChooserDialogs> m_ownDialogs;
    files::ChooserDialogs* m_dialogs;
    std::string m_folder;
    bool m_resultOk = false;
    bool m_filling = false;

    QComboBox* m_drive1;
    QListWidget* m_dir1;
    QLabel* m_lblPathName;
    QLabel* m_lblBytesFree;
    QLabel* m_lblMessage;
    QLabel* m_lblPath;
    QLabel* m_lblCodeCount;
    QPushButton* m_cmdOk;
    QPushButton* m_cmdCancel;
    QPushButton* m_cmdCreate;
};

// Shows the chooser modally with this caption; the chosen folder (also left in DialogFolder)
// when it returned "Ok".
std::optional<std::string> ChooseFolder(ProgramState& state, Prompter& prompter,
                                        const std::string& caption, QWidget* parent = nullptr);

} // namespace lexmora::ui
