#include "core/program_exit.h"

#include "core/file_utils.h"
#include "core/messages.h"
#include "core/paths.h"

#include <filesystem>

namespace lexmora {

std::vector<std::string> DeleteResultsWrittenSince(const std::string& folder,
                                                   std::chrono::system_clock::time_point since) {
    namespace fs = std::filesystem;
    std::vector<std::string> deleted;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& file = it->path();
        if (!equalsNoCase(file.extension().string(), ".dmp") || !it->is_regular_file(error))
            continue;
        const auto written = it->last_write_time(error);
        if (error)
            continue;
        const auto writtenAt = std::chrono::file_clock::to_sys(written);
        if (writtenAt <= since)
            continue;
        DeleteResultFiles(file.string());
        deleted.push_back(file.string());
        error.clear();
    }
    return deleted;
}

ExitOutcome RunExitSequence(ProgramState& state, StartValues& start, Prompter& prompter) {
    if (!SaveChangedSettings(state, start, prompter).empty()) {
        const auto programStart = start.ProgramStart;
        start = TakeStartValues(state);
        start.ProgramStart = programStart;
    }
    if (!state.ResultsWritten)
        return ExitOutcome::Leave;
    const Answer answer = prompter.ask(core::msg::DeleteSessionResults(state.TargetDirectory));
    if (answer == Answer::Cancel)
        return ExitOutcome::StayOpen;
    if (answer == Answer::Yes) {
        state.TargetPath = AddBackslash(state.TargetDirectory);
        DeleteResultsWrittenSince(state.TargetPath, start.ProgramStart);
    }
    return ExitOutcome::Leave;
}

} // namespace lexmora
