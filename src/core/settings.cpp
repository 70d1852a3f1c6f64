#include "core/settings.h"

#include "core/folders.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/profile.h"

#include <cstdlib>

namespace lexmora {
namespace {

constexpr std::size_t kIniBuffer = 255; // a stored value is cut at one character less

std::string symbolChars() {
    static constexpr unsigned char codes[] = {130, 131, 132, 133, 134, 135, 136, 137, 139, 145,
                                              146, 147, 148, 149, 150, 151, 152, 153, 155, 160,
                                              161, 166, 171, 172, 173, 177, 187, 191, 215, 247};
    return std::string(std::begin(codes), std::end(codes));
}

// The stored folder, or `fallback` when the value is empty or names no folder.
std::string folderSetting(const std::string& key, const std::string& programFolder,
                          const std::string& fallback, const std::string& path) {
    std::string value;
    if (ReadIniString(key, programFolder, value, path) == 0 || !FolderExists(value))
        return fallback;
    return value;
}

// A context width as stored: 0, not a number or beyond the 16-bit range is absent.
int contextSetting(const std::string& key, const std::string& path) {
    const long long stored = ReadIniInt(key, kDefaultContextWidth, path);
    if (stored <= 0 || stored > 32767)
        return kDefaultContextWidth;
    return static_cast<int>(std::min<long long>(stored, kMaxContextWidth));
}

bool isDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

SettingsEnvironment SettingsEnvironment::fromProcess(const std::string& programFolder) {
    SettingsEnvironment env;
    env.programFolder = programFolder;
    env.currentFolder = CurrentFolder();
    for (const char* name : {"Tmp", "TMP", "TMPDIR"}) {
        if (const char* value = std::getenv(name); value && *value) {
            env.tmpVariable = value;
            break;
        }
    }
    return env;
}

std::size_t ReadIniString(const std::string& key, const std::string& fallback, std::string& value,
                          const std::string& settingsPath) {
    value = readProfileValue(settingsPath, kSettingsSection, key).value_or(fallback);
    if (value.size() > kIniBuffer - 1)
        value.resize(kIniBuffer - 1);
    return value.size();
}

long long ReadIniInt(const std::string& key, long long fallback, const std::string& settingsPath) {
    const auto stored = readProfileValue(settingsPath, kSettingsSection, key);
    if (!stored)
        return fallback;
    long long number = 0;
    for (char c : *stored) {
        if (c < '0' || c > '9')
            break;
        number = number * 10 + (c - '0');
        if (number > 0x7FFFFFFF)
            return 0x7FFFFFFF; // far past every valid value: treated as out of range
    }
    return number;
}

bool WriteIniString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& settingsPath) {
    CreateFolderPath(FolderOf(settingsPath));
    return writeProfileValue(settingsPath, section, key, value);
}

std::string SettingsPathFor(const std::string& programFolder) {
    return AddBackslash(programFolder) + kSettingsFileName;
}

void LoadSettings(ProgramState& state, const SettingsEnvironment& env) {
    const std::string& program = env.programFolder;
    if (state.SettingsPath.empty())
        state.SettingsPath = SettingsPathFor(program);
    const std::string& path = state.SettingsPath;
    state.ProgramFolder = program;

    state.InvalidFileNameChars = "\\?<>:*/|\"";
    state.InvalidFileExtensions = kBuiltInInvalidExtensions;
    state.SymbolChars = symbolChars();
    state.MsgCannotAccessDrive = "Cannot access drive!";
    state.OpenBracket = "{";
    state.CloseBracket = "}";
    state.SingleWildcard = "?";

    state.WordbreakAtApostrophe = true;
    state.WordbreakAtHyphen = false;
    state.AdvancedUser = ReadIniInt("UserLevel", 0, path) == 1;

    state.LeftContext = contextSetting("LeftContext", path);
    state.RightContext = contextSetting("RightContext", path);
    state.WriteToFiles = ReadIniInt("WriteToFiles", 1, path) != 0;

    state.Keywords.clear();
    state.KeywordRegex.clear();
    state.SourceFiles.clear();
    state.SourceFilesSaved.clear();
    state.ResultCode = 1;
    state.CodeMode = 1;
    state.SaveToFile = false;
    state.WarnLowDisk = true;

    std::string temp;
    if (ReadIniString("TempDirectory", program, temp, path) == 0)
        temp = env.tmpVariable.empty() ? std::string("/tmp") : env.tmpVariable;
    if (!FolderExists(temp))
        CreateFolderPath(temp); // a failure shows later, where a temporary file is written
    state.TempDirectory = temp;

    state.SourceDirectory = folderSetting("SourceDirectory", program, env.currentFolder, path);

    std::string target;
    if (ReadIniString("TargetDirectory", program, target, path) == 0 || !FolderExists(target) ||
        IsReadOnlyFolder(target))
        target = state.TempDirectory;
    state.TargetDirectory = target;

    state.FrequencyFilesDirectory =
        folderSetting("FrequencyFilesDirectory", program, state.TargetDirectory, path);
    state.FileListDirectory = folderSetting("FileListDirectory", program, program, path);

    std::string extra;
    ReadIniString("InvalidFileExtensions", "", extra, path);
    state.InvalidFileExtensions = std::string(kBuiltInInvalidExtensions) + extra;
}

const char* LanguageName(LanguageId language) {
    static constexpr const char* names[] = {"English", "French", "German", "Italian", "Spanish"};
    return names[static_cast<int>(language)];
}

std::optional<LanguageId> LanguageFromName(const std::string& name) {
    for (int i = 0; i < 5; ++i)
        if (name == LanguageName(static_cast<LanguageId>(i)))
            return static_cast<LanguageId>(i);
    return std::nullopt;
}

std::optional<LanguageId> LanguageFromTypedName(const std::string& name) {
    for (int i = 0; i < 5; ++i)
        if (equalsNoCase(name, LanguageName(static_cast<LanguageId>(i))))
            return static_cast<LanguageId>(i);
    return std::nullopt;
}

void ApplyLanguage(ProgramState& state, LanguageId language) {
    state.LanguageIndex = static_cast<int>(language);
    state.LanguageName = LanguageName(language);
    state.WordbreakAtApostrophe = language != LanguageId::English && language != LanguageId::German;
}

void ApplyStoredLanguage(ProgramState& state) {
    std::string name;
    if (ReadIniString("Language", "French", name, state.SettingsPath) == 0)
        name = "French";
    ApplyLanguage(state, LanguageFromName(name).value_or(LanguageId::French));
    state.LanguageName = name;
}

StartValues TakeStartValues(const ProgramState& state) {
    StartValues start;
    start.SourceDirectory = state.SourceDirectory;
    start.TargetDirectory = state.TargetDirectory;
    start.FrequencyFilesDirectory = state.FrequencyFilesDirectory;
    start.FileListDirectory = state.FileListDirectory;
    start.LeftContext = state.LeftContext;
    start.RightContext = state.RightContext;
    start.LanguageName = state.LanguageName;
    start.AdvancedUser = state.AdvancedUser;
    start.ProgramStart = std::chrono::system_clock::now();
    return start;
}

std::vector<std::string> SaveChangedSettings(const ProgramState& state, const StartValues& start,
                                             Prompter& prompter) {
    struct Setting {
        const char* key;
        std::string now;
        std::string then;
    };
    const Setting walk[] = {
        {"SourceDirectory", state.SourceDirectory, start.SourceDirectory},
        {"TargetDirectory", state.TargetDirectory, start.TargetDirectory},
        {"FrequencyFilesDirectory", state.FrequencyFilesDirectory, start.FrequencyFilesDirectory},
        {"FileListDirectory", state.FileListDirectory, start.FileListDirectory},
        {"LeftContext", std::to_string(state.LeftContext), std::to_string(start.LeftContext)},
        {"RightContext", std::to_string(state.RightContext), std::to_string(start.RightContext)},
        {"Language", state.LanguageName, start.LanguageName},
        {"UserLevel", state.AdvancedUser ? "1" : "0", start.AdvancedUser ? "1" : "0"},
    };
    std::vector<std::string> written;
    bool agreed = false;
    for (const Setting& setting : walk) {
        if (setting.now == setting.then)
            continue;
        if (!agreed) {
            if (prompter.ask(core::msg::SaveSettings()) != Answer::Yes)
                return written;
            agreed = true;
        }
        // A failed write is not reported: the program is leaving and the old file stays whole.
        if (WriteIniString(kSettingsSection, setting.key, setting.now, state.SettingsPath))
            written.emplace_back(setting.key);
    }
    return written;
}

std::vector<std::pair<std::string, std::string>> EffectiveSettings(const ProgramState& state) {
    return {
        {"SourceDirectory", state.SourceDirectory},
        {"TargetDirectory", state.TargetDirectory},
        {"FrequencyFilesDirectory", state.FrequencyFilesDirectory},
        {"FileListDirectory", state.FileListDirectory},
        {"LeftContext", std::to_string(state.LeftContext)},
        {"RightContext", std::to_string(state.RightContext)},
        {"Language", state.LanguageName},
        {"UserLevel", state.AdvancedUser ? "1" : "0"},
        {"WriteToFiles", state.WriteToFiles ? "1" : "0"},
        {"TempDirectory", state.TempDirectory},
        {"InvalidFileExtensions",
         state.InvalidFileExtensions.substr(std::string(kBuiltInInvalidExtensions).size())},
    };
}

Status SetSetting(const ProgramState& state, const std::string& givenKey,
                  const std::string& value) {
    static constexpr const char* keys[] = {"SourceDirectory",
                                           "TargetDirectory",
                                           "FrequencyFilesDirectory",
                                           "FileListDirectory",
                                           "LeftContext",
                                           "RightContext",
                                           "Language",
                                           "UserLevel",
                                           "WriteToFiles",
                                           "TempDirectory",
                                           "InvalidFileExtensions"};
    std::string key = givenKey; // written with the program's own spelling
    for (const char* name : keys)
        if (equalsNoCase(givenKey, name))
            key = name;
    std::string stored = value;
    const auto known = [&](const char* name) { return equalsNoCase(key, name); };
    if (known("SourceDirectory") || known("FrequencyFilesDirectory") ||
        known("FileListDirectory") || known("TargetDirectory") || known("TempDirectory")) {
        if (value.empty())
            return core::msg::SettingNeedsFolder(key);
        if (!FolderExists(value))
            return core::msg::SettingFolderNotFound(value);
        if ((known("TargetDirectory") || known("TempDirectory")) && IsReadOnlyFolder(value))
            return core::msg::SettingFolderReadOnly(value);
    } else if (known("LeftContext") || known("RightContext")) {
        if (!isDigits(value) || value.size() > 3 || std::stoi(value) < 1 ||
            std::stoi(value) > kMaxContextWidth)
            return core::msg::SettingContextWidth(key, kMaxContextWidth);
        stored = std::to_string(std::stoi(value));
    } else if (known("Language")) {
        const auto language = LanguageFromTypedName(value);
        if (!language)
            return core::msg::SettingLanguage();
        stored = LanguageName(*language);
    } else if (known("UserLevel") || known("WriteToFiles")) {
        if (value != "0" && value != "1")
            return core::msg::SettingZeroOrOne(key);
    } else if (known("InvalidFileExtensions")) {
        for (std::size_t i = 0; i < value.size(); i += 4)
            if (value[i] != '.' || i + 4 > value.size())
                return core::msg::SettingFileExtensions();
    } else {
        return core::msg::UnknownSetting(key);
    }
    if (!WriteIniString(kSettingsSection, key, stored, state.SettingsPath))
        return core::msg::CannotWriteSettings(state.SettingsPath);
    return Status::success();
}

} // namespace lexmora
