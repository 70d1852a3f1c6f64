// What the word-frequency tests share: a program state in a temporary folder, and a count run
// over texts written there.
#pragma once

#include "core/settings.h"
#include "support/test_support.h"
#include "wordcount/frequency_files.h"
#include "wordcount/word_counter.h"

#include <array>
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

// A count of `files` (names in the state's source folder, or whole paths) into the pair `name`.
inline CountRequest countRequest(const ProgramState& state, std::vector<std::string> files,
                                 std::string name) {
    CountRequest request;
    request.folder = state.SourceDirectory;
    request.files = std::move(files);
    request.listName = std::move(name);
    return request;
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

// A pair written by hand: the given words and frequencies, in list order.
inline std::string writePair(const test::TempDir& dir, const std::string& name, std::int64_t tokens,
                             const std::vector<std::pair<std::string, int>>& types) {
    std::string list = FillCountHeader(tokens, static_cast<std::int64_t>(types.size()), 1) + "\r\n";
    std::string typeRecords;
    std::array<CountIndexRecord, 26> letters{};
    std::vector<int> letterCounts(26, 0);
    for (const auto& [word, frequency] : types) {
        AppendIndexRecord(typeRecords, {static_cast<std::int32_t>(list.size() + 1), frequency});
        const int letter = (static_cast<unsigned char>(word[0]) | 0x20) - 'a';
        if (letter >= 0 && letter < 26)
            ++letterCounts[static_cast<std::size_t>(letter)];
        list += word + "\r\n";
    }
    std::int32_t position = kFirstLinePosition;
    std::string index;
    for (std::size_t n = 0, at = 0; n < 26; ++n) {
        letters[n] = {position, letterCounts[n]};
        for (int k = 0; k < letterCounts[n]; ++k)
            position += static_cast<std::int32_t>(types[at++].first.size() + 2);
        AppendIndexRecord(index, letters[n]);
    }
    dir.write("out/" + name + ".sta", index + typeRecords);
    return dir.write("out/" + name + ".lst", list);
}

} // namespace lexmora::test
