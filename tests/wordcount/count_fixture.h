// What the word-frequency tests share: a program state in a temporary folder, and a count run
// over texts written there.
#pragma once

#include "core/settings.h"
#include "support/test_support.h"
#include "wordcount/word_counter.h"

#include <dirent.h>
#include <string>
#include <vector>

namespace lexmora::test {

inline ProgramState wordcountState(const TempDir& dir, LanguageId language) {
    ProgramState state;
    SettingsEnvironment env;
    env.programFolder = dir.makeFolder("program");
    env.currentFolder = dir.makeFolder("source");
    env.tmpVariable = dir.makeFolder("temp");
    state.SettingsPath = SettingsPathFor(env.programFolder);
    LoadSettings(state, env);
    state.TempDirectory = dir.makeFolder("temp");
    state.SourceDirectory = dir.makeFolder("source");
    state.FrequencyFilesDirectory = dir.makeFolder("out");
    ApplyLanguage(state, language);
    return state;
}

// The names in a folder, sorted ("." and ".." left out).
inline std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Little-endian 8-byte index records.
inline std::string records(std::initializer_list<std::pair<int, int>> list) {
    std::string out;
    for (auto [position, count] : list)
        for (int v : {position, count})
            for (int shift = 0; shift < 32; shift += 8)
                out += static_cast<char>((static_cast<unsigned>(v) >> shift) & 0xFF);
    return out;
}

} // namespace lexmora::test
