// What every lexmora-cli sub-command shares: the loaded state, output conversion, the prompter.
#pragma once

#include "core/program_location.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/run_control.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::cli {

// Exit statuses. A run stopped by a signal exits with 128 + the signal's number, as shells and
// service managers expect (130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP). Partial: the run
// completed and kept its files, but some source was not read or read only in part (each was
// named on standard error).
enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2, kPartial = 3, kAbandoned = 130 };

// Set by a stop signal (SIGINT, SIGTERM, SIGHUP); long runs read it through their run host.
extern std::atomic<bool> g_interrupted;
// The first stop signal's number (0 before any).
extern std::atomic<int> g_stopSignal;

// The status of a run abandoned after a stop signal: 128 + its number.
int abandonedStatus();

// Catches the stop signals: the first asks the running job to stop as the user's confirmed
// Exit would, so that it leaves nothing half-written; a second one ends the program at once.
void installStopSignals();

// The command line's run host: a stop signal is a confirmed leave, no question asked.
class CliRunHost : public RunHost {
public:
    void yield(ProgramState& state) override;
};

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

// Sets the exit flag to a confirmed leave once a stop signal has come.
void noticeStopSignal(ProgramState& state);

// Sub-commands: each takes the words after its name.
using Command = int (*)(CliContext&, const std::vector<std::string>&);
int runSettingsCommand(CliContext& context, const std::vector<std::string>& args);
int runSearchCommand(CliContext& context, const std::vector<std::string>& args);
int runCompileCommand(CliContext& context, const std::vector<std::string>& args);
int runCountCommand(CliContext& context, const std::vector<std::string>& args);
int runFreqCommand(CliContext& context, const std::vector<std::string>& args);
int runViewCommand(CliContext& context, const std::vector<std::string>& args);
int runKeynessCommand(CliContext& context, const std::vector<std::string>& args);
int runCollocatesCommand(CliContext& context, const std::vector<std::string>& args);
int runNgramsCommand(CliContext& context, const std::vector<std::string>& args);
int runPlotCommand(CliContext& context, const std::vector<std::string>& args);
int runClustersCommand(CliContext& context, const std::vector<std::string>& args);

} // namespace lexmora::cli
