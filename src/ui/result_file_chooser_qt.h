// The file chooser in its "select files to view" role: the result files (or a log) to open.
// The search's own choice of source files is left as it was.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace lexmora::ui {

// The chosen files' full paths; nothing unless the user confirmed with "Ok".
std::optional<std::vector<std::string>>
ChooseResultFiles(ProgramState& state, Prompter& prompter, const std::string& caption,
                  const std::string& mask, const std::string& folder, QWidget* parent);

} // namespace lexmora::ui
