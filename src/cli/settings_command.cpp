// lexmora-cli settings: show every effective setting, or check and store one.
#include "cli/cli_context.h"

#include "core/settings.h"

#include <algorithm>
#include <iostream>

namespace lexmora::cli {

namespace {

constexpr const char* kSettingsUsage =
    "usage: lexmora-cli [--home DIR] settings\n"
    "       lexmora-cli [--home DIR] settings set KEY VALUE\n"
    "\n"
    "Prints every setting in effect (after the defaults and fall-backs of start-up), one\n"
    "Key=value a line, or checks VALUE as start-up would accept it and writes it to the\n"
    "settings file, keeping every other line of the file as it is.\n";

} // namespace

int runSettingsCommand(CliContext& context, const std::vector<std::string>& given) {
    // "--" ends the options as in every command: the words after it are taken as they stand.
    std::vector<std::string> args = given;
    if (const auto end = std::find(args.begin(), args.end(), "--"); end != args.end())
        args.erase(end);
    else if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kSettingsUsage;
        return kSuccess;
    }
    if (args.empty()) {
        // Folder names are the file system's own bytes, so they are printed unconverted.
        for (const auto& [key, value] : EffectiveSettings(context.state))
            std::cout << key << '=' << value << '\n';
        return kSuccess;
    }
    if (args[0] != "set" || args.size() != 3) {
        std::cerr << kSettingsUsage;
        return kUsage;
    }
    const Status stored = SetSetting(context.state, args[1], args[2]);
    if (!stored) {
        context.report(stored.error());
        return kFailure;
    }
    return kSuccess;
}

} // namespace lexmora::cli
