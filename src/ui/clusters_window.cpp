#include "ui/clusters_window.h"

#include "analysis/ngram_counter.h"
#include "core/command_line.h"
#include "core/run_control.h"
#include "ui/messages.h"
#include "ui/panel_widgets.h"
#include "ui/table_window.h"
#include "ui/text_convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>
#include <iterator>
#include <memory>

namespace lexmora::ui {

namespace {

// The keyword's places and the orders, in the order the boxes list them.
constexpr NodePlace kPlaces[] = {NodePlace::Any, NodePlace::Left, NodePlace::Right};
constexpr const char* kPlaceNames[] = {"any", "left", "right"};
constexpr SequenceSort kSorts[] = {SequenceSort::Freq, SequenceSort::Range, SequenceSort::Alpha,
                                   SequenceSort::Ending};

// The panel's controls, read into a request at Start.
struct Panel {
    QSpinBox *size, *minFreq, *minRange;
    QComboBox *node, *sort;
    QCheckBox* sentence;

    ClusterRequest request(const ClustersSource& source) const {
        ClusterRequest r;
        r.resultPath = source.resultPath;
        r.records = source.records;
        r.options.size = size->value();
        r.options.node = kPlaces[std::max(0, node->currentIndex())];
        r.options.minFreq = minFreq->value();
        r.options.minRange = minRange->value();
        r.options.stopAtSentence = sentence->isChecked();
        r.options.collectHits = true;
        r.sort = kSorts[std::max(0, sort->currentIndex())];
        return r;
    }
};

QWidget* buildPanel(Panel& p, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("pnlClusters");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    p.size = NumberBox(panel, "spnSize", QObject::tr("Cluster size"), kMinSequenceSize,
                       kMaxSequenceSize, 3);
    p.node = NamedWidget(new QComboBox(panel), "cboNode", QObject::tr("Keyword place"));
    p.node->addItems(
        {QObject::tr("anywhere"), QObject::tr("at the left end"), QObject::tr("at the right end")});
    p.sort = NamedWidget(new QComboBox(panel), "cboSort", QObject::tr("Order"));
    p.sort->addItems({QObject::tr("by frequency"), QObject::tr("by range"),
                      QObject::tr("alphabetically"), QObject::tr("by ending")});
    p.minFreq = NumberBox(panel, "spnMinFreq", QObject::tr("Minimum frequency"), 1, 1000000000, 2);
    p.minRange = NumberBox(panel, "spnMinRange", QObject::tr("Minimum range"), 1, 1000000000, 1);
    p.sentence = NamedWidget(new QCheckBox(QObject::tr("Stop at sentence &end"), panel),
                             "chkStopAtSentence", QObject::tr("Stop at sentence end"));

    grid->addWidget(BuddyLabel(panel, QObject::tr("Si&ze:"), p.size), 0, 0);
    grid->addWidget(p.size, 0, 1);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Keyword:"), p.node), 0, 2);
    grid->addWidget(p.node, 0, 3);
    grid->addWidget(BuddyLabel(panel, QObject::tr("&Order:"), p.sort), 0, 4);
    grid->addWidget(p.sort, 0, 5);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. &freq:"), p.minFreq), 1, 0);
    grid->addWidget(p.minFreq, 1, 1);
    grid->addWidget(BuddyLabel(panel, QObject::tr("Min. r&ange:"), p.minRange), 1, 2);
    grid->addWidget(p.minRange, 1, 3);
    grid->addWidget(p.sentence, 1, 4, 1, 2);
    grid->setColumnStretch(6, 1);
    return panel;
}

} // namespace

std::string ClustersCommandLine(const ProgramState& state, const ClusterRequest& r) {
    std::vector<std::string> words = {CliProgramPath(state)};
    if (!state.ProgramFolder.empty())
        words.insert(words.end(), {"--home", state.ProgramFolder});
    const auto place = static_cast<std::size_t>(
        std::find(std::begin(kPlaces), std::end(kPlaces), r.options.node) - std::begin(kPlaces));
    words.insert(words.end(), {"clusters", r.resultPath, "--size", std::to_string(r.options.size),
                               "--node", kPlaceNames[place % std::size(kPlaceNames)], "--min-freq",
                               std::to_string(r.options.minFreq), "--min-range",
                               std::to_string(r.options.minRange)});
    if (r.options.stopAtSentence)
        words.push_back("--stop-at-sentence");
    words.insert(words.end(), {"--sort", SequenceSortName(r.sort)});
    return ShellLine(words);
}

TableWindow* MakeClustersWindow(ProgramState& state, Prompter& prompter,
                                const ClustersSource& source, ShowClusterHits showHits,
                                QWidget* parent) {
    auto* window = new TableWindow(state, prompter, parent);
    window->setObjectName("frmClusters");
    window->setWindowTitle(
        QObject::tr("Clusters of %1").arg(QFileInfo(pathToQt(source.resultPath)).fileName()));
    window->setHelpTopic("clusters");
    auto panel = std::make_shared<Panel>();
    window->setOptionsPanel(buildPanel(*panel, window));
    auto hits = std::make_shared<std::unordered_map<std::string, std::vector<std::int64_t>>>();
    auto notes = std::make_shared<std::string>();

    window->setRun([&state, &prompter, panel, source, hits,
                    notes](const TableProgress& progress) -> Result<Table> {
        const ClusterRequest request = panel->request(source);
        TableRunHost host(progress);
        RunControl control(state, host, prompter, msg::AbandonAnalysis());
        Result<ClusterResult> counted = CountClusters(state, request, &control);
        state.ExitFlag = ExitRequest::None; // a Stop ends this run only
        if (!counted)
            return counted.failure();
        // Files left out and hits not found again are told in the status line.
        notes->clear();
        for (const std::string& note : counted->summary.notes)
            *notes += (notes->empty() ? "" : " ") + note;
        *hits = std::move(counted->hits);
        return ClusterTable(*counted);
    });
    window->setCommandLineSource(
        [&state, panel, source] { return ClustersCommandLine(state, panel->request(source)); });

    QObject::connect(window, &TableWindow::tableReplaced, window, [window, notes] {
        if (!notes->empty())
            window->setStatusText(toQt(*notes));
    });
    QObject::connect(window, &TableWindow::rowActivated, window, [window, hits, showHits](int row) {
        if (row < 0 || !showHits)
            return;
        const Row cells = window->rowCells(row);
        const auto* cluster = cells.empty() ? nullptr : std::get_if<std::string>(&cells.front());
        if (cluster == nullptr)
            return;
        if (const auto found = hits->find(*cluster); found != hits->end())
            showHits(*cluster, found->second);
    });
    return window;
}

} // namespace lexmora::ui
