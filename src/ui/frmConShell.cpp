#include "ui/frmConShell.h"

#include "codes/code_tables.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/program_exit.h"
#include "core/settings_panel.h"
#include "files/file_chooser.h"
#include "files/file_patterns.h"
#include "files/source_choice.h"
#include "keywords/keyword_file.h"
#include "keywords/keyword_handover.h"
#include "search/kwic_screen.h"
#include "search/search_run.h"
#include "ui/code_files_qt.h"
#include "ui/collocates_window.h"
#include "ui/frmContext.h"
#include "ui/frmGetDir.h"
#include "ui/frmGetFiles.h"
#include "ui/frmStrings.h"
#include "ui/frmViewCount.h"
#include "ui/frmViewScreen.h"
#include "ui/frmWeb.h"
#include "ui/help_qt.h"
#include "ui/messages.h"
#include "ui/ngrams_window.h"
#include "ui/result_file_chooser_qt.h"
#include "ui/shared_menus.h"
#include "ui/table_window.h"
#include "ui/text_convert.h"
#include "ui/viewer_run_qt.h"
#include "viewer/result_viewer.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <tuple>

namespace lexmora::ui {
namespace {

constexpr const char* kCaption = "      KWIC-LEXMORA";

// A small painted flag per language: index 0 English to 4 Spanish.
QPixmap flagPixmap(int language) {
    QPixmap pixmap(36, 24);
    QPainter p(&pixmap);
    const QRect r = pixmap.rect();
    auto vertical = [&](QColor a, QColor b, QColor c) {
        p.fillRect(0, 0, 12, 24, a);
        p.fillRect(12, 0, 12, 24, b);
        p.fillRect(24, 0, 12, 24, c);
    };
    switch (language) {
    case 0: // white with a red cross
        p.fillRect(r, Qt::white);
        p.fillRect(15, 0, 6, 24, QColor(200, 16, 46));
        p.fillRect(0, 9, 36, 6, QColor(200, 16, 46));
        break;
    case 1:
        vertical(QColor(0, 35, 149), Qt::white, QColor(237, 41, 57));
        break;
    case 2:
        p.fillRect(0, 0, 36, 8, Qt::black);
        p.fillRect(0, 8, 36, 8, QColor(221, 0, 0));
        p.fillRect(0, 16, 36, 8, QColor(255, 206, 0));
        break;
    case 3:
        vertical(QColor(0, 146, 70), Qt::white, QColor(206, 43, 55));
        break;
    default:
        p.fillRect(r, QColor(170, 21, 27));
        p.fillRect(0, 6, 36, 12, QColor(241, 191, 0));
        break;
    }
    p.setPen(Qt::gray);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    return pixmap;
}

QLabel* panelLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

frmConShell::frmConShell(ProgramState& state, StartValues& start, Prompter& prompter,
                         QWidget* parent)
    : QMainWindow(parent), m_state(state), m_start(start), m_prompter(prompter) {
    setObjectName("frmConShell");
    setWindowTitle(kCaption);
    setAcceptDrops(true);
    buildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(buildIcons());
    layout->addWidget(buildPanel());
    layout->addWidget(buildOptions());
    setCentralWidget(central);

    m_filesText->setText(kNoneSelected);
    m_stringsText->setText(kNoneSelected);
    setCodeMode(m_state.CodeMode == 0 ? 0 : 1);
    const std::string caption = m_state.LanguageName;
    switchLanguage(static_cast<LanguageId>(m_state.LanguageIndex));
    // A stored word outside the five stays the caption, and is what the exit compares.
    m_state.LanguageName = caption;
    m_languageText->setText(toQt(caption));
    applyUserLevel();
    refreshPanel();
    updateSaveOptions();
}

QAction* frmConShell::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void frmConShell::buildMenus() {
    QMenu* files = menuBar()->addMenu(tr("&Files"));
    files->setObjectName("mnuFiles");
    connect(addItem(files, "mnuSource", tr("&Select Files to Search")), &QAction::triggered, this,
            &frmConShell::chooseSources);
    connect(addItem(files, "mnuTarget", tr("Save &Results to...")), &QAction::triggered, this,
            &frmConShell::chooseTarget);
    QAction* separator1 = files->addSeparator();
    QAction* codeFiles = addItem(files, "mnuWPCodes", tr("&Code Files"));
    connect(codeFiles, &QAction::triggered, this, &frmConShell::chooseCodeFiles);
    QAction* keywordFiles = addItem(files, "mnuStringFiles", tr("&Keyword Files"));
    connect(keywordFiles, &QAction::triggered, this, [this] { enterKeywords(true); });
    m_advancedOnly << separator1 << codeFiles << keywordFiles;
    m_advancedOnly << files->addSeparator();
    connect(addItem(files, "mnuViewDump", tr("&View Search Results")), &QAction::triggered, this,
            [this] { viewSearchResults(); });
    connect(addItem(files, "mnuCollocates", tr("C&ollocates of a Result File...")),
            &QAction::triggered, this, [this] { openCollocates(); });
    connect(addItem(files, "mnuLogFile", tr("View &Log Files")), &QAction::triggered, this,
            [this] { ViewLogFiles(m_state, m_prompter, m_viewer, this); });
    connect(addItem(files, "mnuFrequencyFiles", tr("View Word &Frequency Files")),
            &QAction::triggered, this,
            [this] { RunWordFrequency(m_state, m_prompter, FrequencyWindowMode::Viewing, this); });
    QMenu* recent = files->addMenu(tr("&Recent Files"));
    recent->setObjectName("mnuRecent");
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(recent); });
    QAction* fileManager = addItem(files, "mnuFileManager", tr("File &Manager"));
    connect(fileManager, &QAction::triggered, this, &frmConShell::openFileManager);
    m_advancedOnly << fileManager;
    files->addSeparator();
    // Leaves at once, without the questions of the Exit button.
    connect(addItem(files, "mnuExit", tr("E&xit")), &QAction::triggered, this, [this] {
        m_leaving = true;
        QApplication::quit();
    });

    QMenu* options = menuBar()->addMenu(tr("&Options"));
    options->setObjectName("mnuOptions");
    QMenu* strings = options->addMenu(tr("&Enter Keywords"));
    strings->setObjectName("mnuStrings");
    connect(addItem(strings, "mnuFromKeyboard", tr("from &Keyboard")), &QAction::triggered, this,
            [this] { enterKeywords(false); });
    QAction* fromFiles = addItem(strings, "mnuFromFiles", tr("from &Files"));
    connect(fromFiles, &QAction::triggered, this, [this] { enterKeywords(true); });
    m_advancedOnly << fromFiles;
    connect(addItem(options, "mnuContext", tr("&Context Settings")), &QAction::triggered, this,
            &frmConShell::openContextSettings);
    connect(addItem(options, "mnuWordcount", tr("&Word Frequency Count")), &QAction::triggered,
            this,
            [this] { RunWordFrequency(m_state, m_prompter, FrequencyWindowMode::Counting, this); });
    connect(addItem(options, "mnuNgrams", tr("&N-grams...")), &QAction::triggered, this,
            [this] { openNgrams(); });

    m_codesMenu = options->addMenu(tr("&Codes"));
    m_codesMenu->setObjectName("mnuWordProcessors");
    m_codeItems = FillCodesMenu(m_codesMenu, m_state, [this](int mode) { setCodeMode(mode); });

    m_languageMenu = options->addMenu(tr("&Language"));
    m_languageMenu->setObjectName("mnuLanguage");
    m_languageItems =
        FillLanguageMenu(m_languageMenu, [this](LanguageId language) { switchLanguage(language); });

    const UserLevelItems userLevel =
        AddUserLevelMenu(options, m_state, [this] { applyUserLevel(); });
    m_userAdvanced = userLevel.advanced;
    m_userNormal = userLevel.normal;

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName("mnuhelp");
    QMenu* showHelpMenu = help->addMenu(tr("&Help"));
    showHelpMenu->setObjectName("mnuShowhelp");
    connect(addItem(showHelpMenu, "mnuKWICLEXMORA", tr("on KWIC-LEXMORA")), &QAction::triggered,
            this, [this] { ShowHelpTopic(this, m_state, m_prompter, help::kIndex); });
    connect(addItem(showHelpMenu, "mnuWindow", tr("on this window")), &QAction::triggered, this,
            [this] { ShowHelpTopic(this, m_state, m_prompter, help::kMainWindow); });
    connect(addItem(help, "mnuAbout", tr("&About")), &QAction::triggered, this,
            &frmConShell::showAbout);
}

QWidget* frmConShell::buildIcons() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    struct Icon {
        const char* name;
        const char* tip;
        QStyle::StandardPixmap pixmap;
    };
    const Icon icons[] = {
        {"imgSource", " files to search ", QStyle::SP_DirOpenIcon},
        {"imgTarget", " save results to...", QStyle::SP_DialogSaveButton},
        {"imgKeyboard", " enter keywords ", QStyle::SP_FileDialogContentsView},
        {"imgView", " view search results ", QStyle::SP_FileDialogDetailedView},
    };
    for (const Icon& icon : icons) {
        auto* button = new QToolButton(bar);
        button->setObjectName(icon.name);
        button->setToolTip(icon.tip);
        button->setAccessibleName(QString(icon.tip).trimmed()); // a picture alone says nothing
        // Some styles have only a small picture for an icon: it is scaled to the bar's size.
        const QPixmap picture = style()->standardIcon(icon.pixmap).pixmap(32, 32);
        button->setIcon(picture.width() >= 32 ? picture
                                              : picture.scaled(32, 32, Qt::KeepAspectRatio,
                                                               Qt::SmoothTransformation));
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(true);
        row->addWidget(button);
    }
    connect(bar->findChild<QToolButton*>("imgSource"), &QToolButton::clicked, this,
            &frmConShell::chooseSources);
    connect(bar->findChild<QToolButton*>("imgTarget"), &QToolButton::clicked, this,
            &frmConShell::chooseTarget);
    connect(bar->findChild<QToolButton*>("imgKeyboard"), &QToolButton::clicked, this,
            [this] { enterKeywords(false); });
    connect(bar->findChild<QToolButton*>("imgView"), &QToolButton::clicked, this,
            [this] { viewSearchResults(); });
    row->addStretch();
    for (int i = 0; i < 5; ++i) {
        auto* flag = new QLabel(bar);
        flag->setObjectName(QString("imgLanguage%1").arg(i));
        flag->setPixmap(flagPixmap(i));
        flag->setToolTip(" change language ");
        flag->setCursor(Qt::PointingHandCursor);
        flag->installEventFilter(this);
        m_flags[static_cast<std::size_t>(i)] = flag;
        row->addWidget(flag);
    }
    auto* logo = new QLabel("<b>KWIC-LEXMORA</b>", bar);
    logo->setObjectName("imgLexmora");
    row->addWidget(logo);
    return bar;
}

QWidget* frmConShell::buildPanel() {
    auto* frame = new QGroupBox("  CURRENT SETTINGS  ", this);
    frame->setObjectName("picDefaultFrame");
    auto* grid = new QGridLayout(frame);
    struct Row {
        const char* caption;
        const char* captionText;
        const char* value;
        QLabel** slot;
    };
    const Row rows[] = {
        {"lblSourceDir", " Search files in", "lblSourceDirText", &m_sourceText},
        {"lblFiles", " Files to search", "lblFilesText", &m_filesText},
        {"lblTarget", " Save results to", "lblTargetText", &m_targetText},
        {"lblStrings", " Select keywords ", "lblStringsText", &m_stringsText},
        {"lblContext", " Context", "lblContextText", &m_contextText},
        {"lblLanguage", " Language", "lblLanguageText", &m_languageText},
        {"lblWordProcessor", " Character codes", "lblWordprocessorText", &m_codesText},
    };
    int line = 0;
    for (const Row& row : rows) {
        QLabel* caption = panelLabel(row.caption, row.captionText, frame);
        QLabel* value = panelLabel(row.value, QString(), frame);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        value->setTextInteractionFlags(Qt::NoTextInteraction);
        caption->installEventFilter(this);
        value->installEventFilter(this);
        grid->addWidget(caption, line, 0);
        grid->addWidget(value, line, 1);
        *row.slot = value;
        ++line;
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QWidget* frmConShell::buildOptions() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    m_chkSave = new QCheckBox(tr("Save to File"), box);
    m_chkSave->setObjectName("chkSave");
    m_optAnsi = new QRadioButton(" as ANSI", box);
    m_optAnsi->setObjectName("optAnsi");
    m_optAscii = new QRadioButton(" as ASCII", box);
    m_optAscii->setObjectName("optAscii");
    m_chkSingle = new QCheckBox(tr("Single File"), box);
    m_chkSingle->setObjectName("chkSingle");
    m_cmdSearch = new QPushButton(tr("&Search"), box);
    m_cmdSearch->setObjectName("cmdSearch");
    connect(m_cmdSearch, &QPushButton::clicked, this, &frmConShell::runSearchCommand);
    m_cmdExit = new QPushButton(tr("&Exit"), box);
    m_cmdExit->setObjectName("cmdExit");
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_chkSave, m_optAnsi, m_optAscii, m_chkSingle})
        row->addWidget(w);
    row->addStretch();
    row->addWidget(m_cmdSearch);
    row->addWidget(m_cmdExit);

    m_optAnsi->setChecked(m_state.ResultCode != 2);
    m_optAscii->setChecked(m_state.ResultCode == 2);
    m_chkSave->setChecked(m_state.SaveToFile);
    connect(m_chkSave, &QCheckBox::toggled, this, [this](bool on) {
        m_state.SaveToFile = on;
        updateSaveOptions();
    });
    connect(m_optAnsi, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_state.ResultCode = 1;
    });
    connect(m_optAscii, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_state.ResultCode = 2;
    });
    connect(m_chkSingle, &QCheckBox::toggled, this, [this](bool on) { m_state.SingleFile = on; });
    connect(m_cmdExit, &QPushButton::clicked, this, &QWidget::close);
    return box;
}

void frmConShell::updateSaveOptions() {
    const bool save = m_state.SaveToFile;
    m_optAnsi->setEnabled(save);
    m_optAscii->setEnabled(save);
    if (!save)
        m_chkSingle->setChecked(false);
    const bool several = m_state.Keywords.size() > 1;
    m_chkSingle->setEnabled(save && several);
    // A greyed option says what makes it available.
    const QString saveFirst = save ? QString() : tr("Tick \"Save to File\" to choose this");
    for (QWidget* option : std::initializer_list<QWidget*>{m_optAnsi, m_optAscii})
        option->setToolTip(saveFirst);
    m_chkSingle->setToolTip(!save      ? saveFirst
                            : !several ? tr("Enter more than one keyword to keep all their hits "
                                            "in one result file")
                                       : tr("Keep the hits of every keyword in one result file"));
}

void frmConShell::refreshPanel() {
    m_sourceText->setText(pathToQt(SourcePanelText(m_state)));
    if (!m_state.TargetDirectory.empty() && !FolderExists(m_state.TargetDirectory))
        m_state.TargetDirectory = FolderOf(m_state.TargetDirectory);
    m_targetText->setText(pathToQt(TargetPanelText(m_state)));
    m_contextText->setText(
        toQt(m_contextShortForm ? ContextPanelShortText(m_state.LeftContext, m_state.RightContext)
                                : ContextPanelText(m_state.LeftContext, m_state.RightContext)));
    // "Single File" follows the number of keywords, which the keyword window may have changed.
    updateSaveOptions();
}

void frmConShell::applyUserLevel() {
    m_userAdvanced->setChecked(m_state.AdvancedUser);
    m_userNormal->setChecked(!m_state.AdvancedUser);
    for (QAction* item : m_advancedOnly)
        item->setVisible(m_state.AdvancedUser);
}

void frmConShell::switchLanguage(LanguageId language) {
    ApplyLanguage(m_state, language);
    const auto index = static_cast<std::size_t>(language);
    m_languageItems[index]->setChecked(true);
    m_languageText->setText(toQt(m_state.LanguageName));
    for (std::size_t i = 0; i < m_flags.size(); ++i)
        m_flags[i]->setVisible(i == index);
}

void frmConShell::reapplyLanguage() {
    // Another window may have switched the language; a stored word outside the five stays the
    // caption, as at start-up.
    const std::string caption = m_state.LanguageName;
    switchLanguage(static_cast<LanguageId>(m_state.LanguageIndex));
    if (!LanguageFromName(caption)) {
        m_state.LanguageName = caption;
        m_languageText->setText(toQt(caption));
    }
}

void frmConShell::setCodeMode(int mode) {
    if (mode < 0 || mode >= m_codeItems.size() || !SetCodeMode(m_state, mode))
        return;
    m_codeItems[mode]->setChecked(true);
    m_codesText->setText(toQt(CodeModeCaption(m_state, mode)));
}

void frmConShell::showLanguageMenu(const QPoint& where) {
    m_languageMenu->popup(where);
}

bool frmConShell::eventFilter(QObject* watched, QEvent* event) {
    const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (!doubleClick && !press)
        return QMainWindow::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QString name = watched->objectName();
    const bool flag = name.startsWith("imgLanguage");
    if (flag && press && mouse->button() == Qt::LeftButton) {
        showLanguageMenu(mouse->globalPosition().toPoint());
        return true;
    }
    if (!(doubleClick || mouse->button() == Qt::RightButton))
        return QMainWindow::eventFilter(watched, event);
    if (name.startsWith("lblLanguage")) {
        showLanguageMenu(mouse->globalPosition().toPoint());
        return true;
    }
    if (name.startsWith("lblWordProcessor") || name.startsWith("lblWordprocessor")) {
        m_codesMenu->popup(mouse->globalPosition().toPoint());
        return true;
    }
    if (name.startsWith("lblSourceDir") || name.startsWith("lblFiles")) {
        chooseSources();
        return true;
    }
    if (name.startsWith("lblTarget")) {
        chooseTarget();
        return true;
    }
    if (name.startsWith("lblStrings")) {
        enterKeywords(false);
        return true;
    }
    if (name.startsWith("lblContext")) {
        openContextSettings();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmConShell::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        refreshPanel();
        reapplyLanguage();
    }
    QMainWindow::changeEvent(event);
}

bool frmConShell::runExit() {
    return RunExitSequence(m_state, m_start, m_prompter) == ExitOutcome::Leave;
}

void frmConShell::closeEvent(QCloseEvent* event) {
    if (m_leaving || runExit()) {
        m_leaving = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void frmConShell::chooseSources() {
    files::PrepareSourceChooser(m_state);
    if (ChooseFiles(m_state, m_prompter, files::SourceChooserCaption(m_state), this, &m_viewer))
        takeSources(files::TakeSourceChoice(m_state));
    refreshPanel();
}

void frmConShell::chooseTarget() {
    const std::string savedFolder = m_state.DialogFolder;
    m_state.DialogFolder =
        m_state.TargetDirectory.empty() ? CurrentFolder() : m_state.TargetDirectory;
    const auto folder = ChooseFolder(m_state, m_prompter, "   Save results to...", this);
    if (folder && !folder->empty())
        m_state.TargetDirectory = *folder;
    else if (m_state.TargetDirectory.empty())
        m_prompter.tell(ui::msg::NoTargetFolderSelected());
    m_state.DialogFolder = savedFolder;
    refreshPanel();
}

void frmConShell::openFileManager() {
    const std::string savedFolder = m_state.DialogFolder;
    const std::string savedPattern = m_state.DialogPattern;
    m_state.DialogFolder = m_state.SourceDirectory;
    m_state.DialogPattern = "*.*";
    ChooseFiles(m_state, m_prompter, files::kFileManagerCaption, this, &m_viewer);
    m_state.DialogFolder = savedFolder;
    m_state.DialogPattern = savedPattern;
    refreshPanel();
}

void frmConShell::chooseCodeFiles() {
    if (ChooseCodeFiles(m_state, m_prompter, this))
        m_codeItems = FillCodesMenu(m_codesMenu, m_state, [this](int mode) { setCodeMode(mode); });
    setCodeMode(m_state.CodeMode);
}

void frmConShell::showAbout() {
    QMessageBox::about(this, tr("About KWIC-LEXMORA"),
                       tr("<b>KWIC-LEXMORA</b> %1<br><br>A concordancer for plain texts in "
                          "English, French, German, Italian and Spanish: keywords in context, "
                          "sorting, collocation and word frequencies with norms per million.")
                           .arg(QApplication::applicationVersion()));
}

} // namespace lexmora::ui

namespace lexmora::ui {

void frmConShell::enterKeywords(bool fromFiles) {
    const bool changed = EditKeywords(this, m_state, m_prompter, fromFiles,
                                      [this](LanguageId language) { switchLanguage(language); });
    if (changed)
        m_stringsText->setText(
            toQt(fromFiles ? LoadedKeywordsCaption(m_state) : KeywordCountCaption(m_state)));
    // The window may have changed the user level, the brackets and the wildcard too.
    applyUserLevel();
    refreshPanel();
}

void frmConShell::openContextSettings() {
    if (RunContextSettings(m_state, this))
        m_contextShortForm = true;
    refreshPanel();
}

void frmConShell::runSearchCommand() {
    // The sources as chosen, a whole folder's files looked up now: the checks and the run read
    // them as values and leave the selection alone. Taken again whenever the source check is
    // repeated, since a chooser or a retry may change what there is to read.
    SearchRequest request;
    // The chooser a check asks for; false when it cannot be opened here.
    auto openChooser = [&](Chooser chooser) -> bool {
        switch (chooser) {
        case Chooser::None:
            return true;
        case Chooser::Source:
            chooseSources();
            return true;
        case Chooser::Target:
            chooseTarget();
            return true;
        case Chooser::Keywords:
            enterKeywords(false);
            return true;
        }
        return false;
    };
    auto passes = [&](const std::function<CheckResult()>& check) -> bool {
        for (;;) {
            const CheckResult result = check();
            if (!openChooser(result.chooser))
                return false;
            if (result.outcome != CheckOutcome::Repeat)
                return result.outcome == CheckOutcome::Passed;
        }
    };
    auto sourcesPass = [&] {
        request = SearchRequestFor(m_state);
        return CheckSourceFiles(request.sources, 0, m_prompter);
    };
    // The other checks, and the run, take the choices as the choosers opened on the way left
    // them, over the sources already checked.
    auto current = [&]() -> const SearchRequest& {
        request = SearchRequestFor(m_state, std::move(request.sources));
        return request;
    };
    const bool ready =
        passes(sourcesPass) && passes([&] { return CheckTargetFolder(current(), m_prompter); }) &&
        passes([&] { return CheckKeywords(m_state, current(), m_prompter); }) &&
        passes([&] { return CheckTargetDisk(current(), m_state.ProgramFolder, m_prompter); });
    if (!ready) {
        refreshPanel();
        return;
    }
    current(); // a chooser the last check opened

    // The run window: the KWIC screen in place of the main window.
    const QScreen* display = QGuiApplication::primaryScreen();
    const int lines =
        SearchScreenLines(display != nullptr ? display->size().height() : 0, m_state.ScreenLines);
    {
        frmViewScreen screen(m_state, m_prompter);
        screen.prepareForSearch(lines);
        if (onSearchScreenForTest)
            onSearchScreenForTest(screen);
        screen.show();
        hide();
        SearchRun run;
        RunSearch(m_state, request, run, screen, m_prompter);
        screen.endSearch();
        screen.beginSummary();
        ShowSearchSummary(request, run, m_state.ScreenLines, screen, m_prompter);
    }
    show();
    m_state.ExitFlag = ExitRequest::None;
    m_state.PauseFlag = false;
    refreshPanel();
}

void frmConShell::openCollocates() {
    const auto chosen = ChooseResultFiles(m_state, m_prompter, "Collocates of a result file",
                                          kViewFileMask, m_state.TargetDirectory, this);
    if (!chosen || chosen->empty())
        return;
    // Without the viewer the double-click has no lines to filter: the window reads all hits.
    TableWindow* window = MakeCollocatesWindow(
        m_state, m_prompter, CollocatesSource{chosen->front(), std::nullopt}, {}, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void frmConShell::openNgrams() {
    std::optional<std::string> wanted;
    NgramsWindow window(m_state, m_prompter, {}, this);
    window.setSearch([&window, &wanted](const std::string& ngram) {
        wanted = ngram;
        window.accept();
    });
    for (;;) {
        wanted.reset();
        window.exec();
        refreshPanel();
        if (!wanted)
            return;
        searchForNgram(*wanted);
        window.showSources();
    }
}

void frmConShell::searchForNgram(const std::string& ngram) {
    // The n-gram is searched for as one keyword; the user's own keywords come back afterwards.
    const auto keywords = std::tuple(m_state.Keywords, m_state.KeywordCase, m_state.KeywordRegex,
                                     m_state.ExcludeStrings, m_state.ExcludeCase);
    std::vector<KeywordEntry> list = {KeywordEntry{ngram, false, {}, false}};
    HandOverKeywords(m_state, list, "", false, false);
    runSearchCommand();
    std::tie(m_state.Keywords, m_state.KeywordCase, m_state.KeywordRegex, m_state.ExcludeStrings,
             m_state.ExcludeCase) = keywords;
}

void frmConShell::viewSearchResults() {
    RunViewerWindow(m_state, m_prompter, this);
    refreshPanel();
}

} // namespace lexmora::ui
