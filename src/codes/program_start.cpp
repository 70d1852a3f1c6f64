#include "codes/program_start.h"

#include "codes/code_tables.h"
#include "core/settings.h"

namespace lexmora {

void StartProgram(ProgramState& state, const ProgramLocation& location, Prompter& prompter) {
    state.InstallFolder = location.installFolder;
    state.SettingsPath = location.settingsPath;
    LoadSettings(state, SettingsEnvironment::fromProcess(location.programFolder));
    ApplyStoredLanguage(state);
    LoadCodeFolder(state, CodeFilesFolder(state), prompter);
}

} // namespace lexmora
