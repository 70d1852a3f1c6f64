#include "ui/viewer_run_qt.h"

#include "ui/frmViewScreen.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_file_viewer.h"
#include "ui/qt_printer.h"
#include "ui/result_file_chooser_qt.h"
#include "ui/viewer_screen_qt.h"

#include <QWidget>

namespace lexmora::ui {

void RunViewerWindow(ProgramState& state, Prompter& prompter, QWidget* mainWindow,
                     std::vector<std::string> firstFiles) {
    frmViewScreen screen(state, prompter);
    QtPrinter printer(&screen);
    QtViewerScreen adapter(screen, state, &prompter, &printer);
    QtClipboard clipboard;
    QtFileViewer files(&screen);
    ViewerPorts ports{adapter, prompter, clipboard, printer, files};
    // The page size the viewer works out, known before the first page is drawn.
    const ScreenGeometry geometry = ViewerScreenGeometry(
        adapter.screenHeightPixels(), ScreenGeometry{state.ScreenLines, state.ScreenColumns});
    state.ScreenColumns = geometry.columns;
    screen.prepareForViewing(geometry.lines);
    if (mainWindow != nullptr)
        mainWindow->hide();
    RunResultViewer(state, ports, std::move(firstFiles));
    screen.hide();
    if (mainWindow != nullptr)
        mainWindow->show();
}

void ViewLogFiles(ProgramState& state, Prompter& prompter, FileViewer& viewer, QWidget* parent) {
    const auto chosen = ChooseResultFiles(state, prompter, kSelectFilesToView, kLogFileMask,
                                          state.TargetDirectory, parent);
    if (!chosen)
        return;
    for (const std::string& log : *chosen)
        ViewFile(log, "", "", state, prompter, viewer);
}

} // namespace lexmora::ui
