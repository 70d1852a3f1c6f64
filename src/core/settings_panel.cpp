#include "core/settings_panel.h"

#include "core/paths.h"

namespace lexmora {

std::string ContextPanelText(int left, int right) {
    return "left = " + std::to_string(left) + " characters / right = " + std::to_string(right) +
           " characters";
}

std::string ContextPanelShortText(int left, int right) {
    return "left = " + std::to_string(left) + " chars. / right = " + std::to_string(right) +
           " chars.";
}

std::string SourcePanelText(const ProgramState& state) {
    if (state.MakingFileList)
        return ShortenPath(state.FileListDirectory, kPanelPathWidth);
    if (state.SourceIsFileList)
        return "file list";
    return ShortenPath(state.SourceDirectory, kPanelPathWidth);
}

std::string TargetPanelText(const ProgramState& state) {
    return ShortenPath(state.TargetDirectory, kPanelPathWidth);
}

} // namespace lexmora
