// The hand-over of the keyword window's list to the program state when it is closed with OK.
#pragma once

#include "core/program_state.h"

#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

struct ExcludeEntry {
    std::string text;
    bool caseSensitive = false;
};

struct KeywordEntry {
    std::string text;
    bool caseSensitive = false;
    std::vector<ExcludeEntry> excludes; // words to exclude, or tags in tagged search
    bool regex = false;                 // a regular expression: kept as typed, never lower-cased
};

// Fills Keywords, KeywordCase, KeywordRegex, ExcludeStrings and ExcludeCase from the list. Text
// still in the entry box (`pendingEntry`, when no keyword is being edited) is first added to the
// list as typed, with `pendingCase`, `pendingRegex` and no exclude strings. Entries with empty
// text are skipped; a keyword that is neither case-sensitive nor an expression is stored
// lower-cased; every keyword's exclude row has the
// length of the longest exclude list, padded with empty strings.
void HandOverKeywords(ProgramState& state, std::vector<KeywordEntry>& list,
                      std::string_view pendingEntry, bool pendingCase, bool editing,
                      bool pendingRegex = false);

// The main window's keyword caption: the number of keywords and " keyword(s) entered".
std::string KeywordCountCaption(const ProgramState& state);

} // namespace lexmora
