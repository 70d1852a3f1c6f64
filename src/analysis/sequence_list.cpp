#include "analysis/sequence_list.h"

#include "wordcount/word_rules.h"

#include <algorithm>
#include <numeric>

namespace lexmora {

namespace {

constexpr std::pair<SequenceSort, const char*> kSortNames[] = {
    {SequenceSort::Freq, "freq"},
    {SequenceSort::Range, "range"},
    {SequenceSort::Alpha, "alpha"},
    {SequenceSort::Ending, "ending"},
};

// Each item's place in the alphabetical order (the word list's CompareWords), worked out once:
// comparing texts letter by letter in every comparison of a sort by frequency would cost more
// than the count. The first eight base letters, packed into one number, settle most comparisons
// (as the word list's own sort does), in 16 bytes an item.
std::vector<std::uint32_t> alphabeticalRanks(const SequenceList& list) {
    struct Keyed {
        std::uint64_t key;
        std::uint32_t index;
    };
    std::vector<Keyed> keys(list.items.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view text = list.textOf(list.items[i]);
        std::uint64_t key = 0;
        for (std::size_t j = 0; j < std::min<std::size_t>(text.size(), 8); ++j)
            key |= std::uint64_t(PieceOf(static_cast<unsigned char>(text[j]))) << (56 - 8 * j);
        keys[i] = {key, static_cast<std::uint32_t>(i)};
    }
    std::sort(keys.begin(), keys.end(), [&list](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return CompareWords(list.textOf(list.items[a.index]), list.textOf(list.items[b.index])) < 0;
    });
    std::vector<std::uint32_t> rank(list.items.size());
    for (std::size_t r = 0; r < keys.size(); ++r)
        rank[keys[r].index] = static_cast<std::uint32_t>(r);
    return rank;
}

} // namespace

std::optional<SequenceSort> SequenceSortNamed(std::string_view name) {
    for (const auto& [sort, text] : kSortNames)
        if (name == text)
            return sort;
    return std::nullopt;
}

const char* SequenceSortName(SequenceSort sort) {
    for (const auto& [s, text] : kSortNames)
        if (s == sort)
            return text;
    return "freq";
}

void SortSequences(SequenceList& list, SequenceSort sort) {
    if (list.items.size() > UINT32_MAX)
        return; // beyond any list a table shows; left in counting order
    const std::vector<std::uint32_t> rank = alphabeticalRanks(list);
    std::vector<std::uint32_t> order(list.items.size());
    std::iota(order.begin(), order.end(), 0u);
    const std::vector<SequenceItem>& items = list.items;
    switch (sort) {
    case SequenceSort::Freq:
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (items[a].freq != items[b].freq)
                return items[a].freq > items[b].freq;
            return rank[a] < rank[b];
        });
        break;
    case SequenceSort::Range:
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (items[a].range != items[b].range)
                return items[a].range > items[b].range;
            return rank[a] < rank[b];
        });
        break;
    case SequenceSort::Alpha:
        std::sort(order.begin(), order.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return rank[a] < rank[b]; });
        break;
    case SequenceSort::Ending:
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            const int c = CompareFromEnd(list.textOf(items[a]), list.textOf(items[b]));
            return c != 0 ? c < 0 : rank[a] < rank[b];
        });
        break;
    }
    // put in place by following the permutation's cycles: a sorted copy would double the list
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == i || order[i] == UINT32_MAX)
            continue;
        const SequenceItem first = list.items[i];
        std::size_t at = i;
        while (order[at] != i) {
            const std::size_t from = order[at];
            list.items[at] = list.items[from];
            order[at] = UINT32_MAX;
            at = from;
        }
        list.items[at] = first;
        order[at] = UINT32_MAX;
    }
}

void KeepTop(SequenceList& list, std::size_t top) {
    if (top > 0 && list.items.size() > top)
        list.items.resize(top);
}

std::vector<Column> SequenceColumns(std::string_view firstColumn) {
    return {{std::string(firstColumn), ColumnKind::Text},
            {"freq", ColumnKind::Integer},
            {"range", ColumnKind::Integer}};
}

Row SequenceRow(const SequenceList& list, const SequenceItem& item) {
    return {std::string(list.textOf(item)), item.freq, item.range};
}

Table SequenceTable(const SequenceList& list, std::string_view firstColumn) {
    Table table;
    table.columns = SequenceColumns(firstColumn);
    table.rows.reserve(list.items.size());
    for (const SequenceItem& item : list.items)
        table.rows.push_back(SequenceRow(list, item));
    return table;
}

int CompareFromEnd(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 1; i <= n; ++i) {
        const auto ca = static_cast<unsigned char>(a[a.size() - i]);
        const auto cb = static_cast<unsigned char>(b[b.size() - i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace lexmora
