#include "wordcount/count_start.h"

#include "core/drives.h"
#include "core/file_checks.h"
#include "core/folders.h"
#include "wordcount/messages.h"

#include <cctype>

namespace lexmora {

namespace {

bool blank(const std::string& text) {
    for (unsigned char c : text)
        if (!std::isspace(c))
            return false;
    return true;
}

// OK opens the chooser, Cancel stops.
CountStartStep chooseOrStop(const Message& message, CountStartStep choose, Prompter& prompter) {
    return prompter.ask(message) == Answer::Ok ? choose : CountStartStep::Stop;
}

CountStartStep checkFreeSpace(const ProgramState& state, const std::string& programFolder,
                              Prompter& prompter) {
    const std::string& folder = state.FrequencyFilesDirectory;
    const std::string drive = DriveOf(folder);
    if (DriveType(folder) != kDriveRemovable) {
        WarnLowSpace(drive, kCountLowSpace, prompter);
        return CountStartStep::Start;
    }
    const double free = FreeBytes(folder);
    if (!state.WarnLowDisk || free < 0 || free >= kCountRemovableLowSpace)
        return CountStartStep::Start;
    const bool programDrive = !programFolder.empty() && DriveOf(programFolder) == drive;
    switch (prompter.ask(wordcount::msg::RemovableDiskLow(free, drive, programDrive))) {
    case Answer::Yes:
        return CountStartStep::ChooseOutputFolder;
    case Answer::No:
        return CountStartStep::Start;
    default:
        return CountStartStep::Stop;
    }
}

} // namespace

bool HasCountSelection(const ProgramState& state) {
    if (state.SourceIsFileList)
        return !state.StoredFileList.empty();
    if (state.SourceDirectory.empty())
        return false;
    return state.IncludeSubfolders || state.AllFilesInFolder || !state.SourceFiles.empty();
}

CountStartStep CheckCountStart(ProgramState& state, const std::string& outputName,
                               const std::string& programFolder, Prompter& prompter) {
    const std::string& target = state.FrequencyFilesDirectory;
    if (blank(outputName)) {
        if (prompter.ask(wordcount::msg::OutputNameNeeded()) == Answer::Ok)
            return CountStartStep::FocusName;
        state.ExitFlag = ExitRequest::UserPressedExit;
        return CountStartStep::Leave;
    }
    // A stored list has no source folder of its own: its files may lie anywhere.
    if (!state.SourceIsFileList && !state.SourceDirectory.empty() &&
        SameFolder(target, state.SourceDirectory))
        return chooseOrStop(wordcount::msg::TargetIsSourceFolder(),
                            CountStartStep::ChooseOutputFolder, prompter);
    if (target.empty() || (FolderExists(target) && IsReadOnlyFolder(target)))
        return chooseOrStop(wordcount::msg::ReadOnlyTargetFolder(),
                            CountStartStep::ChooseOutputFolder, prompter);
    Answer answer = Answer::Ok;
    if (!CheckFolder(target, answer, prompter))
        return answer == Answer::Retry ? CountStartStep::Repeat : CountStartStep::Stop;
    if (const CountStartStep step = checkFreeSpace(state, programFolder, prompter);
        step != CountStartStep::Start)
        return step;
    if (!HasCountSelection(state))
        return chooseOrStop(wordcount::msg::NoSourceFilesSelected(), CountStartStep::ChooseFiles,
                            prompter);
    return CountStartStep::Start;
}

} // namespace lexmora
