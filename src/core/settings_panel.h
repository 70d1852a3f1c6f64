// The texts of the main window's "  CURRENT SETTINGS  " panel, worked out from the state.
#pragma once

#include "core/program_state.h"

#include <string>

namespace lexmora {

inline constexpr std::size_t kPanelPathWidth = 50;
inline constexpr const char* kNoneSelected = "none selected";

// "left = 200 characters / right = 200 characters", as the panel shows it at start-up.
std::string ContextPanelText(int left, int right);
// "left = 80 chars. / right = 80 chars.", as the context settings leave it.
std::string ContextPanelShortText(int left, int right);
// The source folder shortened, "file list", or the file-list folder while a list is built.
std::string SourcePanelText(const ProgramState& state);
std::string TargetPanelText(const ProgramState& state);

} // namespace lexmora
