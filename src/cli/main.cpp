// lexmora-cli: the program's engines from a shell. One sub-command per engine.
#include "cli/cli_context.h"
#include "core/heap_pages.h"

#include <cstring>
#include <iostream>
#include <map>
#include <optional>

using namespace lexmora;
using namespace lexmora::cli;

namespace {

constexpr const char* kMainUsage =
    "usage: lexmora-cli [--home DIR] [--raw] [--yes] COMMAND [ARGS...]\n"
    "\n"
    "commands:\n"
    "  settings                 every effective setting, Key=value\n"
    "  settings set KEY VALUE   check a setting and write it to lexmora9.ini\n"
    "  search [options] KEYWORD...  find keywords in context; search --help for options\n"
    "  compile KEYWORD...       the stored entry and compiled pattern of each keyword\n"
    "  count --out NAME PATH... word count of files and folders into NAME.lst/.sta\n"
    "  freq FILE.lst            the records of a word list: sort, norm, find, save .lex\n"
    "  view FILE.dmp            a result file's KWIC lines: every nth, sort, delete, extract\n"
    "  keyness TARGET.lst REFERENCE  the keywords of a word list against a reference list\n"
    "  collocates FILE.dmp      the words around the hits, scored by MI, T, LL, logDice...\n"
    "  ngrams [options] PATH... word sequences of files and folders with frequency and range\n"
    "  plot FILE.dmp            how the hits spread over the files: rows, measures, SVG plot\n"
    "  clusters RESULT.dmp      word sequences around the hits of a result file\n"
    "\n"
    "  --home DIR   the folder of the settings file lexmora9.ini (code files and help pages\n"
    "               are read from the installed program's folder)\n"
    "  --raw        print the program's Windows-1252 text as it is, not as UTF-8\n"
    "  --yes        answer Yes to the program's questions (default: the safe answer)\n"
    "  COMMAND --help shows the options of a command.\n"
    "\n"
    "exit status: 0 success, 1 a failure reported, 2 a usage error, 3 partial results (a source\n"
    "not read, or changed while read; the files are kept), 128 + N stopped by signal N (130\n"
    "Ctrl-C, 143 SIGTERM, 129 SIGHUP).\n";

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"settings", runSettingsCommand}, {"search", runSearchCommand},
        {"compile", runCompileCommand},   {"count", runCountCommand},
        {"freq", runFreqCommand},         {"view", runViewCommand},
        {"keyness", runKeynessCommand},   {"collocates", runCollocatesCommand},
        {"ngrams", runNgramsCommand},     {"clusters", runClustersCommand},
        {"plot", runPlotCommand},
    };
    return table;
}

} // namespace

int main(int argc, char** argv) {
    KeepHeapInLargePages();
    std::optional<std::string> home;
    CliContext context;
    std::vector<std::string> args;
    std::string command;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--" && !command.empty()) {
            // The options end here: the rest goes to the command as it stands, "--" included
            // so that the command's own options end there too.
            args.insert(args.end(), argv + i, argv + argc);
            break;
        }
        if (word == "--home" && command.empty()) {
            if (i + 1 >= argc) {
                std::cerr << "lexmora-cli: --home needs a folder\n";
                return kUsage;
            }
            home = argv[++i];
        } else if (word == "--raw") {
            context.raw = true;
        } else if (word == "--yes") {
            context.yes = true;
        } else if ((word == "--help" || word == "-h") && command.empty()) {
            std::cout << kMainUsage;
            return kSuccess;
        } else if (command.empty()) {
            command = word;
        } else {
            args.push_back(word);
        }
    }
    if (command.empty()) {
        std::cerr << kMainUsage;
        return kUsage;
    }
    const auto found = commands().find(command);
    if (found == commands().end()) {
        std::cerr << "lexmora-cli: unknown command '" << command << "'\n" << kMainUsage;
        return kUsage;
    }
    installStopSignals();
    context.prompter = CliPrompter(context.yes);
    context.location = LocateProgram(home);
    loadProgram(context);
    return found->second(context, args);
}
