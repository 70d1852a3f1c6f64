#include "core/command_line.h"

#include "core/file_utils.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text_codec.h"

#include <algorithm>
#include <unistd.h>

namespace lexmora {

namespace {

constexpr const char* kCliName = "lexmora-cli";

std::string lowerLanguageName(const ProgramState& state) {
    const int index = std::clamp(state.LanguageIndex, 0, 4);
    return toLowerAscii(LanguageName(static_cast<LanguageId>(index)));
}

// The code mode as `--code` takes it.
std::string codeName(const ProgramState& state) {
    if (state.CodeMode == 0)
        return "auto";
    if (state.CodeMode == 2)
        return "ascii";
    if (state.CodeMode > 2 && static_cast<std::size_t>(state.CodeMode) < state.CodeRows.size())
        return cp1252ToUtf8(state.CodeRows[static_cast<std::size_t>(state.CodeMode)].CodeName);
    return "ansi";
}

// The start every line shares: the program folder, so that what no option names (wildcard,
// brackets, invalid characters) comes from the same settings file.
std::vector<std::string> globalWords(const ProgramState& state, bool yes) {
    std::vector<std::string> words;
    if (!state.ProgramFolder.empty()) {
        words.push_back("--home");
        words.push_back(state.ProgramFolder);
    }
    if (yes)
        words.push_back("--yes");
    return words;
}

void add(std::vector<std::string>& words, std::initializer_list<std::string> more) {
    words.insert(words.end(), more);
}

// The source options of a search: a stored list, a folder (tree), one file, or chosen files.
// The pattern goes with each: the log names it. A whole folder is the folder, even while a
// search holds the files it found there.
void addSearchSources(const ProgramState& state, std::vector<std::string>& words) {
    const std::string pattern = state.SourceFileType.empty() ? "*.*" : state.SourceFileType;
    if (state.SourceIsFileList) {
        add(words, {"--list", state.FileListName});
    } else if (state.IncludeSubfolders || state.AllFilesInFolder || state.SourceFiles.empty()) {
        add(words, {"--source", state.SourceDirectory});
        if (state.IncludeSubfolders)
            words.push_back("--tree");
    } else if (state.SourceFiles.size() == 1) {
        add(words, {"--source", JoinPath(state.SourceDirectory, state.SourceFiles.front())});
    } else {
        add(words, {"--source", state.SourceDirectory});
        for (const std::string& name : state.SourceFiles)
            add(words, {"--file", name});
    }
    add(words, {"--pattern", pattern});
}

// The non-empty exclude strings (or the tag) of keyword i.
std::vector<std::string> excludesOf(const ProgramState& state, std::size_t i) {
    std::vector<std::string> texts;
    if (i < state.ExcludeStrings.size())
        for (const std::string& text : state.ExcludeStrings[i])
            if (!text.empty())
                texts.push_back(text);
    return texts;
}

// True when every non-empty exclude string of keyword i has the keyword's own case rule, as
// the line gives them.
bool excludeCaseFollowsKeyword(const ProgramState& state, std::size_t i) {
    if (i >= state.ExcludeStrings.size())
        return true;
    for (std::size_t j = 0; j < state.ExcludeStrings[i].size(); ++j) {
        const bool exclCase = i < state.ExcludeCase.size() && j < state.ExcludeCase[i].size() &&
                              state.ExcludeCase[i][j];
        if (!state.ExcludeStrings[i][j].empty() && exclCase != state.KeywordCase[i])
            return false;
    }
    return true;
}

// The keyword options and the keywords themselves; false when one exclude list (or tag) for
// all keywords cannot say what the state holds.
bool addKeywords(const ProgramState& state, std::vector<std::string>& words) {
    const std::size_t n = state.Keywords.size();
    const auto caseOf = [&](std::size_t i) {
        return i < state.KeywordCase.size() && state.KeywordCase[i];
    };
    bool anyCase = false, allCase = n > 0;
    for (std::size_t i = 0; i < n; ++i) {
        anyCase = anyCase || caseOf(i);
        allCase = allCase && caseOf(i);
    }
    const std::vector<std::string> common =
        n > 0 ? excludesOf(state, 0) : std::vector<std::string>{};
    for (std::size_t i = 0; i < n; ++i)
        if (excludesOf(state, i) != common || !excludeCaseFollowsKeyword(state, i))
            return false;
    const bool mixed = anyCase && !allCase;
    // A case-sensitive keyword needs its mark; a case-insensitive one must not look marked.
    if (mixed)
        for (std::size_t i = 0; i < n; ++i)
            if (!caseOf(i) && !state.Keywords[i].empty() && state.Keywords[i][0] == '^')
                return false;
    if (state.TaggedSearch) {
        if (common.size() != 1)
            return false;
        add(words, {"--tag", cp1252ToUtf8(common.front())});
        if (!state.TagBefore)
            words.push_back("--tag-after");
    } else {
        for (const std::string& text : common)
            add(words, {"--exclude", cp1252ToUtf8(text)});
    }
    if (allCase)
        words.push_back("--case");
    else if (mixed)
        words.push_back("--case-marks");
    words.push_back("--");
    for (std::size_t i = 0; i < n; ++i)
        words.push_back((mixed && caseOf(i) ? "^" : "") + cp1252ToUtf8(state.Keywords[i]));
    return true;
}

} // namespace

std::string CliProgramPath(const ProgramState& state) {
    if (!state.InstallFolder.empty()) {
        const std::string beside = JoinPath(state.InstallFolder, kCliName);
        if (::access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return kCliName;
}

namespace {

// bash's $'...' form: valid UTF-8 as it is, every other byte above 127 (and every control
// character) as \xHH, so that the line is text a clipboard carries intact.
std::string ansiCQuote(std::string_view word) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "$'";
    for (std::size_t i = 0; i < word.size();) {
        const auto u = static_cast<unsigned char>(word[i]);
        if (u >= 0x80) {
            // the longest valid sequence that starts here, if any
            std::size_t length = u >= 0xF0 ? 4 : u >= 0xE0 ? 3 : u >= 0xC0 ? 2 : 0;
            if (length > 0 && i + length <= word.size() &&
                checkUtf8(word.substr(i, length)).valid) {
                quoted.append(word.substr(i, length));
                i += length;
                continue;
            }
        }
        if (u >= 0x80 || u < 0x20 || u == 0x7F) {
            quoted += "\\x";
            quoted += kHex[u >> 4];
            quoted += kHex[u & 15];
        } else {
            if (u == '\\' || u == '\'')
                quoted += '\\';
            quoted += static_cast<char>(u);
        }
        ++i;
    }
    quoted += '\'';
    return quoted;
}

} // namespace

std::string ShellQuote(std::string_view word) {
    const bool bare = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
               c == '-' || c == '_' || c == '.' || c == '/' || c == ',' || c == '+' || c == ':' ||
               c == '@' || c == '%';
    });
    // "=" is left out: a first word holding one would be read as an assignment.
    if (bare)
        return std::string(word);
    if (!checkUtf8(word).valid)
        return ansiCQuote(word);
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string ShellLine(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty())
            line += ' ';
        line += ShellQuote(word);
    }
    return line;
}

Result<std::vector<std::string>> SearchCommandWords(const ProgramState& state) {
    std::vector<std::string> words = globalWords(state, false);
    words.push_back("search");
    addSearchSources(state, words);
    add(words,
        {"--left", std::to_string(state.LeftContext), "--right", std::to_string(state.RightContext),
         "--code", codeName(state), "--language", lowerLanguageName(state)});
    if (state.SaveToFile) {
        add(words, {"--save", state.TargetDirectory});
        if (state.SingleFile)
            words.push_back("--single-file");
        if (state.ResultCode == 2)
            words.push_back("--ascii");
        words.push_back("--quiet");
    }
    if (!addKeywords(state, words))
        return Failure(core::msg::KeywordsNotOneLine(), FailureCode::InvalidInput);
    return words;
}

std::string PositionList(std::vector<std::int64_t> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::string list;
    for (std::size_t i = 0; i < positions.size();) {
        std::size_t j = i;
        while (j + 1 < positions.size() && positions[j + 1] == positions[j] + 1)
            ++j;
        if (!list.empty())
            list += ',';
        list += std::to_string(positions[i]);
        if (j > i)
            list += '-' + std::to_string(positions[j]);
        i = j + 1;
    }
    return list;
}

std::string SortLevelWord(const ViewLine::Then& then) {
    std::string word = then.side == ViewLine::Sort::Keyword
                           ? "keyword"
                           : (then.side == ViewLine::Sort::Left ? "left:" : "right:") +
                                 std::to_string(then.position);
    if (then.backwards)
        word += ":b";
    return word;
}

std::vector<std::string> ViewCommandWords(const ProgramState& state, const ViewLine& view) {
    // More than one deletion, and the ".new" file, ask first; the desktop's user said Yes.
    std::vector<std::string> words =
        globalWords(state, view.deletions.size() > 1 || (view.saveNew && !view.extract));
    words.push_back("view");
    if (view.stepN > 1)
        add(words, {"--every", std::to_string(view.stepN)});
    if (view.sort != ViewLine::Sort::None) {
        const char* key = view.sort == ViewLine::Sort::Left    ? "left"
                          : view.sort == ViewLine::Sort::Right ? "right"
                                                               : "keyword";
        add(words, {"--sort", key});
        if (view.sort != ViewLine::Sort::Keyword)
            add(words, {"--pos", std::to_string(view.sortPosition)});
        if (view.backwards)
            words.push_back("--backwards");
        for (const ViewLine::Then& then : view.then)
            add(words, {"--then", SortLevelWord(then)});
        add(words, {"--right", std::to_string(view.rightContext)});
    }
    if (!view.deletions.empty())
        add(words, {"--delete", PositionList(view.deletions)});
    if (view.extract) {
        add(words,
            {"--extract", "cnc", "--range",
             std::to_string(view.extract->first) + "-" + std::to_string(view.extract->last)});
        if (view.extract->kwicSectionOnly)
            words.push_back("--part");
        if (!view.outputFolder.empty())
            add(words, {"--folder", view.outputFolder});
    } else if (view.saveNew) {
        words.push_back("--extract");
        words.push_back("new");
        if (!view.outputFolder.empty())
            add(words, {"--folder", view.outputFolder});
    }
    add(words, {"--", view.file});
    return words;
}

std::vector<std::string> CountCommandWords(const ProgramState& state,
                                           const std::string& outputName) {
    std::vector<std::string> words = globalWords(state, false);
    words.push_back("count");
    add(words, {"--language", lowerLanguageName(state),
                state.WordbreakAtApostrophe ? "--apostrophe" : "--no-apostrophe"});
    if (state.WordbreakAtHyphen)
        words.push_back("--hyphen");
    std::vector<std::string> paths;
    if (state.SourceIsFileList) {
        paths = state.StoredFileList;
    } else if (state.IncludeSubfolders || state.SourceFiles.empty()) {
        if (state.IncludeSubfolders)
            words.push_back("--tree");
        add(words, {"--pattern", state.SourceFileType.empty() ? "*.*" : state.SourceFileType});
        paths.push_back(state.SourceDirectory);
    } else {
        for (const std::string& name : state.SourceFiles)
            paths.push_back(JoinPath(state.SourceDirectory, name));
    }
    add(words,
        {"--folder", state.FrequencyFilesDirectory, "--out", cp1252ToUtf8(outputName), "--"});
    words.insert(words.end(), paths.begin(), paths.end());
    return words;
}

} // namespace lexmora
