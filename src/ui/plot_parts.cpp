#include "ui/plot_parts.h"

#include "analysis/dispersion_parts.h"
#include "core/command_line.h"

namespace lexmora::ui {

namespace {

bool allFiles(const std::string& pattern) {
    return pattern.empty() || pattern == "*" || pattern == "*.*";
}

} // namespace

std::optional<PlotCorpus> SourceSelectionCorpus(const ProgramState& state, Prompter& prompter) {
    PlotCorpus corpus;
    if (state.SourceIsFileList) {
        corpus.entries = state.SourceFiles; // full paths
    } else if (state.SourceDirectory.empty()) {
        return std::nullopt;
    } else if (state.AllFilesInFolder || state.SourceFiles.empty()) {
        corpus.entries = {state.SourceDirectory};
        corpus.tree = state.IncludeSubfolders;
        if (!allFiles(state.SourceFileType)) {
            // The command line takes every file of a folder: files of one type are named.
            corpus.entries =
                ExpandCorpus(corpus.entries, corpus.tree, state.SourceFileType, prompter);
            corpus.tree = false;
        }
    } else {
        std::string folder = state.SourceDirectory;
        if (folder.back() != '/')
            folder += '/';
        for (const std::string& name : state.SourceFiles)
            corpus.entries.push_back(folder + name);
    }
    if (corpus.entries.empty())
        return std::nullopt;
    return corpus;
}

std::string PlotCommandLine(const ProgramState& state, const std::string& resultPath,
                            const std::optional<PlotCorpus>& corpus) {
    std::vector<std::string> words = {CliProgramPath(state)};
    if (!state.ProgramFolder.empty())
        words.insert(words.end(), {"--home", state.ProgramFolder});
    words.insert(words.end(), {"plot", resultPath});
    if (corpus) {
        for (const std::string& entry : corpus->entries)
            words.insert(words.end(), {"--corpus", entry});
        if (corpus->tree)
            words.push_back("--tree");
    }
    words.push_back("--measures");
    return ShellLine(words);
}

} // namespace lexmora::ui
