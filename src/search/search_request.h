// What one search run is asked to read: its sources, keywords, context widths, codes, language
// and save options as values, taken once when the run is started, so that a run neither writes
// the choices the windows keep in the ProgramState nor sees them change under it. The settings
// that outlive a run (code rows, keyword rules, the temporary folder) are still read from the
// state the run is given, and the run's bookkeeping is still written there.
#pragma once

#include "core/program_state.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexmora {

// How the sources were chosen.
enum class SourceKind {
    Files, // names chosen in one folder
    List,  // a stored list of whole paths
    Tree,  // a folder and every folder below it, its files matched by the pattern
};

struct SearchSources {
    SourceKind kind = SourceKind::Files;
    std::string folder;             // Files: where the names are; Tree: the root; List: empty
    std::vector<std::string> files; // Files: names in `folder`; List: whole paths; Tree: none
    std::string pattern = "*.*";    // the file type a tree's folders are listed with
    // The files counted when the sources were chosen (a tree's count), shown for every step in
    // place of the step's own; 0 when none was counted.
    std::int64_t countShown = 0;

    bool operator==(const SearchSources&) const = default;
};

// One step of a run: the files searched in one call, as a folder and names or a list of paths.
struct StepSources {
    const std::string& folder;             // as chosen (a separator optional); empty for a list
    const std::vector<std::string>& files; // names in `folder`, or whole paths for a list
    bool isList = false;
    std::int64_t countShown = 0; // the sources' count shown in place of the step's, 0: none

    std::string pathOf(const std::string& listed) const;
};

// The keywords as the keyword window or the command line handed them over. Every list but
// `texts` may be shorter than it: a missing entry is false (or has no excludes).
struct SearchKeywords {
    std::vector<std::string> texts;
    std::vector<bool> caseSensitive;
    std::vector<bool> regex;
    // Per keyword its exclude strings (or, in a tagged search, its tag), blank-padded with "".
    std::vector<std::vector<std::string>> excludes;
    std::vector<std::vector<bool>> excludeCase;
    bool tagged = false;   // the exclude lists hold tags to match
    bool tagBefore = true; // in a tagged search, the tag stands before the keyword
    // The keyword language's brackets and single wildcard the keywords were written with.
    char openBracket = '{';
    char closeBracket = '}';
    char singleWildcard = '?';

    std::size_t size() const { return texts.size(); }
    bool empty() const { return texts.empty(); }
    bool isCaseSensitive(std::size_t k) const {
        return k < caseSensitive.size() && caseSensitive[k];
    }
    bool isRegex(std::size_t k) const { return k < regex.size() && regex[k]; }
    bool excludeIsCaseSensitive(std::size_t k, std::size_t j) const {
        return k < excludeCase.size() && j < excludeCase[k].size() && excludeCase[k][j];
    }

    bool operator==(const SearchKeywords&) const = default;
};

// The characters a KWIC line shows left and right of the match.
struct ContextWidths {
    int left = 200;
    int right = 200;

    bool operator==(const ContextWidths&) const = default;
};

// The code the sources are read in and the code results are saved in.
struct CodeChoice {
    int mode = 1;       // 0 Automatic, 1 ANSI, 2 ASCII, 3 and up a code file
    int resultCode = 1; // 1 ANSI, 2 ASCII

    bool operator==(const CodeChoice&) const = default;
};

// "Save to File": where the result files go and how they are grouped.
struct SaveOptions {
    bool toFile = false;
    bool singleFile = false; // one result file set for all keywords
    std::string targetDirectory;
    bool warnLowDisk = true; // a removable target disk low on space is asked about

    bool operator==(const SaveOptions&) const = default;
};

struct SearchRequest {
    SearchSources sources;
    SearchKeywords keywords;
    ContextWidths widths;
    CodeChoice code;
    int languageIndex = 1; // LanguageId: 0 English (no special letters translated), 1 French ...
    SaveOptions save;
};

// The sources as the choosers leave them in the state: the stored list, the tree, the chosen
// files of the source folder, or (a whole folder chosen) the files of the type it holds now.
SearchSources SourcesChosenIn(const ProgramState& state);

// The request for a run over the state's chosen sources.
SearchRequest SearchRequestFor(const ProgramState& state);

// The request for a run over sources already taken, with the state's other choices as they
// stand now (after a chooser a check opened, say).
SearchRequest SearchRequestFor(const ProgramState& state, SearchSources sources);

// The state's choices without sources: for what compiles or checks keywords outside a run.
SearchRequest SearchChoicesIn(const ProgramState& state);

} // namespace lexmora
