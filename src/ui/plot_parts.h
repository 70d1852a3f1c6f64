// The parts of the concordance plot as the desktop offers them (the current source selection)
// and the command line that gives the same measures. Free of Qt, so the engine's headers it
// needs stay out of the window's files.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <optional>
#include <string>
#include <vector>

namespace lexmora::ui {

// A corpus as the plot's parts: files, folders or stored lists, and whether folders are taken
// with their sub-folders.
struct PlotCorpus {
    std::vector<std::string> entries; // UTF-8 paths
    bool tree = false;
};

// The corpus of the current source selection (files, a folder of the chosen type, a folder tree,
// a file list); nothing when no source is selected. Files of a type other than all are named one
// by one, as the command line names them.
std::optional<PlotCorpus> SourceSelectionCorpus(const ProgramState& state, Prompter& prompter);

// The lexmora-cli line that gives the plot's measures (UTF-8).
std::string PlotCommandLine(const ProgramState& state, const std::string& resultPath,
                            const std::optional<PlotCorpus>& corpus);

} // namespace lexmora::ui
