#include "ui/frmGetDir.h"

#include "core/drives.h"
#include "core/paths.h"
#include "files/drive_list.h"
#include "files/file_patterns.h"
#include "files/folder_chooser.h"
#include "ui/chooser_dialogs_qt.h"
#include "ui/messages.h"
#include "ui/text_convert.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace lexmora::ui {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr std::size_t kShownPathLength = 50;

} // namespace

frmGetDir::frmGetDir(ProgramState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompter(prompter),
      m_ownDialogs(std::make_unique<QtChooserDialogs>(state, prompter, this)),
      m_dialogs(m_ownDialogs.get()) {
    setObjectName("frmGetDir");
    setWindowTitle(toQt(files::kSelectDirectoryCaption));
    setModal(true);

    auto* lblDrives = new QLabel("Drives", this);
    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName("Drive1");
    auto* lblFolders = new QLabel("Folders", this);
    m_dir1 = new QListWidget(this);
    m_dir1->setObjectName("Dir1");
    lblDrives->setBuddy(m_drive1); // names the box for a screen reader; a list takes no buddy
    m_dir1->setAccessibleName(QObject::tr("Folders"));
    m_lblPathName = new QLabel(this);
    m_lblPathName->setObjectName("lblPathName");
    m_lblBytesFree = new QLabel(this);
    m_lblBytesFree->setObjectName("lblBytesFree");
    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName("lblMessage");
    m_lblMessage->hide();
    m_lblPath = new QLabel(this);
    m_lblPath->setObjectName("lblPath");
    m_lblPath->hide();
    m_lblCodeCount = new QLabel(this);
    m_lblCodeCount->setObjectName("lblCodeCount");
    m_lblCodeCount->hide();
    m_cmdOk = new QPushButton("&OK", this);
    m_cmdOk->setObjectName("cmdOK");
    m_cmdCancel = new QPushButton("&Cancel", this);
    m_cmdCancel->setObjectName("cmdCancel");
    m_cmdCreate = new QPushButton("Create new &folder", this);
    m_cmdCreate->setObjectName("cmdCreate");

    auto* grid = new QGridLayout;
    grid->addWidget(lblFolders, 0, 0);
    grid->addWidget(m_lblPathName, 1, 0);
    grid->addWidget(m_dir1, 2, 0);
    grid->addWidget(lblDrives, 3, 0);
    grid->addWidget(m_drive1, 4, 0);
    grid->addWidget(m_lblBytesFree, 5, 0);
    grid->addWidget(m_lblCodeCount, 6, 0);
    grid->addWidget(m_lblMessage, 7, 0);
    grid->addWidget(m_lblPath, 8, 0);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    buttons->addSpacing(16);
    buttons->addWidget(m_cmdCreate);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);
    resize(460, 380);

    connect(m_cmdOk, &QPushButton::clicked, this, &frmGetDir::onOk);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmGetDir::onCancel);
    connect(m_cmdCreate, &QPushButton::clicked, this, &frmGetDir::onCreate);
    connect(m_drive1, &QComboBox::activated, this, &frmGetDir::onDriveChosen);
    // Enter and a double click open the highlighted folder.
    connect(m_dir1, &QListWidget::itemActivated, this, &frmGetDir::onFolderActivated);
}

frmGetDir::~frmGetDir() = default;

void frmGetDir::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmGetDir::openAtDialogFolder() {
    m_resultOk = false;
    openFolder(files::FolderChooserStart(m_state));
}

void frmGetDir::openFolder(const std::string& folder) {
    m_folder = files::ReachableFolder(folder);
    refresh();
}

void frmGetDir::refresh() {
    m_filling = true;
    m_drive1->clear();
    const std::string drive = DriveOf(m_folder);
    for (const auto& point : files::ListDrives()) {
        m_drive1->addItem(pathToQt(point), pathToQt(point));
        if (point == drive)
            m_drive1->setCurrentIndex(m_drive1->count() - 1);
    }
    m_dir1->clear();
    if (m_folder != "/") {
        auto* up = new QListWidgetItem("..", m_dir1);
        up->setData(kPathRole, pathToQt(FolderOf(m_folder)));
    }
    for (const auto& name : files::ListSubfolders(m_folder)) {
        auto* item = new QListWidgetItem(pathToQt(name), m_dir1);
        item->setData(kPathRole, pathToQt(JoinPath(m_folder, name)));
    }
    m_lblPathName->setText(pathToQt(ShortenPath(m_folder, kShownPathLength)));
    m_lblPathName->setToolTip(pathToQt(m_folder));
    m_lblBytesFree->setText(toQt(FormatFreeSpace(m_folder)));
    const bool codes = files::ShowsCodeFileCount(m_state);
    m_lblCodeCount->setVisible(codes);
    if (codes)
        m_lblCodeCount->setText(toQt(files::CodeFileCountText(m_folder)));
    m_filling = false;
}

void frmGetDir::onDriveChosen(int index) {
    if (m_filling || index < 0)
        return;
    const std::string drive = pathFromQt(m_drive1->itemData(index).toString());
    if (!IsDriveReady(drive)) {
        m_prompter.tell(ui::msg::CannotAccessDrive(m_state.MsgCannotAccessDrive));
        refresh();
        return;
    }
    openFolder(drive);
}

void frmGetDir::onFolderActivated(QListWidgetItem* item) {
    if (item != nullptr)
        openFolder(pathFromQt(item->data(kPathRole).toString()));
}

void frmGetDir::onOk() {
    if (m_lblMessage->isVisible() || m_lblPath->isVisible()) {
        m_lblMessage->hide();
        m_lblPath->hide();
        return;
    }
    if (!files::AcceptFolder(m_state, m_folder, m_prompter))
        return;
    m_resultOk = true;
    accept();
}

void frmGetDir::onCancel() {
    if (m_lblMessage->isVisible() || m_lblPath->isVisible()) {
        m_lblMessage->hide();
        m_lblPath->hide();
        m_lblPathName->hide();
        return;
    }
    m_resultOk = false;
    reject();
}

void frmGetDir::onCreate() {
    if (auto made = files::CreateFolderInteractively(m_state, m_folder, *m_dialogs, m_prompter))
        openFolder(*made);
}

std::optional<std::string> ChooseFolder(ProgramState& state, Prompter& prompter,
                                        const std::string& caption, QWidget* parent) {
    frmGetDir dialog(state, prompter, parent);
    dialog.setWindowTitle(toQt(caption));
    dialog.openAtDialogFolder();
    dialog.exec();
    if (!dialog.resultOk())
        return std::nullopt;
    return state.DialogFolder;
}

} // namespace lexmora::ui
