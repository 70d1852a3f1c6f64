// Finds a keyword's first literal in the text as read, as if the text had been case-folded:
// a vector scan for the literal's two rarest characters at their distance (each in every
// spelling that folds to it), the rest compared through the fold table. Most of a corpus is
// never folded at all.
#pragma once

#include "search/byte_pair_scan.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace lexmora {

using FoldTable = std::array<unsigned char, 256>;

// The identity table: a case-sensitive search.
FoldTable IdentityFold();

class LiteralFinder {
public:
    // `literal` as the folded text would hold it; `fold` maps each byte of the text to that form.
    LiteralFinder(std::string_view literal, const FoldTable& fold);

    // The first start at or after `from` of the literal lying wholly inside text[0, size), or
    // npos.
    std::size_t find(const char* text, std::size_t size, std::size_t from) const;

    // The two places of the literal the scan looks for (the same place for a single character).
    std::size_t firstAnchor() const { return m_first; }
    std::size_t secondAnchor() const { return m_first + m_pair.distance; }

private:
    bool holdsAt(const unsigned char* text, std::size_t start) const;

    std::string m_literal;
    FoldTable m_fold{};
    BytePair m_pair;
    std::size_t m_first = 0;
    bool m_paired = false; // false: a character folds from more than two bytes; plain compare
};

} // namespace lexmora
