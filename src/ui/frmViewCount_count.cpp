// The word-frequency window in counting mode: the selection and output shown, the start checks,
// the count with its progress, pause and abandon, and its results.
#include "ui/frmViewCount.h"

#include "core/folders.h"
#include "core/paths.h"
#include "files/file_chooser.h"
#include "files/source_choice.h"
#include "ui/text_convert.h"
#include "wordcount/count_request.h"
#include "wordcount/count_start.h"
#include "wordcount/frequency_files.h"
#include "wordcount/messages.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lexmora::ui {

namespace {

constexpr int kProgressSteps = 1000;

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

// The base name of a path without its extension.
std::string baseWithoutExtension(const std::string& path) {
    std::string name = path;
    while (name.size() > 1 && name.back() == kPathSeparator)
        name.pop_back();
    name = FileNameOf(name);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

} // namespace

QWidget* frmViewCount::createCountPage() {
    auto* page = new QWidget(this);
    m_lblTextMessage = label(page, "lblTextMessage", "");
    m_lblTextMessage->setWordWrap(true);
    m_lblTextMessage->setMinimumHeight(40);
    m_lblSelection = label(page, "lblSelection", "");
    m_lblSaveTo = label(page, "lblSaveTo", "");
    m_txtUserInput = new QLineEdit(page);
    m_txtUserInput->setObjectName("txtUserInput");
    m_txtUserInput->setMaxLength(75);
    auto* txtExtension = new QLineEdit(".lst", page);
    txtExtension->setObjectName("txtExtension");
    txtExtension->setReadOnly(true);
    txtExtension->setFixedWidth(48);
    txtExtension->setAccessibleName("Extension of the word list");
    m_lblWordNumber = label(page, "lblWordNumber", "0");
    m_lblFileName = label(page, "lblFileName", "");
    m_lblFileCount = label(page, "lblFileCount", "0");
    m_lblFileTotal = label(page, "lblFileTotal", "0");
    m_lblPathName = label(page, "lblPathName", "");
    m_lblResults = label(page, "lblResults", "");
    m_shpProgressBar = new QProgressBar(page);
    m_shpProgressBar->setObjectName("shpProgressBar");
    m_shpProgressBar->setRange(0, kProgressSteps);
    m_shpProgressBar->setTextVisible(false);
    m_cmdStart = new QPushButton("&Start", page);
    m_cmdStart->setObjectName("cmdStart");
    m_cmdExit = new QPushButton("&Exit", page);
    m_cmdExit->setObjectName("cmdExit");
    layOutCountPage(page, txtExtension);
    connect(m_cmdStart, &QPushButton::clicked, this, &frmViewCount::pressStart);
    connect(m_cmdExit, &QPushButton::clicked, this, &frmViewCount::pressExit);
    return page;
}

void frmViewCount::layOutCountPage(QWidget* page, QWidget* txtExtension) {
    auto* name = new QHBoxLayout;
    name->addWidget(m_txtUserInput, 1);
    name->addWidget(txtExtension);
    auto* fileOf = new QHBoxLayout;
    fileOf->addWidget(m_lblFileCount);
    fileOf->addWidget(label(page, "lblOf", "of"));
    fileOf->addWidget(m_lblFileTotal);
    fileOf->addStretch();
    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(label(page, "lblWordCount", "Wordcount:"), row, 0);
    grid->addWidget(m_lblWordNumber, row++, 1);
    grid->addWidget(label(page, "lblFile", "File:"), row, 0);
    grid->addWidget(m_lblFileName, row, 1);
    grid->addLayout(fileOf, row++, 2);
    grid->addWidget(label(page, "lblPath", "Path:"), row, 0);
    grid->addWidget(m_lblPathName, row++, 1, 1, 2);
    grid->addWidget(label(page, "lblProgress", "Progress:"), row, 0);
    grid->addWidget(m_shpProgressBar, row++, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 320);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdStart);
    buttons->addWidget(m_cmdExit);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_lblSelection);
    QLabel* nameCaption = label(page, "lblName", "Name of the word list:");
    nameCaption->setBuddy(m_txtUserInput); // a screen reader names the box by it
    layout->addWidget(nameCaption);
    layout->addLayout(name);
    layout->addWidget(m_lblSaveTo);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addWidget(m_lblTextMessage);
    layout->addWidget(m_lblResults);
    layout->addStretch();
    layout->addLayout(buttons);
}

void frmViewCount::ResetCountWindow() {
    m_lblWordNumber->setText("0");
    m_lblFileCount->setText("0");
    m_lblFileTotal->setText("0");
    m_lblFileName->clear();
    m_lblPathName->clear();
    m_lblTextMessage->clear();
    m_lblResults->clear();
    m_shpProgressBar->setValue(0);
    m_showingResults = false;
    setStartCaption("&Start");
    m_mnuApostrophe->setChecked(m_state.WordbreakAtApostrophe);
    m_mnuHyphen->setChecked(m_state.WordbreakAtHyphen);
}

void frmViewCount::ShowSelection() {
    const auto count = std::max<long long>(0, m_state.SourceFileCount);
    std::string summary;
    std::string proposed;
    if (m_state.SourceIsFileList) {
        const std::string list = FileNameOf(m_state.FileListName);
        summary = "\xAB " + list + " \xBB containing " + std::to_string(count) + " files";
        proposed = baseWithoutExtension(list);
    } else {
        summary = "  " + std::to_string(count) + " file(s) selected ";
        proposed = m_state.SourceFiles.size() == 1 ? baseWithoutExtension(m_state.SourceFiles[0])
                                                   : baseWithoutExtension(m_state.SourceDirectory);
    }
    if (!HasCountSelection(m_state))
        summary = "  no files selected ";
    m_lblPathName->setText(pathToQt(ShortenPath(m_state.SourceDirectory, 60)));
    m_lblSelection->setText(toQt(summary));
    if (m_txtUserInput->text().isEmpty() && HasCountSelection(m_state))
        m_txtUserInput->setText(pathToQt(proposed));
    m_lblSaveTo->setText("Save results to file: " +
                         pathToQt(AddBackslash(m_state.FrequencyFilesDirectory)));
}

void frmViewCount::ChooseCountFiles() {
    if (m_dialogs.chooseCountFiles()) {
        files::TakeSourceChoice(m_state);
        m_txtUserInput->clear(); // the new selection proposes its own name
    }
    ShowSelection();
}

void frmViewCount::ChooseOutputFolder() {
    if (const auto folder = m_dialogs.chooseFolder(); folder && !folder->empty())
        m_state.FrequencyFilesDirectory = *folder;
    ShowSelection();
}

void frmViewCount::setStartCaption(const QString& caption) {
    m_cmdStart->setText(caption);
}

void frmViewCount::pressStart() {
    if (m_counting) {
        m_state.PauseFlag = !m_state.PauseFlag;
        setStartCaption(m_state.PauseFlag ? "&Continue" : "&Pause ");
        return;
    }
    if (m_showingResults) {
        // Continue: the new list in the viewer.
        const std::string list = m_lastCount.listPath;
        setMode(FrequencyWindowMode::Viewing);
        if (!openCountFile(list))
            SelectCountFile();
        return;
    }
    startCount();
}

void frmViewCount::pressExit() {
    if (m_counting) {
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        return;
    }
    setMode(FrequencyWindowMode::Leaving);
}

void frmViewCount::startCount() {
    for (;;) {
        switch (CheckCountStart(m_state, fromQt(m_txtUserInput->text()), m_state.ProgramFolder,
                                m_prompter)) {
        case CountStartStep::Start:
            runCount();
            return;
        case CountStartStep::Repeat:
            continue;
        case CountStartStep::FocusName:
            m_txtUserInput->setFocus();
            return;
        case CountStartStep::ChooseOutputFolder:
            ChooseOutputFolder();
            return;
        case CountStartStep::ChooseFiles:
            ChooseCountFiles();
            return;
        case CountStartStep::Stop:
            return;
        case CountStartStep::Leave:
            m_state.ExitFlag = ExitRequest::None;
            setMode(FrequencyWindowMode::Leaving);
            return;
        }
    }
}

void frmViewCount::runCount() {
    ResetCountWindow();
    // The files as chosen now: the count reads them as values and leaves the selection alone.
    const CountRequest request =
        CountRequestFor(m_state, fromQt(m_txtUserInput->text()), m_prompter);
    m_lblFileTotal->setText(QString::number(request.files.size()));
    m_lblTextMessage->setText(toQt(wordcount::msg::kPerformingCount));
    m_counting = true;
    setCountControlsEnabled(false);
    m_state.PauseFlag = false;
    m_state.ExitFlag = ExitRequest::None;
    setStartCaption("&Pause ");
    CountHooks hooks;
    hooks.host = this;
    hooks.progress = [this](const CountProgress& p) { showCountProgress(p); };
    hooks.askText = m_dialogs.askText;
    const CountResult result = CountWords(m_state, request, m_prompter, hooks);
    m_counting = false;
    m_progressPending = false;
    setCountControlsEnabled(true);
    m_state.PauseFlag = false;
    finishCount(result);
}

void frmViewCount::setCountControlsEnabled(bool enabled) {
    // The count took its name, language and word breaks at its start: they stay as they were
    // until it ends. Exit and help stay.
    m_txtUserInput->setReadOnly(!enabled);
    for (QAction* item : m_countMenus->actions())
        if (item->menu() != nullptr && item->menu()->objectName() != "mnuCountFiles" &&
            item->menu()->objectName() != "mnuCountHelp")
            item->setEnabled(enabled);
}

void frmViewCount::showCountProgress(const CountProgress& progress) {
    // Kept until the event loop runs: setting labels for every file of a folder of small files
    // would cost the count more than the drawing itself.
    m_progress = progress;
    m_progressPending = true;
}

void frmViewCount::flushCountProgress() {
    if (!m_progressPending)
        return;
    m_progressPending = false;
    const CountProgress& p = m_progress;
    m_lblWordNumber->setText(QString::number(p.tokens));
    m_shpProgressBar->setValue(static_cast<int>(p.fraction * kProgressSteps));
    if (p.phase == CountProgress::Phase::Scatter) {
        m_lblFileCount->setText(QString::number(p.fileNumber));
        m_lblFileTotal->setText(QString::number(p.fileTotal));
        m_lblFileName->setText(toQt(p.fileName));
        m_lblPathName->setText(pathToQt(ShortenPath(p.path, 60)));
    } else {
        m_lblFileName->setText(toQt(p.bucketText));
        m_lblFileCount->setText(QString::number(p.letter));
        m_lblFileTotal->setText("26");
        m_lblTextMessage->setText(QString::number(p.elapsedSeconds) + " secs");
    }
}

void frmViewCount::finishCount(const CountResult& result) {
    m_lastCount = result;
    switch (result.outcome) {
    case CountOutcome::Completed:
        m_shpProgressBar->setValue(kProgressSteps);
        m_lblWordNumber->setText(QString::number(result.tokens));
        // The gather pass's last bucket means nothing once the list is written.
        m_lblFileName->setText(pathToQt(FileNameOf(result.listPath)));
        m_lblFileCount->setText(QString::number(result.files));
        m_lblFileTotal->setText(QString::number(result.files));
        m_lblTextMessage->setText(toQt(result.resultText));
        m_lblResults->setText(QString("tokens: %1    types: %2    type/token ratio: %3")
                                  .arg(result.tokens)
                                  .arg(result.types)
                                  .arg(toQt(TypeTokenRatioText(result.tokens, result.types))));
        m_lblSaveTo->setText("Saving results to file: " + pathToQt(result.listPath));
        m_showingResults = true;
        setStartCaption("&Continue");
        return;
    case CountOutcome::Abandoned:
        if (m_state.ExitFlag == ExitRequest::UserConfirmedLeaving) {
            m_state.ExitFlag = ExitRequest::None;
            setMode(FrequencyWindowMode::Leaving);
            return;
        }
        break;
    case CountOutcome::NotStarted:
        m_state.ExitFlag = ExitRequest::None; // no name settled: back to waiting for Start
        ResetCountWindow();
        return;
    case CountOutcome::NoWords:
    case CountOutcome::Failed:
        break;
    }
    m_state.ExitFlag = ExitRequest::None;
    m_lblTextMessage->clear();
    setStartCaption("&Restart");
}

} // namespace lexmora::ui
