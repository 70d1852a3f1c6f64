#include "ui/collocates_window.h"

#include "core/command_line.h"
#include "core/run_control.h"
#include "ui/messages.h"
#include "ui/panel_widgets.h"
#include "ui/table_model.h"
#include "ui/table_window.h"
#include "ui/text_convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>
#include <memory>

namespace lexmora::ui {

namespace {

constexpr CollocateMeasure kMeasures[] = {CollocateMeasure::LL,       CollocateMeasure::MI,
                                          CollocateMeasure::MI3,      CollocateMeasure::T,
                                          CollocateMeasure::Z,        CollocateMeasure::LogDice,
                                          CollocateMeasure::LogRatio, CollocateMeasure::Freq};
constexpr const char* kMeasureCaptions[] = {
    "Log-likelihood (LL)", "MI", "MI3", "T-score", "Z-score", "logDice", "Log Ratio", "Frequency"};

enum CorpusChoice { FilesWithHits = 0, WordList = 1, CorpusFiles = 2 };

// The panel's controls, read into a request at Start.
struct Panel {
    QSpinBox *left, *right, *minFreq, *minCollFreq, *minRange;
    QComboBox *measure, *corpus;
    QCheckBox *significant, *sentence;
    QPlainTextEdit* stopList;
    QLineEdit* corpusPath;

    std::vector<std::string> stopWords() const {
        std::vector<std::string> words;
        for (const QString& line : stopList->toPlainText().split('\n')) {
            const QString word = line.trimmed();
            if (!word.isEmpty())
                words.push_back(fromQt(word));
        }
        return words;
    }

    CollocatesRequest request(const CollocatesSource& source, const ProgramState& state) const {
        CollocatesRequest r;
        r.resultPath = source.resultPath;
        r.records = source.records;
        r.left = left->value();
        r.right = right->value();
        r.stopAtSentence = sentence->isChecked();
        const std::string path = pathFromQt(corpusPath->text().trimmed());
        if (corpus->currentIndex() == WordList)
            r.wordList = path;
        else if (corpus->currentIndex() == CorpusFiles && !path.empty())
            r.corpusFiles = {path};
        r.measure = kMeasures[std::max(0, measure->currentIndex())];
        r.minFreq = minFreq->value();
        r.minCollFreq = minCollFreq->value();
        r.minRange = minRange->value();
        r.stopWords = stopWords();
        r.significantOnly = significant->isChecked();
        r.state = &state;
        return r;
    }
};

QWidget* corpusRow(Panel& p, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    p.corpus = NamedWidget(new QComboBox(row), "cboCorpus", QObject::tr("Corpus"));
    p.corpus->addItems({QObject::tr("the files with hits"), QObject::tr("a word list (.lst)"),
                        QObject::tr("a file or folder")});
    p.corpusPath = NamedWidget(new QLineEdit(row), "txtCorpus", QObject::tr("Corpus path"));
    p.corpusPath->setEnabled(false);
    auto* browse = NamedWidget(new QPushButton(QObject::tr("&Browse..."), row), "cmdBrowseCorpus",
                               QObject::tr("Choose the corpus"));
    browse->setAutoDefault(false);
    browse->setEnabled(false);
    QObject::connect(p.corpus, &QComboBox::currentIndexChanged, row, [&p, browse](int index) {
        p.corpusPath->setEnabled(index != FilesWithHits);
        browse->setEnabled(index != FilesWithHits);
    });
    QObject::connect(browse, &QPushButton::clicked, row, [&p, row] {
        const QString chosen =
            p.corpus->currentIndex() == WordList
                ? QFileDialog::getOpenFileName(row, QObject::tr("Word list"), p.corpusPath->text(),
                                               QObject::tr("Word lists (*.lst)"))
                : QFileDialog::getExistingDirectory(row, QObject::tr("Corpus folder"),
                                                    p.corpusPath->text());
        if (!chosen.isEmpty())
            p.corpusPath->setText(chosen);
    });
    layout->addWidget(p.corpus);
    layout->addWidget(p.corpusPath, 1);
    layout->addWidget(browse);
    return row;
}

QWidget* buildPanel(Panel& p, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("pnlCollocates");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    p.left = NumberBox(panel, "spnLeft", QObject::tr("Words to the left"), 0, kMaxSpan, 5);
    p.right = NumberBox(panel, "spnRight", QObject::tr("Words to the right"), 0, kMaxSpan, 5);
    p.measure = NamedWidget(new QComboBox(panel), "cboMeasure", QObject::tr("Measure"));
    for (const char* caption : kMeasureCaptions)
        p.measure->addItem(QString::fromLatin1(caption));
    p.minFreq = NumberBox(panel, "spnMinFreq", QObject::tr("Minimum frequency"), 1, 1000000000, 3);
    p.minCollFreq = NumberBox(panel, "spnMinCollFreq", QObject::tr("Minimum corpus frequency"), 1,
                              1000000000, 3);
    p.minRange = NumberBox(panel, "spnMinRange", QObject::tr("Minimum range"), 1, 1000000000, 1);
    p.significant = NamedWidget(new QCheckBox(QObject::tr("Only &significant (LL >= 3.84)"), panel),
                                "chkSignificant", QObject::tr("Only significant"));
    p.sentence = NamedWidget(new QCheckBox(QObject::tr("Stop at sentence &end"), panel),
                             "chkStopAtSentence", QObject::tr("Stop at sentence end"));
    p.stopList = NamedWidget(new QPlainTextEdit(panel), "txtStopList", QObject::tr("Stop list"));
    p.stopList->setTabChangesFocus(true); // words need no Tab; the keyboard must get past it
    p.stopList->setPlaceholderText(QObject::tr("stop words, one a line"));
    p.stopList->setMaximumHeight(p.stopList->fontMetrics().height() * 5);

    grid->addWidget(BuddyLabel(panel, QObject::tr("&Left:"), p.left), 0, 0);
    grid->addWidget(p.left, 0, 1);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Right:"), p.right), 0, 2);
    grid->addWidget(p.right, 0, 3);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Measure:"), p.measure), 0, 4);
    grid->addWidget(p.measure, 0, 5);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. &freq:"), p.minFreq), 1, 0);
    grid->addWidget(p.minFreq, 1, 1);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. c&orpus freq:"), p.minCollFreq), 1, 2);
    grid->addWidget(p.minCollFreq, 1, 3);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. r&ange:"), p.minRange), 1, 4);
    grid->addWidget(p.minRange, 1, 5);
    grid->addWidget(p.significant, 2, 0, 1, 3);
    grid->addWidget(p.sentence, 2, 3, 1, 3);
    QWidget* corpus = corpusRow(p, panel);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Corpus:"), p.corpus), 3, 0);
    grid->addWidget(corpus, 3, 1, 1, 5);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Sto&p list:"), p.stopList), 0, 6);
    grid->addWidget(p.stopList, 1, 6, 3, 1);
    grid->setColumnStretch(6, 1);
    return panel;
}

// L5 .. L1, R1 .. R5 of the selected collocate.
QTableWidget* buildProfile(QWidget* parent) {
    auto* profile = NamedWidget(new QTableWidget(2 * kProfileSide, 1, parent), "tblProfile",
                                QObject::tr("Position profile"));
    profile->setHorizontalHeaderLabels({QObject::tr("freq")});
    profile->setTabKeyNavigation(false); // Tab moves on, not between its cells
    QStringList places;
    for (int i = kProfileSide; i >= 1; --i)
        places << QString("L%1").arg(i);
    for (int i = 1; i <= kProfileSide; ++i)
        places << QString("R%1").arg(i);
    profile->setVerticalHeaderLabels(places);
    profile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    profile->horizontalHeader()->setStretchLastSection(true);
    profile->setFixedWidth(profile->verticalHeader()->sizeHint().width() +
                           profile->fontMetrics().horizontalAdvance("0000000000") + 8);
    return profile;
}

struct Results {
    std::map<std::string, std::size_t> rowOfWord; // the result's row of each collocate
    CollocatesResult result;
};

} // namespace

std::string CollocatesCommandLine(const ProgramState& state, const CollocatesRequest& r,
                                  const std::string& stopListPath) {
    std::vector<std::string> words = {CliProgramPath(state)};
    if (!state.ProgramFolder.empty())
        words.insert(words.end(), {"--home", state.ProgramFolder});
    words.insert(words.end(), {"collocates", r.resultPath, "--span",
                               std::to_string(r.left) + "," + std::to_string(r.right)});
    if (!r.wordList.empty())
        words.insert(words.end(), {"--wordlist", r.wordList});
    for (const std::string& file : r.corpusFiles)
        words.insert(words.end(), {"--corpus", file, "--tree"});
    words.insert(words.end(),
                 {"--measure", CollocateMeasureName(r.measure), "--min-freq",
                  std::to_string(r.minFreq), "--min-coll-freq", std::to_string(r.minCollFreq),
                  "--min-range", std::to_string(r.minRange)});
    if (r.stopAtSentence)
        words.push_back("--stop-at-sentence");
    if (!stopListPath.empty())
        words.insert(words.end(), {"--stoplist", stopListPath});
    if (r.significantOnly)
        words.push_back("--significant");
    return ShellLine(words);
}

TableWindow* MakeCollocatesWindow(ProgramState& state, Prompter& prompter,
                                  const CollocatesSource& source, ShowCollocateHits showHits,
                                  QWidget* parent) {
    auto* window = new TableWindow(state, prompter, parent);
    window->setObjectName("frmCollocates");
    window->setWindowTitle(
        QObject::tr("Collocates of %1").arg(QFileInfo(pathToQt(source.resultPath)).fileName()));
    window->setHelpTopic("collocates");
    auto panel = std::make_shared<Panel>();
    window->setOptionsPanel(buildPanel(*panel, window));
    QTableWidget* profile = buildProfile(window);
    window->setDetailsPanel(profile);
    auto results = std::make_shared<Results>();

    window->setRun([&state, &prompter, panel, source,
                    results](const TableProgress& progress) -> Result<Table> {
        CollocatesRequest request = panel->request(source, state);
        if (Status checked = CheckCollocatesRequest(request); !checked)
            return checked.failure();
        TableRunHost host(progress);
        RunControl control(state, host, prompter, msg::AbandonAnalysis());
        Result<CollocatesResult> computed = ComputeCollocates(request, &control);
        state.ExitFlag = ExitRequest::None; // a Stop ends this run only
        if (!computed)
            return computed.failure();
        results->result = std::move(*computed);
        results->rowOfWord.clear();
        for (std::size_t i = 0; i < results->result.table.rows.size(); ++i)
            if (const auto* word = std::get_if<std::string>(&results->result.table.rows[i].front()))
                results->rowOfWord.emplace(*word, i);
        return results->result.table;
    });
    window->setCommandLineSource([&state, panel, source] {
        // The stop list typed in the box has no file: the line says only what a file can.
        CollocatesRequest request = panel->request(source, state);
        return CollocatesCommandLine(state, request, std::string());
    });

    auto wordAt = [window](int row) -> std::string {
        if (row < 0)
            return {};
        const Row cells = window->rowCells(row);
        const auto* word = cells.empty() ? nullptr : std::get_if<std::string>(&cells.front());
        return word != nullptr ? *word : std::string();
    };
    QObject::connect(
        window, &TableWindow::currentRowChanged, profile, [profile, results, wordAt](int row) {
            const auto found = results->rowOfWord.find(wordAt(row));
            for (int place = 0; place < 2 * kProfileSide; ++place) {
                QString text;
                if (found != results->rowOfWord.end() &&
                    found->second < results->result.profiles.size())
                    text = QString::number(
                        results->result.profiles[found->second][static_cast<std::size_t>(place)]);
                auto* item = new QTableWidgetItem(text);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                profile->setItem(place, 0, item);
            }
        });
    QObject::connect(window, &TableWindow::rowActivated, window,
                     [results, wordAt, showHits](int row) {
                         const std::string word = wordAt(row);
                         const auto found = results->rowOfWord.find(word);
                         if (showHits && found != results->rowOfWord.end() &&
                             found->second < results->result.hits.size())
                             showHits(word, results->result.hits[found->second]);
                     });
    return window;
}

} // namespace lexmora::ui
