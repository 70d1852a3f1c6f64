// The help pages: one HTML page per window in the "help" folder of the shipped files, shown in
// the program's own HTML window under the page's title.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <QString>

#include <string>

class QWidget;

namespace lexmora::ui {

// The topics, one per window; each is help/<topic>.html.
namespace help {
inline constexpr const char* kIndex = "index";
inline constexpr const char* kMainWindow = "main-window";
inline constexpr const char* kSearchScreen = "search-screen";
inline constexpr const char* kViewer = "viewer";
inline constexpr const char* kWordCount = "word-count";
inline constexpr const char* kFrequencyViewer = "frequency-viewer";
inline constexpr const char* kTableWindow = "table-window";
} // namespace help

// The page of `topic`, the index when the topic has none, or an empty string when neither is
// there.
QString HelpPagePath(const ProgramState& state, const std::string& topic);

// Shows the page of `topic` in the HTML window owned by `owner` (one per owner); tells
// "Cannot find help file!" when there is no help page at all.
void ShowHelpTopic(QWidget* owner, const ProgramState& state, Prompter& prompter,
                   const std::string& topic);
// The same, telling `missing` when there is no help page at all.
void ShowHelpTopic(QWidget* owner, const ProgramState& state, Prompter& prompter,
                   const std::string& topic, const Message& missing);

} // namespace lexmora::ui
