// A result file shown as the program shows it: the viewer's screen, its printer and the adapter
// the viewer draws through. Tests of the screen's windows start from here.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "ui/frmViewScreen.h"
#include "ui/qt_printer.h"
#include "ui/viewer_screen_qt.h"
#include "viewer/result_viewer.h"

#include <optional>
#include <string>

namespace lexmora::test {

struct ViewerOnScreen {
    ViewerOnScreen(ProgramState& state, Prompter& prompter, int lines)
        : m_state(state), m_prompter(prompter), screen(state, prompter), printer(&screen),
          adapter(screen, state, &prompter, &printer) {
        screen.prepareForViewing(lines);
    }

    // Opens the result file; false when it cannot be.
    bool open(const std::string& results) {
        auto opened = ResultViewer::open(results, m_prompter);
        if (opened.ok())
            viewer.emplace(std::move(*opened));
        return viewer.has_value();
    }
    // Draws the open file's first page.
    void draw() {
        adapter.showFile(*viewer, 0, 1);
        adapter.drawPage(*viewer, m_state);
    }

private:
    ProgramState& m_state;
    Prompter& m_prompter;

public:
    ui::frmViewScreen screen;
    ui::QtPrinter printer;
    ui::QtViewerScreen adapter;
    std::optional<ResultViewer> viewer;
};

} // namespace lexmora::test
