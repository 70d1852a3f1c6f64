#include "ui/result_file_chooser_qt.h"

#include "ui/frmGetFiles.h"

namespace lexmora::ui {

std::optional<std::vector<std::string>>
ChooseResultFiles(ProgramState& state, Prompter& prompter, const std::string& caption,
                  const std::string& mask, const std::string& folder, QWidget* parent) {
    auto chosen = ChooseFilesAside(state, prompter, caption, folder, mask, parent);
    if (!chosen)
        return std::nullopt;
    return std::move(chosen->paths);
}

} // namespace lexmora::ui
