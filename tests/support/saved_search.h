// A search of one keyword with its results saved, as tests of the viewer need their input:
// the search run's own result file rather than a hand-made one.
#pragma once

#include "codes/code_tables.h"
#include "search/search_run.h"

#include <string>
#include <vector>

namespace lexmora::test {

// Searches `files` of `sourceFolder` (ending in "/") for `keyword`, case ignored, in the ANSI
// code, `context` characters either side, and saves to `target`. The dump file's path, or ""
// when none was kept.
inline std::string SearchAndSave(const std::string& sourceFolder,
                                 const std::vector<std::string>& files, const std::string& keyword,
                                 const std::string& target, int context) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    state.CodeMode = kCodeAnsi;
    state.LeftContext = context;
    state.RightContext = context;
    state.SourceDirectory = sourceFolder;
    state.SourceFileType = "*.*";
    state.TargetDirectory = target;
    state.InvalidFileNameChars = "\\/:*?\"<>|";
    state.SourceFiles = files;
    state.SaveToFile = true;
    state.Keywords = {keyword};
    state.KeywordCase = {false};
    SearchRun run;
    SearchObserver observer;
    SilentPrompter prompter;
    RunSearch(state, SearchRequestFor(state), run, observer, prompter);
    return run.keptDumpFiles.empty() ? std::string() : run.keptDumpFiles.front();
}

} // namespace lexmora::test
