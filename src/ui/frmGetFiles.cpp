#include "ui/frmGetFiles.h"

#include "core/drives.h"
#include "core/paths.h"
#include "core/view_file.h"
#include "files/drive_list.h"
#include "files/file_patterns.h"
#include "files/messages.h"
#include "ui/chooser_dialogs_qt.h"
#include "ui/messages.h"
#include "ui/text_convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace lexmora::ui {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr std::size_t kShownPathLength = 50;

QPushButton* makeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

// The captions above the lists, which only the layout needs.
struct frmGetFiles::Captions {
    QLabel* drive;
    QLabel* folders;
    QLabel* files;
    QLabel* type;
};

frmGetFiles::frmGetFiles(ProgramState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompter(prompter),
      m_ownDialogs(std::make_unique<QtChooserDialogs>(state, prompter, this)),
      m_dialogs(m_ownDialogs.get()),
      m_chooser(std::make_unique<files::FileChooser>(state, prompter, *m_dialogs)),
      m_manager(std::make_unique<files::FileManager>(state, prompter, *m_dialogs)) {
    setObjectName("frmGetFiles");
    setModal(true);
    const Captions captions = createControls();
    createPopup();
    layOut(captions);
    connectControls();
}

frmGetFiles::Captions frmGetFiles::createControls() {
    auto* lblDrive = new QLabel("Drive", this);
    m_drvList = new QComboBox(this);
    m_drvList->setObjectName("drvList");
    auto* lblFolders = new QLabel("Folders", this);
    m_dirList = new QListWidget(this);
    m_dirList->setObjectName("dirList");
    auto* lblFiles = new QLabel(" Files ", this);
    m_filList = new QListWidget(this);
    m_filList->setObjectName("filList");
    // Names for a screen reader: a list takes none from a buddy label.
    m_dirList->setAccessibleName(QObject::tr("Folders"));
    m_filList->setAccessibleName(QObject::tr("Files"));
    m_filList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_filList->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* lblType = new QLabel(" List Files of Type", this);
    m_cboFileType = new QComboBox(this);
    m_cboFileType->setObjectName("cboFileType");
    for (const char* type : files::kFileTypes)
        m_cboFileType->addItem(type);
    m_chkAllDirs = new QCheckBox(" All &Files/Folders", this);
    m_chkAllDirs->setObjectName("chkAllDirs");
    m_lblFileCount = new QLabel(this);
    m_lblFileCount->setObjectName("lblFileCount");
    m_lblPath = new QLabel(this);
    m_lblPath->setObjectName("lblPath");
    m_lblBytesFree = new QLabel(this);
    m_lblBytesFree->setObjectName("lblBytesFree");

    m_cmdOK = makeButton("cmdOK", "&OK", this);
    m_cmdOK->setDefault(true);
    m_cmdCancel = makeButton("cmdCancel", "&Cancel", this);
    m_cmdAddFiles = makeButton("cmdAddFiles", files::kMakeListCaption, this);
    m_cmdSaveFiles = makeButton("cmdSaveFiles", "&Save List", this);
    m_cmdImportFiles = makeButton("cmdImportFiles", "&Import List", this);
    m_cmdClearFiles = makeButton("cmdClearFiles", "C&lear", this);
    m_cmdListMenu = makeButton("cmdListMenu", "&List Options", this);
    m_cmdCopy = makeButton("cmdCopy", "Co&py", this);
    m_cmdMove = makeButton("cmdMove", "&Move", this);
    m_cmdDelete = makeButton("cmdDelete", "&Delete", this);
    return Captions{lblDrive, lblFolders, lblFiles, lblType};
}

// The list's popup menu; copy, delete and move first check that files are chosen.
void frmGetFiles::createPopup() {
    m_popup = new QMenu("File Actions", this);
    m_popup->setObjectName("mnuFileActions");
    const struct {
        const char* name;
        const char* caption;
        void (frmGetFiles::*slot)();
    } items[] = {
        {"mnuAdd", "&Add to list", nullptr}, // connected below: it is "&Make File List" on the
                                             // chosen files
        {"mnuCopy", "&Copy", &frmGetFiles::onCopy},
        {"mnuDelete", "&Delete", &frmGetFiles::onDelete},
        {"mnuMove", "&Move", &frmGetFiles::onMove},
        {"mnuView", "&View", &frmGetFiles::onView},
    };
    for (const auto& item : items) {
        QAction* action = m_popup->addAction(item.caption);
        action->setObjectName(item.name);
        if (item.slot != nullptr) {
            const auto slot = item.slot;
            const std::string name = item.name;
            connect(action, &QAction::triggered, this, [this, slot, name] {
                const char* what = name == "mnuCopy"     ? "copy"
                                   : name == "mnuDelete" ? "delete"
                                   : name == "mnuMove"   ? "move"
                                                         : nullptr;
                if (what != nullptr && !m_manager->CheckChosen(chosenFiles(), what))
                    return;
                (this->*slot)();
            });
        } else {
            connect(action, &QAction::triggered, this, [this] {
                m_chooser->makeFileList();
                sync();
            });
        }
    }
}

void frmGetFiles::layOut(const Captions& captions) {
    auto* grid = new QGridLayout;
    grid->addWidget(captions.files, 0, 0);
    grid->addWidget(m_filList, 1, 0, 3, 1);
    grid->addWidget(captions.type, 4, 0);
    grid->addWidget(m_cboFileType, 5, 0);
    grid->addWidget(m_lblFileCount, 6, 0);
    grid->addWidget(captions.folders, 0, 1);
    grid->addWidget(m_lblPath, 1, 1);
    grid->addWidget(m_dirList, 2, 1, 2, 1);
    grid->addWidget(captions.drive, 4, 1);
    grid->addWidget(m_drvList, 5, 1);
    grid->addWidget(m_lblBytesFree, 6, 1);
    grid->addWidget(m_chkAllDirs, 7, 0, 1, 2);
    grid->setRowStretch(3, 1); // the lists take the height, the labels keep theirs
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_cmdOK, m_cmdCancel})
        buttons->addWidget(button);
    buttons->addSpacing(12);
    for (QPushButton* button :
         {m_cmdAddFiles, m_cmdSaveFiles, m_cmdImportFiles, m_cmdClearFiles, m_cmdListMenu})
        buttons->addWidget(button);
    buttons->addSpacing(12);
    for (QPushButton* button : {m_cmdCopy, m_cmdMove, m_cmdDelete})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(640, 440);
}

void frmGetFiles::connectControls() {
    connect(m_filList, &QListWidget::itemSelectionChanged, this, &frmGetFiles::onFileSelection);
    connect(m_filList, &QWidget::customContextMenuRequested, this, &frmGetFiles::showPopup);
    connect(m_dirList, &QListWidget::itemActivated, this, &frmGetFiles::onFolderActivated);
    connect(m_drvList, &QComboBox::activated, this, &frmGetFiles::onDriveChosen);
    connect(m_cboFileType, &QComboBox::activated, this, &frmGetFiles::onFileType);
    connect(m_chkAllDirs, &QCheckBox::clicked, this, &frmGetFiles::onAllFolders);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmGetFiles::onOk);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmGetFiles::onCancel);
    connect(m_cmdAddFiles, &QPushButton::clicked, this, [this] {
        m_chooser->makeFileList();
        sync();
    });
    connect(m_cmdSaveFiles, &QPushButton::clicked, this, [this] {
        m_chooser->saveList();
        sync();
    });
    connect(m_cmdImportFiles, &QPushButton::clicked, this, [this] {
        m_chooser->importList();
        closeIfDone();
    });
    connect(m_cmdClearFiles, &QPushButton::clicked, this, [this] {
        m_chooser->clear();
        sync();
    });
    connect(m_cmdListMenu, &QPushButton::clicked, this, &frmGetFiles::listOptionsRequested);
    connect(m_cmdCopy, &QPushButton::clicked, this, &frmGetFiles::onCopy);
    connect(m_cmdMove, &QPushButton::clicked, this, &frmGetFiles::onMove);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmGetFiles::onDelete);
    for (const char* keys : {"Ctrl+D", "Ctrl+W"}) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, &frmGetFiles::onProtection);
    }
}

frmGetFiles::~frmGetFiles() = default;

void frmGetFiles::setDialogs(files::ChooserDialogs* dialogs) {
    m_dialogs = dialogs;
    m_chooser = std::make_unique<files::FileChooser>(m_state, m_prompter, *m_dialogs);
    m_manager = std::make_unique<files::FileManager>(m_state, m_prompter, *m_dialogs);
}

void frmGetFiles::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmGetFiles::prepare(const std::string& caption) {
    m_chooser->open(caption);
    m_listedFolder.clear();
    sync();
}

files::ChosenFiles frmGetFiles::chosenFiles() const {
    return {m_chooser->folder(), m_chooser->chosenNames()};
}

void frmGetFiles::fillLists() {
    const std::string& folder = m_chooser->folder();
    m_drvList->clear();
    const std::string drive = DriveOf(folder);
    for (const auto& point : files::ListDrives()) {
        m_drvList->addItem(pathToQt(point), pathToQt(point));
        if (point == drive)
            m_drvList->setCurrentIndex(m_drvList->count() - 1);
    }
    m_dirList->clear();
    if (folder != "/") {
        auto* up = new QListWidgetItem("..", m_dirList);
        up->setData(kPathRole, pathToQt(FolderOf(folder)));
    }
    for (const auto& name : files::ListSubfolders(folder)) {
        auto* item = new QListWidgetItem(pathToQt(name), m_dirList);
        item->setData(kPathRole, pathToQt(JoinPath(folder, name)));
    }
    m_filList->clear();
    for (const auto& name : m_chooser->files())
        m_filList->addItem(pathToQt(name));
    m_listedNames = m_chooser->files();
    m_listedFolder = folder;
    m_listedPattern = m_chooser->pattern();
}

void frmGetFiles::syncSelection() {
    for (int i = 0; i < m_filList->count(); ++i)
        m_filList->item(i)->setSelected(m_chooser->isChosen(static_cast<std::size_t>(i)));
}

// Draws the chooser's state: lists when the folder or pattern changed, then every label and button.
void frmGetFiles::sync() {
    m_filling = true;
    setWindowTitle(toQt(m_chooser->caption()));
    if (m_listedFolder != m_chooser->folder() || m_listedPattern != m_chooser->pattern() ||
        m_listedNames != m_chooser->files())
        fillLists();
    syncSelection();
    const int type = m_cboFileType->findText(QString::fromStdString(m_chooser->pattern()));
    if (type >= 0) {
        m_cboFileType->setCurrentIndex(type);
    } else {
        m_cboFileType->addItem(pathToQt(m_chooser->pattern()));
        m_cboFileType->setCurrentIndex(m_cboFileType->count() - 1);
    }
    m_lblPath->setText("Path: " + pathToQt(ShortenPath(m_chooser->folder(), kShownPathLength)));
    m_lblPath->setToolTip(pathToQt(m_chooser->folder()));
    m_lblBytesFree->setText(toQt(FormatFreeSpace(m_chooser->folder())));
    m_lblFileCount->setText(toQt(m_chooser->countLabel()));
    m_chkAllDirs->setChecked(m_chooser->allFoldersTicked());
    if (!m_chooser->choosingResultFiles()) {
        m_chkAllDirs->setEnabled(m_chooser->allFoldersEnabled());
        m_cmdAddFiles->setText(m_chooser->listButtonCaption());
        m_cmdAddFiles->setEnabled(m_chooser->listButtonEnabled());
        m_cmdSaveFiles->setEnabled(m_chooser->saveListEnabled());
        m_cmdListMenu->setVisible(m_chooser->listOptionsVisible());
        const files::FileManagerButtons manager = m_chooser->fileManagerButtons();
        m_cmdCopy->setEnabled(manager.copy);
        m_cmdMove->setEnabled(manager.move);
        m_cmdDelete->setEnabled(manager.remove);
        m_popup->findChild<QAction*>("mnuView")->setEnabled(m_viewer != nullptr);
    }
    m_filling = false;
}

void frmGetFiles::onFileSelection() {
    if (m_filling)
        return;
    std::vector<std::size_t> chosen;
    for (int i = 0; i < m_filList->count(); ++i)
        if (m_filList->item(i)->isSelected())
            chosen.push_back(static_cast<std::size_t>(i));
    const int current = m_filList->currentRow();
    m_chooser->chooseFiles(chosen, current < 0 ? chosen.empty() ? 0 : chosen.back()
                                               : static_cast<std::size_t>(current));
    sync();
}

void frmGetFiles::onFolderActivated(QListWidgetItem* item) {
    if (item == nullptr)
        return;
    m_chooser->changeFolder(pathFromQt(item->data(kPathRole).toString()));
    sync();
}

void frmGetFiles::onDriveChosen(int index) {
    if (m_filling || index < 0)
        return;
    const std::string drive = pathFromQt(m_drvList->itemData(index).toString());
    // Once per change to a removable drive.
    if (DriveType(drive) == kDriveRemovable && drive != m_warnedDrive)
        m_prompter.tell(files::msg::RemovableDriveWarning());
    m_warnedDrive = drive;
    if (!IsDriveReady(drive)) {
        m_prompter.tell(ui::msg::CannotAccessDrive(m_state.MsgCannotAccessDrive));
        sync();
        return;
    }
    m_chooser->changeFolder(drive);
    sync();
}

void frmGetFiles::onFileType(int index) {
    if (m_filling || index < 0)
        return;
    m_chooser->changeFileType(pathFromQt(m_cboFileType->itemText(index)));
    sync();
}

void frmGetFiles::onAllFolders(bool ticked) {
    m_chooser->tickAllFolders(ticked);
    sync();
}

void frmGetFiles::closeIfDone() {
    if (m_chooser->closed()) {
        if (m_chooser->resultOk())
            accept();
        else
            reject();
        return;
    }
    sync();
}

void frmGetFiles::onOk() {
    m_chooser->ok();
    closeIfDone();
}

void frmGetFiles::onCancel() {
    m_chooser->cancel();
    closeIfDone();
}

void frmGetFiles::onCopy() {
    m_manager->CopyChosenFiles(chosenFiles());
    m_chooser->refresh();
    sync();
}

void frmGetFiles::onMove() {
    m_manager->MoveChosenFiles(chosenFiles());
    m_chooser->refresh();
    sync();
}

void frmGetFiles::onDelete() {
    const files::DeleteReport report =
        m_manager->DeleteChosenFiles(chosenFiles(), m_chooser->pattern());
    if (report.folderRemoved)
        m_chooser->changeFolder(report.showFolder);
    else
        m_chooser->refresh();
    sync();
}

void frmGetFiles::onView() {
    const int row = m_filList->currentRow();
    if (m_viewer == nullptr || row < 0)
        return;
    m_state.DialogFolder = m_chooser->folder();
    ViewFile(m_chooser->files()[static_cast<std::size_t>(row)], m_chooser->folder(), "", m_state,
             m_prompter, *m_viewer);
}

void frmGetFiles::onProtection() {
    m_manager->ToggleProtection();
    sync();
}

void frmGetFiles::showPopup(const QPoint& where) {
    m_popup->popup(m_filList->viewport()->mapToGlobal(where));
}

bool ChooseFiles(ProgramState& state, Prompter& prompter, const std::string& caption,
                 QWidget* parent, FileViewer* viewer) {
    frmGetFiles dialog(state, prompter, parent);
    dialog.setFileViewer(viewer);
    dialog.prepare(caption);
    dialog.exec();
    return dialog.resultOk();
}

namespace {

// The fields the chooser hands its choice over in.
struct SourceSelection {
    explicit SourceSelection(const ProgramState& s)
        : folder(s.DialogFolder), pattern(s.DialogPattern), saved(s.SourceFilesSaved),
          stored(s.StoredFileList), count(s.SourceFileCount), subfolders(s.IncludeSubfolders),
          list(s.SourceIsFileList), making(s.MakingFileList), allFiles(s.AllFilesInFolder) {}
    void restore(ProgramState& s) const {
        s.DialogFolder = folder;
        s.DialogPattern = pattern;
        s.SourceFilesSaved = saved;
        s.StoredFileList = stored;
        s.SourceFileCount = count;
        s.IncludeSubfolders = subfolders;
        s.SourceIsFileList = list;
        s.MakingFileList = making;
        s.AllFilesInFolder = allFiles;
    }
    std::string folder, pattern;
    std::vector<std::string> saved, stored;
    long long count;
    bool subfolders, list, making, allFiles;
};

} // namespace

std::optional<AsideChoice> ChooseFilesAside(ProgramState& state, Prompter& prompter,
                                            const std::string& caption, const std::string& folder,
                                            const std::string& pattern, QWidget* parent) {
    const SourceSelection kept(state);
    state.DialogFolder = folder;
    state.DialogPattern = pattern;
    state.SourceFilesSaved.clear();
    state.IncludeSubfolders = false;
    state.SourceIsFileList = false;
    state.MakingFileList = false;
    std::optional<AsideChoice> chosen;
    if (ChooseFiles(state, prompter, caption, parent)) {
        chosen.emplace();
        chosen->folder = state.DialogFolder;
        chosen->pattern = state.DialogPattern;
        for (const std::string& name : state.SourceFilesSaved)
            chosen->paths.push_back(JoinPath(state.DialogFolder, name));
    }
    kept.restore(state);
    return chosen;
}

} // namespace lexmora::ui
