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

constexpr int kPieceBits = 5;      // base letters are 1..27 (0: the text has ended)
constexpr int kPiecesPerHalf = 12; // 60 bits of a 64-bit half

// The text's first 24 base letters, the first highest, in two halves: the start of the word
// list's order (CompareWords), with a text that ends sorting before one that goes on.
struct PieceKey {
    std::uint64_t hi = 0, lo = 0;
    bool operator==(const PieceKey&) const = default;
    bool operator<(const PieceKey& o) const { return hi != o.hi ? hi < o.hi : lo < o.lo; }
};

std::uint64_t packPieces(std::string_view text) {
    std::uint64_t half = 0;
    for (std::size_t j = 0; j < static_cast<std::size_t>(kPiecesPerHalf); ++j) {
        const int piece = j < text.size() ? PieceOf(static_cast<unsigned char>(text[j])) : 0;
        half = (half << kPieceBits) | static_cast<std::uint64_t>(piece);
    }
    return half;
}

PieceKey pieceKeyOf(std::string_view text) {
    constexpr auto kHalf = static_cast<std::size_t>(kPiecesPerHalf);
    return {packPieces(text), text.size() > kHalf ? packPieces(text.substr(kHalf)) : 0};
}

// The items in alphabetical order (the word list's CompareWords), as their indexes: comparing
// texts letter by letter in every comparison of a sort would cost more than the count. The
// first 24 base letters, packed into two numbers, settle most comparisons (sequences share
// their first words far more often than single words do).
std::vector<std::uint32_t> alphabeticalOrder(const SequenceList& list) {
    struct Keyed {
        PieceKey key;
        std::uint32_t index;
    };
    std::vector<Keyed> keys(list.items.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = {pieceKeyOf(list.textOf(list.items[i])), static_cast<std::uint32_t>(i)};
    std::sort(keys.begin(), keys.end(), [&list](const Keyed& a, const Keyed& b) {
        if (!(a.key == b.key))
            return a.key < b.key;
        return CompareWords(list.textOf(list.items[a.index]), list.textOf(list.items[b.index])) < 0;
    });
    std::vector<std::uint32_t> order(keys.size());
    for (std::size_t r = 0; r < keys.size(); ++r)
        order[r] = keys[r].index;
    return order;
}

std::vector<std::uint32_t> ranksOf(const std::vector<std::uint32_t>& alphabetical) {
    std::vector<std::uint32_t> rank(alphabetical.size());
    for (std::size_t r = 0; r < alphabetical.size(); ++r)
        rank[alphabetical[r]] = static_cast<std::uint32_t>(r);
    return rank;
}

// Most frequent (or widest) first, ties alphabetically. Each item's count and alphabetical
// rank packed into one number make the sort one of plain integers, when the counts fit.
std::vector<std::uint32_t> orderByCount(const SequenceList& list,
                                        const std::vector<std::uint32_t>& alphabetical,
                                        bool byRange) {
    const std::vector<SequenceItem>& items = list.items;
    const auto countOf = [byRange](const SequenceItem& item) {
        return byRange ? item.range : item.freq;
    };
    const bool packable = std::all_of(items.begin(), items.end(), [&](const SequenceItem& item) {
        return countOf(item) >= 0 && countOf(item) <= std::int64_t{UINT32_MAX};
    });
    std::vector<std::uint32_t> order(items.size());
    if (!packable) {
        const std::vector<std::uint32_t> rank = ranksOf(alphabetical);
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (countOf(items[a]) != countOf(items[b]))
                return countOf(items[a]) > countOf(items[b]);
            return rank[a] < rank[b];
        });
        return order;
    }
    // (UINT32_MAX - count) << 32 | rank: the highest count first, then the rank; every
    // number differs, so the order is total
    std::vector<std::uint64_t> keys(items.size());
    for (std::size_t r = 0; r < alphabetical.size(); ++r) {
        const auto count = static_cast<std::uint64_t>(countOf(items[alphabetical[r]]));
        keys[r] = ((std::uint64_t{UINT32_MAX} - count) << 32) | r;
    }
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[i] = alphabetical[keys[i] & UINT32_MAX];
    return order;
}

// Puts the items in `order` by following the permutation's cycles: a sorted copy would double
// the list.
void applyOrder(std::vector<SequenceItem>& items, std::vector<std::uint32_t>& order) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == i || order[i] == UINT32_MAX)
            continue;
        const SequenceItem first = items[i];
        std::size_t at = i;
        while (order[at] != i) {
            const std::size_t from = order[at];
            items[at] = items[from];
            order[at] = UINT32_MAX;
            at = from;
        }
        items[at] = first;
        order[at] = UINT32_MAX;
    }
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
    if (list.items.size() >= UINT32_MAX)
        return; // beyond any list a table shows; left in counting order
    std::vector<std::uint32_t> alphabetical = alphabeticalOrder(list);
    std::vector<std::uint32_t> order;
    switch (sort) {
    case SequenceSort::Freq:
    case SequenceSort::Range:
        order = orderByCount(list, alphabetical, sort == SequenceSort::Range);
        break;
    case SequenceSort::Alpha:
        order = std::move(alphabetical);
        break;
    case SequenceSort::Ending: {
        const std::vector<std::uint32_t> rank = ranksOf(alphabetical);
        order.resize(list.items.size());
        std::iota(order.begin(), order.end(), 0u);
        const std::vector<SequenceItem>& items = list.items;
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            const int c = CompareFromEnd(list.textOf(items[a]), list.textOf(items[b]));
            return c != 0 ? c < 0 : rank[a] < rank[b];
        });
        break;
    }
    }
    applyOrder(list.items, order);
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
