// The main window's "&View Search Results" (and its icon) and "View &Log Files": the result
// viewer run on the KWIC screen, and a log picked and shown.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/view_file.h"

#include <string>
#include <vector>

class QWidget;

namespace lexmora::ui {

// Hides the main window while the viewer runs and shows it again when the user leaves.
// `firstFiles` (a recent or dropped result file) are viewed before the chooser is shown.
void RunViewerWindow(ProgramState& state, Prompter& prompter, QWidget* mainWindow,
                     std::vector<std::string> firstFiles = {});

// Picks log files with "*.log;dumplog.*" in the target folder and shows each.
void ViewLogFiles(ProgramState& state, Prompter& prompter, FileViewer& viewer, QWidget* parent);

} // namespace lexmora::ui
