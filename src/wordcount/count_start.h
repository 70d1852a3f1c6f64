// The checks the count window makes when Start is pressed, in order, each asking the user what
// to do when it fails; the answer becomes the window's next step.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <string>

namespace lexmora {

// What the window does after the checks.
enum class CountStartStep {
    Start,              // every check passed: the count runs
    FocusName,          // the name box takes the cursor
    ChooseOutputFolder, // the output folder chooser opens
    ChooseFiles,        // the source chooser opens
    Repeat,             // check again (Retry on a missing folder)
    Stop,               // back to waiting for Start
    Leave,              // the window closes (the exit flag is set)
};

// Below this a removable output drive is warned about; other drives need this much.
inline constexpr double kCountRemovableLowSpace = 512000.0;
inline constexpr double kCountLowSpace = 1048576.0;

// True when the source selection names something to count: a stored list with files, a folder
// or a folder tree, or chosen files.
bool HasCountSelection(const ProgramState& state);

// The six checks: an output name, an output folder that is not the source folder (compared as
// folders, not names), writable, present, with room on its drive, and a source selection.
// `programFolder` tells the program's own drive for the low-space question.
CountStartStep CheckCountStart(ProgramState& state, const std::string& outputName,
                               const std::string& programFolder, Prompter& prompter);

} // namespace lexmora
