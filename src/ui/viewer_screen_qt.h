// The KWIC screen in its viewing role, as the result viewer's command loop sees it: the wait for
// the next command in Qt's event loop, the page drawn from the viewer's records (only the lines
// in view are read), the dialogs the commands ask through, the busy pointer. While it lives,
// closing the screen is the Exit button: the viewer asks first.
#pragma once

#include "viewer/viewer_loop.h"

#include <QObject>
#include <QPointer>

namespace lexmora::ui {

class frmViewScreen;
class QtPrinter;
class PlotWindow;

class QtViewerScreen : public QObject, public ViewerScreen {
    Q_OBJECT
public:
    // `prompter` serves the file chooser, `printer` the page layout of printed text; without
    // them the chooser is not shown and pages keep the engine's layout.
    QtViewerScreen(frmViewScreen& screen, ProgramState& state, Prompter* prompter = nullptr,
                   QtPrinter* printer = nullptr);
    ~QtViewerScreen() override;

    // The screen's queue: the screen posts into it and outlives this adapter.
    ViewerCommandQueue& commands() override;
    // Runs the events that are waiting; then, while no command is pending and no Exit asked,
    // sleeps in the event loop until the next event.
    void waitForCommand(ProgramState& state) override;
    int screenHeightPixels() override;
    std::optional<std::vector<std::string>> chooseFiles(const std::string& caption,
                                                        const std::string& mask,
                                                        const std::string& folder) override;
    void showFile(ResultViewer& viewer, std::size_t fileIndex, std::size_t fileCount) override;
    void setMenus(const ViewerMenuState& menus) override;
    void closeFile() override;
    void drawPage(ResultViewer& viewer, ProgramState& state) override;
    void redrawColumns(ResultViewer& viewer, ProgramState& state) override;
    std::int64_t positionOfLine(int lineIndex, const ProgramState& state) override;
    std::vector<std::int64_t> selection() override;
    void clearSelection() override;
    std::optional<int> askStepN(int current) override;
    std::optional<std::string> askFindWord(const std::string& last) override;
    std::optional<SortRequest> askSortPositions(bool columnView) override;
    std::optional<RangeRequest> askExtractRange(const std::string& verb,
                                                const ExtractRange& proposed, bool confirming,
                                                std::int64_t indexCount) override;
    void showCollocation(const Collocation& collocation) override;
    void showDetails(const std::string& text, TextSpan hit, ProgramState& state) override;
    PageGeometry printerPage(const std::string& font) override;
    void setBusy(bool busy) override;
    void exportLines(ResultViewer& viewer) override;
    bool openCollocates(ResultViewer& viewer) override;
    bool openClusters(ResultViewer& viewer) override;
    void openPlot(ResultViewer& viewer) override;
    PlotWindow* plotWindow() const; // tests

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The plot's click: the viewer's page shows the hit (1 = first) as its current line; the
    // line's index in the page, or nothing when the hit is not among the lines shown.
    std::optional<int> showHit(const std::string& resultPath, std::int64_t hit);
    // The vertical bar or a paging key moved the page.
    void onPageWanted(std::int64_t top);

    frmViewScreen& m_screen;
    ProgramState& m_state;
    Prompter* m_prompter;
    QtPrinter* m_printer;
    ResultViewer* m_viewer = nullptr; // the file on the screen, for scrolling between commands
    bool m_busy = false;
    QPointer<PlotWindow> m_plot; // beside the viewer while it is open
    SilentPrompter m_silent;     // the analysis windows', when the screen has no prompter
};

} // namespace lexmora::ui
