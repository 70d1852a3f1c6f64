// libFuzzer target: any bytes as the settings file; loading must give values inside their ranges
// and the effective settings must list without fault.
#include "core/settings.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cctype>

using namespace lexmora;
using fuzz::require;

namespace {

// A stored temporary folder is created on load; keep the fuzzer from making folders anywhere.
std::string withoutTempFolder(std::string_view bytes) {
    std::string text(bytes);
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (std::size_t at = lower.find("tempdirectory"); at != std::string::npos;
         at = lower.find("tempdirectory", at + 1))
        text[at] = '#';
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeScratch(kSettingsFileName, withoutTempFolder(bytes));
    SettingsEnvironment env;
    env.programFolder = fuzz::scratchFolder();
    env.currentFolder = fuzz::scratchFolder();
    env.tmpVariable = fuzz::scratchFolder();
    ProgramState state;
    LoadSettings(state, env);
    require(state.LeftContext > 0 && state.RightContext > 0);
    require(state.LeftContext <= 32767 && state.RightContext <= 32767);
    for (const auto& [key, value] : EffectiveSettings(state))
        require(!key.empty() && value.find('\n') == std::string::npos);
    (void)TakeStartValues(state);
    return 0;
}
