// Case folding of the searched text, and the case-blind comparisons the scanner makes on it
// (those are called from its loops, so they are defined here).
#pragma once

#include "codes/cp1252_case.h"
#include "core/cpu_features.h"
#include "search/literal_finder.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lexmora {

// How the searched text is folded: not at all, as Windows-1252 (ANSI files) or ASCII letters
// only (other codes, whose upper half is not Windows-1252).
enum class FoldMode { None, Cp1252, AsciiLetters };

struct Fold {
    FoldTable map;
    bool active = false;
};

// The fold table of a mode.
Fold makeFold(FoldMode mode);
// `text` folded as the searched text is.
std::string foldText(const Fold& fold, std::string_view text);

// dst[i] = map[src[i]] for i < n. A table that folds the ASCII half as plain ASCII letters (every
// fold mode does) has that half folded sixteen bytes at a time, and only the bytes above it
// looked up. `lanes` narrows the vector form (tests).
void FoldBytes(const FoldTable& map, const unsigned char* src, unsigned char* dst, std::size_t n,
               VectorLanes lanes = VectorLanes::Widest);

inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowerCp1252(static_cast<unsigned char>(text[i])) !=
            lowerCp1252(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

inline bool equalText(std::string_view a, std::string_view b, bool caseSensitive) {
    if (a.size() != b.size())
        return false;
    return caseSensitive ? a == b : startsWithNoCase(a, b);
}

inline std::size_t findText(std::string_view hay, std::string_view needle, bool caseSensitive) {
    if (caseSensitive)
        return hay.find(needle);
    if (needle.size() > hay.size())
        return std::string_view::npos;
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (startsWithNoCase(hay.substr(i), needle))
            return i;
    return std::string_view::npos;
}

} // namespace lexmora
