// lexmora-cli count: a word count of files and folders into a ".lst"/".sta" pair.
#include "cli/cli_context.h"
#include "cli/messages.h"

#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "files/file_patterns.h"
#include "search/messages.h"
#include "wordcount/messages.h"
#include "wordcount/word_counter.h"

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <iostream>
#include <sys/stat.h>

namespace lexmora::cli {

namespace {

constexpr const char* kCountUsage =
    "usage: lexmora-cli [--home DIR] count [--language L] [--apostrophe | --no-apostrophe]\n"
    "                   [--hyphen] [--tree] [--folder DIR] --out NAME PATH...\n"
    "\n"
    "Counts the words of the files given, and of every file in the folders given (with --tree\n"
    "their sub-folders too), and writes the word list NAME.lst and its index NAME.sta into the\n"
    "frequency-files folder (or DIR). Progress goes to standard error, the result line to\n"
    "standard output.\n"
    "\n"
    "  --language L      english | french | german | italian | spanish (sets the apostrophe\n"
    "                    rule of the language)\n"
    "  --apostrophe      break words at apostrophes (French: l'homme gives l and homme)\n"
    "  --no-apostrophe   keep words with apostrophes whole\n"
    "  --hyphen          break words at hyphens\n"
    "  --tree            include all sub-folders of the folders given\n"
    "  --folder DIR      write the pair into DIR\n"
    "  --out NAME        the base name of the pair (a name, without \"/\")\n"
    "  --                the options end: every word after it is a path\n";

} // namespace

int runCountCommand(CliContext& context, const std::vector<std::string>& args) {
    ProgramState& state = context.state;
    std::string out;
    bool tree = false;
    std::optional<bool> apostrophe;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--") { // the options end: every word after it is a path
            paths.insert(paths.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a == "--help" || a == "-h") {
            std::cout << kCountUsage;
            return kSuccess;
        } else if (a == "--language" && hasValue) {
            const auto language = LanguageFromTypedName(args[++i]);
            if (!language) {
                std::cerr << "lexmora-cli count: unknown language '" << args[i] << "'\n";
                return kUsage;
            }
            ApplyLanguage(state, *language);
        } else if (a == "--apostrophe") {
            apostrophe = true;
        } else if (a == "--no-apostrophe") {
            apostrophe = false;
        } else if (a == "--hyphen") {
            state.WordbreakAtHyphen = true;
        } else if (a == "--tree") {
            tree = true;
        } else if (a == "--folder" && hasValue) {
            state.FrequencyFilesDirectory = AbsolutePath(args[++i]);
        } else if (a == "--out" && hasValue) {
            out = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            std::cerr << "lexmora-cli count: unknown option '" << a << "'\n" << kCountUsage;
            return kUsage;
        } else {
            paths.push_back(a);
        }
    }
    if (apostrophe)
        state.WordbreakAtApostrophe = *apostrophe;
    if (out.empty()) {
        context.report(msg::ResultNameNeeded());
        std::cerr << kCountUsage;
        return kUsage;
    }
    if (out.find(kPathSeparator) != std::string::npos) {
        // The pair goes into the frequency-files folder: a path would put it elsewhere.
        context.report(msg::ResultNameHasFolder(out));
        return kUsage;
    }
    if (paths.empty()) {
        context.report(msg::NoSourceFilesSelected());
        return kUsage;
    }
    if (!FolderExists(state.FrequencyFilesDirectory)) {
        context.report(msg::CannotFindFrequencyFolder(state.FrequencyFilesDirectory));
        return kFailure;
    }
    if (IsReadOnlyFolder(state.FrequencyFilesDirectory)) {
        context.report(search::msg::ReadOnlyTarget());
        return kFailure;
    }

    std::vector<std::string> files;
    for (const std::string& p : paths) {
        const std::string full = AbsolutePath(p);
        if (isDirectory(full)) {
            // The same listing as the file chooser: hidden files left out, link loops end.
            const std::vector<std::string> found =
                tree ? lexmora::files::ListTreeFiles(full, "*")
                     : lexmora::files::ListMatchingFiles(full, "*");
            for (const std::string& name : found)
                files.push_back(tree ? name : JoinPath(full, name));
        } else
            files.push_back(full); // a missing file gets the count's own question
    }

    CliRunHost host;
    CountHooks hooks;
    hooks.host = &host;
    auto last = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    hooks.progress = [&context, &last](const CountProgress& p) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last < std::chrono::seconds(1))
            return;
        last = now;
        if (p.phase == CountProgress::Phase::Scatter)
            context.progress("Performing word count... file " + std::to_string(p.fileNumber) +
                             " of " + std::to_string(p.fileTotal) + ": " + p.fileName +
                             "  tokens: " + std::to_string(p.tokens));
        else
            context.progress("Sorting " + p.bucketText + "  " + std::to_string(p.elapsedSeconds) +
                             " secs");
    };
    context.progress("  Counting total number of words (tokens)...");
    const CountResult result = CountWords(state, files, out, context.prompter, hooks);
    switch (result.outcome) {
    case CountOutcome::Completed: {
        const std::string& text = result.resultText;
        context.printLine(text.substr(0, text.find('\r')));
        context.progress("Saving results to file: " + result.listPath);
        return kSuccess;
    }
    case CountOutcome::Abandoned:
        if (!g_interrupted.load())
            return kFailure;
        std::cerr << "Abandon Wordcount: interrupted\n";
        return kAbandoned;
    default:
        return kFailure;
    }
}

} // namespace lexmora::cli
