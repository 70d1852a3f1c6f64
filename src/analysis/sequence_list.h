// A list of word sequences (n-grams, clusters) with their frequency and range, held compactly
// (one text arena, fixed-size items) so that millions of them fit, sorted in the orders the
// tools offer and turned into the table every front end prints.
#pragma once

#include "export/table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

enum class SequenceSort {
    Freq,   // most frequent first
    Range,  // found in most files first
    Alpha,  // from the start, in the word list's order
    Ending, // from the end, as the word list's "by ending"
};

// "freq", "range", "alpha", "ending"; nothing for another word.
std::optional<SequenceSort> SequenceSortNamed(std::string_view name);
const char* SequenceSortName(SequenceSort sort);

// One sequence handed on: its text (one blank between words), frequency and range; false stops.
using SequenceRowSink =
    std::function<bool(std::string_view text, std::int64_t freq, std::int64_t range)>;

// Byte order of the reversed texts, without reversing them (the word list's "by ending").
int CompareFromEnd(std::string_view a, std::string_view b);

struct SequenceItem {
    std::uint64_t at = 0; // the text's start in SequenceList::text
    std::uint32_t length = 0;
    std::int64_t freq = 0;
    std::int64_t range = 0;
};

struct SequenceList {
    std::string text; // the sequences' words, one blank between words, one sequence after another
    std::vector<SequenceItem> items;

    std::string_view textOf(const SequenceItem& item) const {
        return std::string_view(text).substr(static_cast<std::size_t>(item.at), item.length);
    }
    void add(std::string_view sequence, std::int64_t freq, std::int64_t range) {
        items.push_back({text.size(), static_cast<std::uint32_t>(sequence.size()), freq, range});
        text.append(sequence);
    }
};

// Sorts the items; ties (equal frequency or range, or equal endings) are settled alphabetically,
// so that the order is total and two runs over the same texts give the same list.
void SortSequences(SequenceList& list, SequenceSort sort);

// Keeps the first `top` items (0: all).
void KeepTop(SequenceList& list, std::size_t top);

// The table of a list: columns `firstColumn`, "freq", "range".
std::vector<Column> SequenceColumns(std::string_view firstColumn);
Row SequenceRow(const SequenceList& list, const SequenceItem& item);
Table SequenceTable(const SequenceList& list, std::string_view firstColumn);

} // namespace lexmora
