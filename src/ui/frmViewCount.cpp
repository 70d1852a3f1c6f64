// The word-frequency window: its two pages and menu bars, the mode switch, the event loop it
// hands the count, and the window events (minimising and closing during a count).
#include "ui/frmViewCount.h"

#include "core/paths.h"
#include "ui/command_line_qt.h"
#include "ui/event_wait.h"
#include "ui/frmWeb.h"
#include "ui/help_qt.h"
#include "ui/messages.h"
#include "ui/qt_clipboard.h"
#include "ui/shared_menus.h"
#include "ui/text_convert.h"
#include "wordcount/messages.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace lexmora::ui {

namespace {

// The event loop runs at most this often while the count works: the progress shows well
// within 100 ms, and the count is not slowed by drawing.
constexpr std::chrono::milliseconds kYieldInterval{30};

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    return item;
}

} // namespace

frmViewCount::frmViewCount(ProgramState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompter(prompter) {
    setObjectName("frmViewCount");
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(createCountPage());
    m_pages->addWidget(createViewPage());
    m_countMenus = new QMenuBar(this);
    m_viewMenus = new QMenuBar(this);
    createCountMenus(m_countMenus);
    createViewMenus(m_viewMenus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->addWidget(m_countMenus);
    layout->addWidget(m_viewMenus);
    layout->addWidget(m_pages);
    useDefaultDialogs();
    // A window left before opens anew in counting mode.
    setMode(m_state.FrequencyMode == FrequencyWindowMode::Leaving ? FrequencyWindowMode::Counting
                                                                  : m_state.FrequencyMode);
}

frmViewCount::~frmViewCount() = default;

void frmViewCount::createSharedMenus(QMenuBar* bar, bool counting) {
    QMenu* language = bar->addMenu("&Language");
    language->setObjectName("mnuLanguage");
    auto items = FillLanguageMenu(language, [this](LanguageId id) { chooseLanguage(id); });
    (counting ? m_countLanguages : m_viewLanguages) = items;
    if (!counting)
        return;
    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("mnuCountOpt");
    QMenu* breaks = options->addMenu("&Wordbreak at");
    breaks->setObjectName("mnuSubWordbreak");
    m_mnuApostrophe = addItem(breaks, "mnuApostrophe", "&apostrophe");
    m_mnuHyphen = addItem(breaks, "mnuHyphen", "&hyphen");
    m_mnuApostrophe->setCheckable(true);
    m_mnuHyphen->setCheckable(true);
    connect(m_mnuApostrophe, &QAction::toggled, this,
            [this](bool on) { m_state.WordbreakAtApostrophe = on; });
    connect(m_mnuHyphen, &QAction::toggled, this,
            [this](bool on) { m_state.WordbreakAtHyphen = on; });
    connect(addItem(options, "mnuViewFrequency", "&View Word Frequency File"), &QAction::triggered,
            this, [this] {
                if (!m_counting)
                    setMode(FrequencyWindowMode::Viewing);
            });
}

void frmViewCount::createCountMenus(QMenuBar* bar) {
    QMenu* files = bar->addMenu("&Files");
    files->setObjectName("mnuCountFiles");
    connect(addItem(files, "mnuChangeFiles", "Select &Files"), &QAction::triggered, this, [this] {
        if (!m_counting)
            ChooseCountFiles();
    });
    connect(addItem(files, "mnuSaveToDir", "&Save to folder..."), &QAction::triggered, this,
            [this] {
                if (!m_counting)
                    ChooseOutputFolder();
            });
    connect(addItem(files, "mnuCopyCommandLine", "Copy as Command &Line"), &QAction::triggered,
            this, [this] {
                QtClipboard clipboard;
                (void)CopyCountCommandLine(m_state, fromQt(m_txtUserInput->text()), m_prompter,
                                           clipboard);
            });
    connect(addItem(files, "mnuExit", "E&xit"), &QAction::triggered, this,
            &frmViewCount::pressExit);
    createSharedMenus(bar, true);
    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuCountHelp");
    connect(addItem(help, "mnuPerforming", "&performing word count"), &QAction::triggered, this,
            [this] { ShowHelpTopic(this, m_state, m_prompter, help::kWordCount); });
    connect(addItem(help, "mnuViewing", "&viewing word count"), &QAction::triggered, this,
            [this] { ShowHelpTopic(this, m_state, m_prompter, help::kFrequencyViewer); });
}

void frmViewCount::setMode(FrequencyWindowMode mode) {
    if (mode == FrequencyWindowMode::Viewing &&
        m_state.FrequencyMode == FrequencyWindowMode::Counting)
        m_backFromViewing = FrequencyWindowMode::Counting;
    m_state.FrequencyMode = mode;
    if (mode == FrequencyWindowMode::Leaving) {
        closeCountFile();
        close();
        return;
    }
    const bool counting = mode == FrequencyWindowMode::Counting;
    m_pages->setCurrentIndex(counting ? 0 : 1);
    m_countMenus->setVisible(counting);
    m_viewMenus->setVisible(!counting);
    const auto index = static_cast<std::size_t>(std::clamp(m_state.LanguageIndex, 0, 4));
    (counting ? m_countLanguages : m_viewLanguages)[index]->setChecked(true);
    if (counting) {
        closeCountFile();
        setWindowTitle("Word Frequency Count");
        ResetCountWindow();
        ShowSelection();
    } else {
        setWindowTitle("Viewing contents of word frequency files");
    }
}

void frmViewCount::chooseLanguage(LanguageId language) {
    // Spanish leaves the apostrophe rule as the user set it.
    const bool apostrophe = m_state.WordbreakAtApostrophe;
    ApplyLanguage(m_state, language);
    if (language == LanguageId::Spanish)
        m_state.WordbreakAtApostrophe = apostrophe;
    m_mnuApostrophe->setChecked(m_state.WordbreakAtApostrophe);
    const auto index = static_cast<std::size_t>(language);
    m_countLanguages[index]->setChecked(true);
    m_viewLanguages[index]->setChecked(true);
}

void frmViewCount::yield(ProgramState& state) {
    if (onYieldForTest)
        onYieldForTest(state);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastYield < kYieldInterval)
        return;
    m_lastYield = now;
    flushCountProgress();
    QCoreApplication::processEvents();
}

void frmViewCount::waitForEvents(ProgramState& state, std::chrono::milliseconds limit) {
    if (onYieldForTest)
        onYieldForTest(state);
    flushCountProgress();
    WaitForEvents(limit);
}

void frmViewCount::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // The platform may report one minimising more than once: one refusal.
    if (!m_counting || m_state.PauseFlag || m_refusingMinimise)
        return;
    m_refusingMinimise = true;
    QString caption = m_cmdStart->text();
    caption.remove('&');
    // Deferred: the window manager finishes minimising before it can be undone.
    QTimer::singleShot(0, this, [this, caption] {
        if (m_counting && !m_state.PauseFlag) { // paused meanwhile: minimising is allowed now
            showNormal();
            m_prompter.tell(wordcount::msg::CannotMinimise(fromQt(caption)));
        }
        m_refusingMinimise = false;
    });
}

void frmViewCount::closeEvent(QCloseEvent* event) {
    if (m_counting) {
        // The count asks " Abandon Wordcount" at its next step and closes the window on Yes.
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        event->ignore();
        return;
    }
    closeCountFile();
    m_state.FrequencyMode = FrequencyWindowMode::Leaving;
    QDialog::closeEvent(event);
}

void RunWordFrequency(ProgramState& state, Prompter& prompter, FrequencyWindowMode mode,
                      QWidget* parent, const std::string& listPath) {
    state.FrequencyMode = mode;
    state.ExitFlag = ExitRequest::None;
    state.PauseFlag = false;
    frmViewCount window(state, prompter, parent);
    if (mode == FrequencyWindowMode::Viewing)
        QTimer::singleShot(0, &window, [&window, &listPath] {
            // A list given (recent or dropped) that cannot be opened falls back to the choice.
            if (listPath.empty() || !window.openCountFile(listPath))
                window.SelectCountFile();
        });
    window.exec();
    state.ExitFlag = ExitRequest::None;
    state.PauseFlag = false;
}

} // namespace lexmora::ui
