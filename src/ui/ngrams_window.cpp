#include "ui/ngrams_window.h"

#include "analysis/ngram_counter.h"
#include "analysis/ngram_file.h"
#include "core/command_line.h"
#include "core/paths.h"
#include "core/settings.h"
#include "export/messages.h"
#include "files/file_chooser.h"
#include "files/source_choice.h"
#include "ui/frmGetFiles.h"
#include "ui/messages.h"
#include "ui/panel_widgets.h"
#include "ui/text_convert.h"
#include "wordcount/count_request.h"
#include "wordcount/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace lexmora::ui {

namespace {

constexpr SequenceSort kSorts[] = {SequenceSort::Freq, SequenceSort::Range, SequenceSort::Alpha,
                                   SequenceSort::Ending};
constexpr int kLanguages = 5;
constexpr const char* kFileFilter = "N-gram files (*.ngr);;All files (*)";

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = NamedWidget(new QPushButton(caption, parent), name, QString(caption).remove('&'));
    b->setAutoDefault(false);
    return b;
}

int sortIndex(SequenceSort sort) {
    const auto* at = std::find(std::begin(kSorts), std::end(kSorts), sort);
    return at == std::end(kSorts) ? 0 : static_cast<int>(at - std::begin(kSorts));
}

// The run's yield and its paused wait: the window's events (Stop, Pause) in both.
class WindowHost : public RunHost {
public:
    explicit WindowHost(const TableProgress& progress) : m_progress(progress) {}
    void yield(ProgramState& state) override {
        if (!m_progress(done, total))
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
    }
    void waitForEvents(ProgramState& state, std::chrono::milliseconds limit) override {
        QEventLoop wait;
        QTimer::singleShot(limit, &wait, &QEventLoop::quit);
        wait.exec();
        yield(state);
    }
    std::int64_t done = 0, total = 1000;

private:
    const TableProgress& m_progress;
};

} // namespace

struct NgramsWindow::Panel {
    QLabel* sources;
    QSpinBox *sizeFrom, *sizeTo, *minFreq, *minRange;
    QCheckBox* sentence;
    QComboBox *language, *sort;
    QPushButton *pause, *open, *save;

    NgramRequest request() const {
        NgramRequest r;
        r.minSize = std::min(sizeFrom->value(), sizeTo->value());
        r.maxSize = std::max(sizeFrom->value(), sizeTo->value());
        r.minFreq = minFreq->value();
        r.minRange = minRange->value();
        r.stopAtSentence = sentence->isChecked();
        r.language =
            static_cast<LanguageId>(std::clamp(language->currentIndex(), 0, kLanguages - 1));
        r.sort = kSorts[std::max(0, sort->currentIndex())];
        return r;
    }

    void show(const NgramResult& result, SequenceSort order) {
        sizeFrom->setValue(result.minSize);
        sizeTo->setValue(result.maxSize);
        minFreq->setValue(
            static_cast<int>(std::min<std::int64_t>(result.minFreq, minFreq->maximum())));
        minRange->setValue(
            static_cast<int>(std::min<std::int64_t>(result.minRange, minRange->maximum())));
        sentence->setChecked(result.stopAtSentence);
        language->setCurrentIndex(std::clamp(result.languageIndex, 0, kLanguages - 1));
        sort->setCurrentIndex(sortIndex(order));
    }
};

namespace {

QWidget* buildOptions(NgramsWindow::Panel& p, QWidget* parent, int languageIndex) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("pnlNgrams");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    p.sources = NamedWidget(new QLabel(panel), "lblSources", QObject::tr("Sources"));
    p.sources->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* choose = button(panel, "cmdChooseSources", QObject::tr("&Files..."));
    p.sizeFrom =
        NumberBox(panel, "spnSize", QObject::tr("Size"), kMinSequenceSize, kMaxSequenceSize, 3);
    p.sizeTo = NumberBox(panel, "spnSizeTo", QObject::tr("Size up to"), kMinSequenceSize,
                         kMaxSequenceSize, 3);
    p.minFreq = NumberBox(panel, "spnMinFreq", QObject::tr("Minimum frequency"), 1, 1000000000, 2);
    p.minRange = NumberBox(panel, "spnMinRange", QObject::tr("Minimum range"), 1, 1000000000, 1);
    p.sentence = NamedWidget(new QCheckBox(QObject::tr("Stop at sentence &end"), panel),
                             "chkStopAtSentence", QObject::tr("Stop at sentence end"));
    p.language = NamedWidget(new QComboBox(panel), "cboLanguage", QObject::tr("Language"));
    for (int i = 0; i < kLanguages; ++i)
        p.language->addItem(toQt(LanguageName(static_cast<LanguageId>(i))));
    p.language->setCurrentIndex(std::clamp(languageIndex, 0, kLanguages - 1));
    p.sort = NamedWidget(new QComboBox(panel), "cboSort", QObject::tr("Order"));
    p.sort->addItems({QObject::tr("by frequency"), QObject::tr("by range"),
                      QObject::tr("alphabetically"), QObject::tr("by ending")});
    // A larger first size drags the range along, so that "from" never passes "to".
    QObject::connect(p.sizeFrom, &QSpinBox::valueChanged, p.sizeTo,
                     [&p](int from) { p.sizeTo->setValue(std::max(from, p.sizeTo->value())); });

    grid->addWidget(BuddyLabel(panel, QObject::tr("Sources:"), choose), 0, 0);
    grid->addWidget(p.sources, 0, 1, 1, 6);
    grid->addWidget(choose, 0, 7);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Si&ze:"), p.sizeFrom), 1, 0);
    grid->addWidget(p.sizeFrom, 1, 1);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&to:"), p.sizeTo), 1, 2);
    grid->addWidget(p.sizeTo, 1, 3);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. &freq:"), p.minFreq), 1, 4);
    grid->addWidget(p.minFreq, 1, 5);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. r&ange:"), p.minRange), 1, 6);
    grid->addWidget(p.minRange, 1, 7);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Language:"), p.language), 2, 0);
    grid->addWidget(p.language, 2, 1, 1, 3);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Order:"), p.sort), 2, 4);
    grid->addWidget(p.sort, 2, 5, 1, 3);
    grid->addWidget(p.sentence, 3, 0, 1, 4);
    grid->setColumnStretch(8, 1);
    return panel;
}

// Beside the table, enabled while the options are not: Pause during a run, Open and Save.
QWidget* buildFileButtons(NgramsWindow::Panel& p, QWidget* parent) {
    auto* column = new QWidget(parent);
    column->setObjectName("pnlNgramFiles");
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    p.pause = button(column, "cmdPause", QObject::tr("&Pause"));
    p.pause->setEnabled(false);
    p.open = button(column, "cmdOpenList", QObject::tr("&Open..."));
    p.save = button(column, "cmdSaveList", QObject::tr("Sa&ve N-grams..."));
    p.save->setEnabled(false);
    for (QPushButton* b : {p.pause, p.open, p.save})
        layout->addWidget(b);
    layout->addStretch(1);
    return column;
}

} // namespace

std::string NgramsCommandLine(const ProgramState& state, const NgramRequest& r) {
    std::vector<std::string> words = {CliProgramPath(state)};
    if (!state.ProgramFolder.empty())
        words.insert(words.end(), {"--home", state.ProgramFolder});
    words.insert(words.end(),
                 {"ngrams", "--size", NgramSizeText(r.minSize, r.maxSize), "--min-freq",
                  std::to_string(r.minFreq), "--min-range", std::to_string(r.minRange)});
    if (r.stopAtSentence)
        words.push_back("--stop-at-sentence");
    const LanguageId language = r.language.value_or(static_cast<LanguageId>(state.LanguageIndex));
    words.insert(words.end(),
                 {"--language", LanguageName(language), "--sort", SequenceSortName(r.sort)});
    // The selection as the count expands it: a stored list or chosen files one by one, else
    // the folder (and its tree) with the file type. "--" only where a path could pass for an
    // option, so that options may still be added at the end of the line.
    std::vector<std::string> paths;
    if (state.SourceIsFileList)
        paths = state.StoredFileList;
    else if (!state.IncludeSubfolders) // a tree takes every file of its folders
        for (const std::string& name : state.SourceFiles)
            paths.push_back(JoinPath(state.SourceDirectory, name));
    if (paths.empty()) {
        if (state.IncludeSubfolders)
            words.push_back("--tree");
        words.insert(words.end(),
                     {"--pattern",
                      state.SourceFileType.empty() ? std::string("*.*") : state.SourceFileType});
        paths.push_back(state.SourceDirectory);
    }
    if (std::any_of(paths.begin(), paths.end(),
                    [](const std::string& path) { return path.rfind('-', 0) == 0; }))
        words.push_back("--");
    words.insert(words.end(), paths.begin(), paths.end());
    return ShellLine(words);
}

NgramsWindow::NgramsWindow(ProgramState& state, Prompter& prompter, SearchForNgram search,
                           QWidget* parent)
    : TableWindow(state, prompter, parent), m_state(state), m_prompter(prompter),
      m_search(std::move(search)), m_panel(std::make_unique<Panel>()) {
    setObjectName("frmNgrams");
    setWindowTitle(tr("N-grams"));
    setHelpTopic("ngrams");
    setOptionsPanel(buildOptions(*m_panel, this, state.LanguageIndex));
    setDetailsPanel(buildFileButtons(*m_panel, this));
    useDefaultSourceDialogs();
    showSources();
    setRun([this](const TableProgress& progress) { return count(progress); });
    setCommandLineSource([this] { return commandLine(); });
    connect(findChild<QPushButton*>("cmdChooseSources"), &QPushButton::clicked, this,
            &NgramsWindow::chooseSources);
    connect(m_panel->pause, &QPushButton::clicked, this, &NgramsWindow::togglePause);
    connect(m_panel->open, &QPushButton::clicked, this, [this] {
        if (const auto path = m_sourceDialogs.chooseOpenFile())
            openList(*path);
    });
    connect(m_panel->save, &QPushButton::clicked, this, [this] {
        if (const auto path = m_sourceDialogs.chooseSaveFile())
            saveList(*path);
    });
    connect(this, &TableWindow::rowActivated, this, [this](int row) {
        if (row < 0 || !m_search)
            return;
        const Row cells = rowCells(row);
        if (const auto* ngram = cells.empty() ? nullptr : std::get_if<std::string>(&cells.front()))
            m_search(*ngram);
    });
}

NgramsWindow::~NgramsWindow() = default;

const NgramResult* NgramsWindow::result() const {
    return m_result.get();
}

void NgramsWindow::useDefaultSourceDialogs() {
    m_sourceDialogs.chooseSources = [this] {
        files::PrepareSourceChooser(m_state);
        if (!ChooseFiles(m_state, m_prompter, files::kWordCountCaption, this))
            return false;
        files::TakeSourceChoice(m_state);
        return true;
    };
    m_sourceDialogs.chooseOpenFile = [this]() -> std::optional<std::string> {
        const QString path = QFileDialog::getOpenFileName(
            this, tr("Open n-grams"), pathToQt(m_state.FrequencyFilesDirectory), tr(kFileFilter));
        return path.isEmpty() ? std::nullopt : std::optional(pathFromQt(path));
    };
    m_sourceDialogs.chooseSaveFile = [this]() -> std::optional<std::string> {
        QString path = QFileDialog::getSaveFileName(
            this, tr("Save n-grams"), pathToQt(m_state.FrequencyFilesDirectory), tr(kFileFilter),
            nullptr, QFileDialog::DontConfirmOverwrite); // the window asks, as every save does
        if (path.isEmpty())
            return std::nullopt;
        if (QFileInfo(path).suffix().isEmpty())
            path += ".ngr";
        return pathFromQt(path);
    };
}

void NgramsWindow::chooseSources() {
    if (m_sourceDialogs.chooseSources && m_sourceDialogs.chooseSources())
        m_openedPath.clear(); // the next Start counts the new selection
    showSources();
}

void NgramsWindow::showSources() {
    const bool none = m_state.SourceDirectory.empty() && !m_state.SourceIsFileList;
    m_panel->sources->setText(
        none ? tr("no files selected")
             : pathToQt(m_state.SourceIsFileList ? m_state.FileListName : m_state.SourceDirectory) +
                   "  " + toQt(files::SourceSelectionText(m_state)));
}

void NgramsWindow::setPausable(bool running) {
    m_panel->pause->setEnabled(running);
    m_panel->pause->setText(tr("&Pause"));
    m_panel->open->setEnabled(!running);
    m_panel->save->setEnabled(!running && m_result != nullptr);
}

void NgramsWindow::togglePause() {
    m_state.PauseFlag = !m_state.PauseFlag;
    m_panel->pause->setText(m_state.PauseFlag ? tr("&Continue") : tr("&Pause"));
    setStatusText(m_state.PauseFlag ? tr("Paused.") : tr("Working..."));
}

Result<Table> NgramsWindow::count(const TableProgress& progress) {
    NgramRequest request = m_panel->request();
    // The files as the word count takes them, read from the selection once; an n-gram run
    // writes no word list, so it names none.
    request.sources = CountRequestFor(m_state, "", m_prompter).paths();
    if (request.sources.empty())
        return Failure(wordcount::msg::NoSourceFilesSelected(), FailureCode::InvalidInput);
    WindowHost host(progress);
    NgramHooks hooks;
    hooks.host = &host;
    hooks.prompter = &m_prompter;
    hooks.progress = [this, &host](const NgramProgress& p) {
        // Reading is nine tenths of the bar, the merge the rest.
        const double share =
            p.phase == NgramProgress::Phase::Reading
                ? 0.9 * ((p.fileNumber - 1) + p.fraction) / std::max(1, p.fileTotal)
                : 0.9 + 0.1 * p.fraction;
        host.done = static_cast<std::int64_t>(share * 1000);
        if (!m_state.PauseFlag)
            setStatusText(p.phase == NgramProgress::Phase::Reading
                              ? tr("Counting n-grams... file %1 of %2, %3 tokens")
                                    .arg(p.fileNumber)
                                    .arg(p.fileTotal)
                                    .arg(p.tokens)
                              : tr("Merging n-grams..."));
    };
    setPausable(true);
    m_state.PauseFlag = false;
    Result<NgramResult> counted = CountNgrams(m_state, request, hooks);
    m_state.ExitFlag = ExitRequest::None; // a Stop ends this run only
    m_state.PauseFlag = false;
    if (counted) {
        m_result = std::make_unique<NgramResult>(std::move(*counted));
        m_resultSort = request.sort;
        m_openedPath.clear();
    }
    setPausable(false);
    if (!counted)
        return counted.failure();
    return NgramTable(*m_result);
}

bool NgramsWindow::openList(const std::string& path) {
    SequenceSort order = SequenceSort::Freq;
    Result<NgramResult> loaded = LoadNgramFile(path, &order);
    if (!loaded) {
        m_prompter.tell(loaded.error());
        return false;
    }
    m_result = std::make_unique<NgramResult>(std::move(*loaded));
    m_resultSort = order;
    m_openedPath = path;
    m_panel->show(*m_result, order);
    setTable(NgramTable(*m_result));
    setPausable(false);
    setStatusText(tr("%1 n-grams of %2 tokens in %3 files, from %4")
                      .arg(m_result->list.items.size())
                      .arg(m_result->tokens)
                      .arg(m_result->files)
                      .arg(QFileInfo(pathToQt(path)).fileName()));
    return true;
}

bool NgramsWindow::saveList(const std::string& path) {
    if (m_result == nullptr)
        return false;
    Placement placement = Placement::KeepExisting;
    if (QFileInfo::exists(pathToQt(path))) {
        if (m_prompter.ask(exporting::msg::ReplaceTableFile(path)) != Answer::Yes)
            return false;
        placement = Placement::Replace;
    }
    if (const Status saved = SaveNgramFile(*m_result, m_resultSort, path, placement); !saved) {
        m_prompter.tell(saved.error());
        return false;
    }
    setStatusText(tr("%1 n-grams saved to %2.")
                      .arg(m_result->list.items.size())
                      .arg(QFileInfo(pathToQt(path)).fileName()));
    return true;
}

std::string NgramsWindow::commandLine() const {
    if (!m_openedPath.empty()) {
        std::vector<std::string> words = {CliProgramPath(m_state)};
        if (!m_state.ProgramFolder.empty())
            words.insert(words.end(), {"--home", m_state.ProgramFolder});
        words.insert(words.end(), {"ngrams", "--open", m_openedPath});
        return ShellLine(words);
    }
    return NgramsCommandLine(m_state, m_panel->request());
}

} // namespace lexmora::ui
