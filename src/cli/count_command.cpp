// lexmora-cli count: a word count of files and folders into a ".lst"/".sta" pair.
#include "cli/analysis_output.h"
#include "cli/cli_context.h"
#include "cli/messages.h"

#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "search/messages.h"
#include "wordcount/count_sources.h"
#include "wordcount/messages.h"
#include "wordcount/word_counter.h"

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <functional>
#include <iostream>
#include <optional>
#include <sys/stat.h>

namespace lexmora::cli {

namespace {

constexpr const char* kCountUsage =
    "usage: lexmora-cli [--home DIR] count [--language L] [--apostrophe | --no-apostrophe]\n"
    "                   [--hyphen] [--tree] [--pattern MASK] [--folder DIR] --out NAME PATH...\n"
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
    "  --pattern MASK    only the files of the folders given that match, e.g. \"*.txt;*.htm\"\n"
    "                    (default: every file)\n"
    "  --folder DIR      write the pair into DIR\n"
    "  --out NAME        the base name of the pair (a name, without \"/\")\n"
    "  --                the options end: every word after it is a path\n";

// What the words after "count" ask for (the language and word breaks go to the state).
struct CountOptions {
    std::string out;
    bool tree = false;
    std::string pattern = "*";
    std::optional<bool> apostrophe;
    std::vector<std::string> paths;
    bool help = false;
};

// One option at args[i] (and its value, which moves i on); the exit status when it is wrong.
std::optional<int> readOption(const std::vector<std::string>& args, std::size_t& i, CountOptions& o,
                              ProgramState& state) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--help" || a == "-h") {
        o.help = true;
    } else if (a == "--language" && hasValue) {
        const auto language = LanguageFromTypedName(args[++i]);
        if (!language) {
            std::cerr << "lexmora-cli count: unknown language '" << args[i] << "'\n";
            return kUsage;
        }
        ApplyLanguage(state, *language);
    } else if (a == "--apostrophe") {
        o.apostrophe = true;
    } else if (a == "--no-apostrophe") {
        o.apostrophe = false;
    } else if (a == "--hyphen") {
        state.WordbreakAtHyphen = true;
    } else if (a == "--tree") {
        o.tree = true;
    } else if (a == "--pattern" && hasValue) {
        o.pattern = args[++i];
    } else if (a == "--folder" && hasValue) {
        state.FrequencyFilesDirectory = AbsolutePath(args[++i]);
    } else if (a == "--out" && hasValue) {
        o.out = args[++i];
    } else if (a.rfind("--", 0) == 0) {
        std::cerr << "lexmora-cli count: unknown option '" << a << "'\n" << kCountUsage;
        return kUsage;
    } else {
        o.paths.push_back(a);
    }
    return std::nullopt;
}

// The options; the exit status when they are wrong or only ask for help.
std::optional<int> readOptions(const std::vector<std::string>& args, CountOptions& o,
                               ProgramState& state) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") { // the options end: every word after it is a path
            o.paths.insert(o.paths.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (const auto status = readOption(args, i, o, state))
            return status;
        if (o.help) {
            std::cout << kCountUsage;
            return kSuccess;
        }
    }
    if (o.apostrophe)
        state.WordbreakAtApostrophe = *o.apostrophe;
    return std::nullopt;
}

// The count's checks before it starts: a plain name, sources, a writable output folder.
std::optional<int> checkStart(const CountOptions& o, CliContext& context) {
    const ProgramState& state = context.state;
    if (o.out.empty()) {
        context.report(msg::ResultNameNeeded());
        std::cerr << kCountUsage;
        return kUsage;
    }
    if (o.out.find(kPathSeparator) != std::string::npos) {
        // The pair goes into the frequency-files folder: a path would put it elsewhere.
        context.report(msg::ResultNameHasFolder(o.out));
        return kUsage;
    }
    if (o.paths.empty()) {
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
    return std::nullopt;
}

// The files given and those of the folders given, as whole paths; the name is text to the
// count, as the desktop gives it (the list's file name is UTF-8 again).
CountRequest countRequestOf(const CountOptions& o, CliContext& context) {
    CountRequest request;
    request.files = ExpandCountSources(o.paths, o.tree, o.pattern, context);
    request.listName = utf8ToCp1252(o.out);
    return request;
}

// Progress on standard error, at most once a second.
std::function<void(const CountProgress&)> progressPrinter(const CliContext& context) {
    auto last = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    return [&context, last](const CountProgress& p) mutable {
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
}

int reportCount(const CountResult& result, const CliContext& context) {
    switch (result.outcome) {
    case CountOutcome::Completed: {
        const std::string& text = result.resultText;
        context.printLine(text.substr(0, text.find('\r')));
        context.progress("Saving results to file: " + utf8ToCp1252(result.listPath));
        if (result.partialFiles > 0) {
            std::cerr << "partial results: " << result.partialFiles
                      << " source file(s) not read whole\n";
            return kPartial;
        }
        return kSuccess;
    }
    case CountOutcome::Abandoned:
        if (!g_interrupted.load())
            return kFailure;
        std::cerr << "Abandon Wordcount: interrupted\n";
        return abandonedStatus();
    default:
        return kFailure;
    }
}

} // namespace

int runCountCommand(CliContext& context, const std::vector<std::string>& args) {
    CountOptions o;
    if (const auto status = readOptions(args, o, context.state))
        return *status;
    if (const auto status = checkStart(o, context))
        return *status;
    const CountRequest request = countRequestOf(o, context);
    CliRunHost host;
    CountHooks hooks;
    hooks.host = &host;
    hooks.progress = progressPrinter(context);
    context.progress("  Counting total number of words (tokens)...");
    return reportCount(CountWords(context.state, request, context.prompter, hooks), context);
}

} // namespace lexmora::cli
