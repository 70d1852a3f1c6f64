// "Compare with a reference list...": the keyness of the frequency viewer's word list against a
// reference (another word list or a plain list), in the shared table window, positive and
// negative keywords tinted apart. A double-click asks the frequency viewer to go to the word.
#pragma once

#include "analysis/keyness.h"
#include "core/program_state.h"
#include "core/prompter.h"

#include <functional>
#include <string>

class QWidget;

namespace lexmora::ui {

class TableWindow;

// The options the window offers, read into a request.
struct KeynessPanel;

// The window, not modal; `goToWord` is the frequency viewer's jump (Windows-1252 word).
TableWindow* OpenKeynessWindow(ProgramState& state, Prompter& prompter,
                               const std::string& targetListPath,
                               std::function<void(const std::string&)> goToWord, QWidget* parent);

// The lexmora-cli line that gives the same table (UTF-8).
std::string KeynessCommandLine(const ProgramState& state, const KeynessRequest& request);

} // namespace lexmora::ui
