#include "ui/command_line_qt.h"

#include "core/command_line.h"
#include "core/messages.h"

namespace lexmora::ui {

namespace {

std::string copyWords(const ProgramState& state, std::vector<std::string> words, Prompter& prompter,
                      Clipboard& clipboard) {
    words.insert(words.begin(), CliProgramPath(state));
    const std::string line = ShellLine(words);
    clipboard.setUtf8Text(line);
    prompter.tell(core::msg::CommandLineCopied(line));
    return line;
}

} // namespace

std::optional<std::string> CopySearchCommandLine(const ProgramState& state, Prompter& prompter,
                                                 Clipboard& clipboard) {
    auto words = SearchCommandWords(state);
    if (!words) {
        prompter.tell(words.error());
        return std::nullopt;
    }
    return copyWords(state, std::move(*words), prompter, clipboard);
}

std::optional<std::string> CopyCountCommandLine(const ProgramState& state,
                                                const std::string& outputName, Prompter& prompter,
                                                Clipboard& clipboard) {
    return copyWords(state, CountCommandWords(state, outputName), prompter, clipboard);
}

} // namespace lexmora::ui
