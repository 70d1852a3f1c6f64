// "Find in Lines": the KWIC lines shown that hold a word (or words) the user types, letters
// compared without regard to case and only as whole words, so "art" does not find "party".
#pragma once

#include "viewer/result_viewer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// A word to look for, folded once (Windows-1252; blanks at either end dropped).
class LineFinder {
public:
    explicit LineFinder(std::string_view word);
    bool empty() const { return m_folded.empty(); }
    const std::string& word() const { return m_word; }
    // Whether the line holds the word with no letter or digit right before or after it.
    bool holds(std::string_view line) const;

private:
    std::string m_word;
    std::string m_folded;
    mutable std::string m_line; // the folded line, its buffer kept from line to line
};

// The display positions (2 = first line) whose KWIC text holds the word, in display order.
std::vector<std::int64_t> PositionsHolding(ResultViewer& viewer, const LineFinder& finder);

// The first position after `from` that holds the word, from the first line again past the last;
// nothing when no line holds it.
std::optional<std::int64_t> NextPositionHolding(ResultViewer& viewer, const LineFinder& finder,
                                                std::int64_t from);

} // namespace lexmora
