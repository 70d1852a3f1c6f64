// What every lexmora-cli sub-command shares: the loaded state, output conversion, the prompter.
#pragma once

#include "core/program_location.h"
#include "core/program_state.h"
#include "core/prompter.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::cli {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2, kAbandoned = 130 };

// Set by Ctrl-C; long runs read it through their yield hook.
extern std::atomic<bool> g_interrupted;

// Questions are printed on standard error with the answer taken: Yes with --yes, else the safe one.
class CliPrompter : public Prompter {
public:
    explicit CliPrompter(bool yes) : m_yes(yes) {}
    Answer ask(const Message& message) override;

private:
    bool m_yes;
};

struct CliContext {
    ProgramLocation location;
    ProgramState state;
    bool raw = false; // print Windows-1252 bytes as they are
    bool yes = false;
    CliPrompter prompter{false};

    // Program text (Windows-1252) as the user's terminal wants it.
    std::string display(std::string_view text) const;
    void printLine(std::string_view text) const; // standard output
    void report(const Message& message) const;   // "title: text" on standard error
    void progress(std::string_view text) const;  // standard error
};

// The loaded program, as every sub-command starts from it.
void loadProgram(CliContext& context);

// The yield hook of long runs: notices Ctrl-C and sets the exit flag.
void cliYield(ProgramState& state);

// Sub-commands: each takes the words after its name.
using Command = int (*)(CliContext&, const std::vector<std::string>&);
int runSettingsCommand(CliContext& context, const std::vector<std::string>& args);
int runSearchCommand(CliContext& context, const std::vector<std::string>& args);
int runCompileCommand(CliContext& context, const std::vector<std::string>& args);
int runCountCommand(CliContext& context, const std::vector<std::string>& args);
int runFreqCommand(CliContext& context, const std::vector<std::string>& args);
int runViewCommand(CliContext& context, const std::vector<std::string>& args);

} // namespace lexmora::cli
