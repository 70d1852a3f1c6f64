#include "ui/viewer_screen_qt.h"

#include "viewer/kwic_export.h"

#include "ui/clusters_window.h"
#include "ui/collocates_window.h"
#include "ui/frmCollocation.h"
#include "ui/frmShowText.h"
#include "ui/frmViewScreen.h"
#include "ui/plot_window.h"
#include "ui/qt_printer.h"
#include "ui/result_file_chooser_qt.h"
#include "ui/table_export_qt.h"
#include "ui/table_window.h"
#include "ui/text_convert.h"
#include "ui/viewer_dialogs_qt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScreen>

#include <functional>

#include <algorithm>

namespace lexmora::ui {

QtViewerScreen::QtViewerScreen(frmViewScreen& screen, ProgramState& state, Prompter* prompter,
                               QtPrinter* printer)
    : m_screen(screen), m_state(state), m_prompter(prompter), m_printer(printer) {
    m_screen.installEventFilter(this);
    connect(&m_screen, &frmViewScreen::pageWanted, this, &QtViewerScreen::onPageWanted);
}

QtViewerScreen::~QtViewerScreen() {
    delete m_plot; // its hooks lead here
    m_screen.showRecords(nullptr);
    m_screen.removeEventFilter(this);
    setBusy(false);
}

ViewerCommandQueue& QtViewerScreen::commands() {
    return m_screen.commands();
}

void QtViewerScreen::waitForCommand(ProgramState& state) {
    QCoreApplication::processEvents();
    // An idle viewer sleeps here: every event wakes it, and any of them may have posted.
    while (commands().empty() && state.ExitFlag == ExitRequest::None)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int QtViewerScreen::screenHeightPixels() {
    const QScreen* display = QGuiApplication::primaryScreen();
    return display != nullptr ? display->size().height() : 0;
}

std::optional<std::vector<std::string>> QtViewerScreen::chooseFiles(const std::string& caption,
                                                                    const std::string& mask,
                                                                    const std::string& folder) {
    // Files are chosen when none is open (or the one shown is being left): nothing to scroll.
    closeFile();
    if (m_prompter == nullptr)
        return std::nullopt;
    return ChooseResultFiles(m_state, *m_prompter, caption, mask, folder, &m_screen);
}

void QtViewerScreen::showFile(ResultViewer& viewer, std::size_t fileIndex, std::size_t fileCount) {
    m_viewer = &viewer;
    m_screen.showRecords(&viewer);
    m_screen.showViewedFile(pathToQt(viewer.path()), toQt(viewer.ViewKeyword()), fileIndex,
                            fileCount, viewer.RecordLength(), viewer.KeywordColumn(),
                            viewer.LeftContextWidth());
    if (!m_screen.isVisible())
        m_screen.show();
}

void QtViewerScreen::setMenus(const ViewerMenuState& menus) {
    m_screen.setViewerMenus(menus);
}

void QtViewerScreen::closeFile() {
    m_viewer = nullptr;
    m_screen.showRecords(nullptr);
}

void QtViewerScreen::drawPage(ResultViewer& viewer, ProgramState& state) {
    m_viewer = &viewer;
    m_screen.showRecords(&viewer);
    const std::int64_t lines = std::max(1, state.ScreenLines);
    const std::int64_t count = viewer.IndexCount();
    const std::int64_t top = std::clamp<std::int64_t>(state.TopPosition, 2,
                                                      std::max<std::int64_t>(2, count - lines + 1));
    // Only the records in view are read: a page costs ScreenLines reads whatever the file's size.
    std::vector<std::string> page;
    for (std::int64_t p = top; p <= count && p < top + lines; ++p)
        page.emplace_back(viewer.GetRecord(p));
    state.ShownTop = top;
    m_screen.showPage(page, top, count, viewer.ScrollScale());
}

void QtViewerScreen::redrawColumns(ResultViewer& viewer, ProgramState& state) {
    m_screen.RedrawColumns();
    drawPage(viewer, state);
}

void QtViewerScreen::onPageWanted(std::int64_t top) {
    if (m_viewer == nullptr)
        return;
    m_state.TopPosition = top;
    drawPage(*m_viewer, m_state);
}

std::int64_t QtViewerScreen::positionOfLine(int lineIndex, const ProgramState& state) {
    const KwicLineList* lines = m_screen.lines();
    if (lineIndex >= 0 && static_cast<std::size_t>(lineIndex) < lines->count())
        return lines->itemData(static_cast<std::size_t>(lineIndex));
    return ViewerScreen::positionOfLine(lineIndex, state);
}

std::vector<std::int64_t> QtViewerScreen::selection() {
    const auto& keys = m_screen.selection().keys();
    return {keys.begin(), keys.end()};
}

void QtViewerScreen::clearSelection() {
    m_screen.ClearSelection();
}

std::optional<int> QtViewerScreen::askStepN(int current) {
    return m_screen.askStepN(current);
}

std::optional<std::string> QtViewerScreen::askFindWord(const std::string& last) {
    QInputDialog dialog(&m_screen);
    dialog.setObjectName("dlgFindInLines");
    dialog.setWindowTitle(QObject::tr("Find in Lines"));
    dialog.setLabelText(QObject::tr("Show only the lines that hold the &word:"));
    dialog.setTextValue(toQt(last));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQt(dialog.textValue());
}

std::optional<SortRequest> QtViewerScreen::askSortPositions(bool columnView) {
    return AskSortPositions(m_state, columnView, &m_screen);
}

std::optional<RangeRequest> QtViewerScreen::askExtractRange(const std::string& verb,
                                                            const ExtractRange& proposed,
                                                            bool confirming,
                                                            std::int64_t indexCount) {
    return AskExtractRange(m_state, verb, proposed, confirming, indexCount, &m_screen);
}

void QtViewerScreen::showCollocation(const Collocation& collocation) {
    frmCollocation window(collocation, &m_screen);
    window.exec();
}

void QtViewerScreen::showDetails(const std::string& text, TextSpan hit, ProgramState& state) {
    frmShowText window(state, commands(), m_prompter, &m_screen);
    window.showText(text, hit);
}

void QtViewerScreen::exportLines(ResultViewer& viewer) {
    SilentPrompter silent;
    Prompter& prompter = m_prompter != nullptr ? *m_prompter : silent;
    const QString name = QFileInfo(pathToQt(viewer.path())).completeBaseName();
    ExportTableInteractively(
        &m_screen, prompter, tr("Export the KWIC lines"), name,
        [&viewer](TableWriter& writer, const auto& progress, const std::string& target) {
            return ExportKwicLines(viewer, writer, progress, target);
        });
}

namespace {

// The hits (1 = first) of the lines shown, in display order.
std::vector<std::int64_t> shownHits(const ResultViewer& viewer) {
    std::vector<std::int64_t> hits;
    for (std::int64_t position = 2; position <= viewer.IndexCount(); ++position)
        hits.push_back(std::int64_t{viewer.recordAt(position)} - 1);
    return hits;
}

// Deletes every line shown whose hit is not among `hits`; "Restore all Deletions" brings
// them back.
void keepOnlyHits(ResultViewer& viewer, const std::vector<std::int64_t>& hits) {
    std::vector<std::int64_t> others;
    for (std::int64_t position = 2; position <= viewer.IndexCount(); ++position)
        if (!std::binary_search(hits.begin(), hits.end(),
                                std::int64_t{viewer.recordAt(position)} - 1))
            others.push_back(position);
    ScriptedPrompter agreed({Answer::Yes}); // the user asked for it by the double-click
    viewer.DeleteSelected(std::move(others), agreed);
}

} // namespace

namespace {

// The hits of a table row (a collocate, a cluster) handed back by a double-click.
using KeepHits = std::function<void(const std::string&, const std::vector<std::int64_t>&)>;

// A table window (collocates, clusters) run modal on the lines shown; a double-click keeps only
// the row's hits and closes it. True when it filtered the lines.
bool runFilteringWindow(ResultViewer& viewer,
                        const std::function<TableWindow*(const KeepHits&)>& make) {
    bool filtered = false;
    TableWindow* window = nullptr;
    window = make([&](const std::string&, const std::vector<std::int64_t>& hits) {
        keepOnlyHits(viewer, hits);
        filtered = true;
        window->accept();
    });
    window->exec();
    delete window;
    return filtered;
}

} // namespace

bool QtViewerScreen::openCollocates(ResultViewer& viewer) {
    Prompter& prompter = m_prompter != nullptr ? *m_prompter : m_silent;
    return runFilteringWindow(viewer, [&](const KeepHits& keep) {
        return MakeCollocatesWindow(
            m_state, prompter, CollocatesSource{viewer.path(), shownHits(viewer)}, keep, &m_screen);
    });
}

bool QtViewerScreen::openClusters(ResultViewer& viewer) {
    Prompter& prompter = m_prompter != nullptr ? *m_prompter : m_silent;
    return runFilteringWindow(viewer, [&](const KeepHits& keep) {
        return MakeClustersWindow(
            m_state, prompter, ClustersSource{viewer.path(), shownHits(viewer)}, keep, &m_screen);
    });
}

void QtViewerScreen::openPlot(ResultViewer& viewer) {
    if (m_plot != nullptr && m_plot->property("resultPath").toString() == pathToQt(viewer.path())) {
        m_plot->raise();
        m_plot->activateWindow();
        return;
    }
    delete m_plot;
    const std::string path = viewer.path();
    PlotHooks hooks;
    hooks.goToHit = [this, path](std::int64_t hit) { return showHit(path, hit).has_value(); };
    hooks.showDetails = [this, path](std::int64_t hit) {
        const std::optional<int> line = showHit(path, hit);
        if (line)
            commands().post(DetailsFlag{*line}); // the viewer's loop opens it
        return line.has_value();
    };
    // Not modal: the plot stays beside the viewer while the user moves through the hits.
    m_plot = new PlotWindow(m_state, m_prompter != nullptr ? *m_prompter : m_silent,
                            PlotSource{path, shownHits(viewer)}, std::move(hooks), &m_screen);
    m_plot->setWindowFlag(Qt::Window);
    m_plot->setAttribute(Qt::WA_DeleteOnClose);
    m_plot->setProperty("resultPath", pathToQt(path));
    m_plot->show();
    m_plot->start();
}

PlotWindow* QtViewerScreen::plotWindow() const {
    return m_plot;
}

std::optional<int> QtViewerScreen::showHit(const std::string& resultPath, std::int64_t hit) {
    if (m_viewer == nullptr || m_viewer->path() != resultPath)
        return std::nullopt;
    const auto& index = m_viewer->RecordIndex();
    const auto at = std::find(index.begin() + 1, index.end(), static_cast<std::uint32_t>(hit + 1));
    if (at == index.end())
        return std::nullopt; // deleted, or left out by every nth
    m_state.TopPosition = (at - index.begin()) + 1;
    drawPage(*m_viewer, m_state);
    const auto line = static_cast<int>(m_state.TopPosition - m_state.ShownTop);
    m_screen.lines()->setCurrentRow(line);
    m_screen.raise();
    return line;
}

PageGeometry QtViewerScreen::printerPage(const std::string& font) {
    return m_printer != nullptr ? m_printer->pageFor(font) : PageGeometry{};
}

void QtViewerScreen::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool QtViewerScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_screen && event->type() == QEvent::Close) {
        // The window stays until the viewer has asked and the user has chosen to leave.
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        m_screen.cancelNumberEntry();
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lexmora::ui
