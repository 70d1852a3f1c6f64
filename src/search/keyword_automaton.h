// Finds every keyword's first literal in one pass over a text (Aho-Corasick): the run reads
// each source once for a whole keyword list, and the literals found are the candidate hits
// each keyword's matcher then checks. The text is looked at through a fold table, as the
// literal finder of a single keyword does, so the window itself need not be folded.
#pragma once

#include "search/literal_finder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lexmora {

class KeywordAutomaton {
public:
    // One literal per keyword slot (the slot's number is what a hit reports); an empty literal
    // is left out. `fold` maps each byte of the text to the form the literals are given in.
    KeywordAutomaton(const std::vector<std::string>& literals, const FoldTable& fold);

    // A literal found: its slot and the offset just past its end.
    struct Found {
        std::uint32_t slot;
        std::size_t end;
    };

    // Every literal lying wholly in text[from, size) into `out` (cleared first), in the order of
    // their ends (slots in ascending order at one end). The text is walked as four parts at
    // once: each byte's move waits on the one before, and independent walks keep the processor
    // busy.
    void collect(const char* text, std::size_t size, std::size_t from,
                 std::vector<Found>& out) const;

    std::size_t longestLiteral() const { return m_longest; }
    std::size_t literalLength(std::uint32_t slot) const { return m_lengths[slot]; }

private:
    static constexpr std::uint32_t kHasOutput = 0x80000000u;
    void buildTrie(const std::vector<std::string>& literals);
    void buildLinks();
    template <typename Entry, Entry flag>
    void collectChains(const Entry* next, const char* text, std::size_t size, std::size_t from,
                       std::vector<Found>& out) const;
    [[gnu::noinline]] void settle(std::size_t row, std::size_t end, std::size_t after,
                                  std::vector<Found>& into) const;

    std::uint32_t m_classes = 1;           // byte classes: 0 for bytes no literal holds
    std::uint8_t m_class[256] = {};        // text byte -> class, through the fold
    std::uint8_t m_literalClass[256] = {}; // literal (folded) byte -> class
    std::vector<std::uint32_t> m_next;     // state * classes + class -> state (| kHasOutput)
    // m_next at half width (the same rows, kNarrowOutput for kHasOutput) when its rows fit.
    static constexpr std::uint16_t kNarrowOutput = 0x8000u;
    static constexpr std::size_t kNarrowRows = 0x8000u;
    std::vector<std::uint16_t> m_narrow;
    std::vector<std::uint32_t> m_outputBegin; // per state, into m_outputs (one past the end)
    std::vector<std::uint32_t> m_outputs;     // slots
    std::vector<std::size_t> m_lengths;       // per slot
    std::size_t m_longest = 0;
    static constexpr std::size_t kChains = 4;
    mutable std::vector<Found> m_parts[kChains - 1]; // collect()'s later chains, kept for capacity
    // While building.
    std::vector<std::vector<std::uint32_t>> m_own; // per state: the slots ending there
    std::vector<std::uint32_t> m_link;             // per state: the failure link
};

} // namespace lexmora
