#include "search/literal_finder.h"

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

namespace lexmora {

namespace {

// How common a byte is in running European text, roughly in parts per thousand: the scan looks
// for the literal's least common characters, so that it stops as seldom as possible.
int commonness(unsigned char c) {
    static constexpr int letters[26] = {
        // a   b   c   d    e   f   g   h   i  j  k   l   m   n   o   p  q   r   s   t   u   v
        80, 15, 30, 40, 120, 20, 20, 50, 70, 3, 7, 45, 25, 70, 70, 20, 2, 60, 65, 85, 35, 10,
        // w  x  y  z
        15, 3, 15, 2};
    if (c >= 'a' && c <= 'z')
        return letters[c - 'a'];
    if (c >= 'A' && c <= 'Z')
        return letters[c - 'A'] / 8;
    if (c == ' ')
        return 160;
    if (c == '\r' || c == '\n' || c == ',' || c == '.')
        return 15;
    if (c >= '0' && c <= '9')
        return 5;
    if (c >= 0xE0) // the accented small letters
        return 4;
    if (c >= 0x80)
        return 1;
    return 3;
}

} // namespace

FoldTable IdentityFold() {
    FoldTable t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
    return t;
}

LiteralFinder::LiteralFinder(std::string_view literal, const FoldTable& fold)
    : m_literal(literal), m_fold(fold) {
    // Each character's spellings in the text, and how common they are together.
    struct Place {
        std::size_t index;
        int weight;
        std::vector<unsigned char> spellings;
    };
    std::vector<Place> places;
    for (std::size_t i = 0; i < m_literal.size(); ++i) {
        Place place{i, 0, {}};
        for (int b = 0; b < 256; ++b)
            if (m_fold[static_cast<std::size_t>(b)] == static_cast<unsigned char>(m_literal[i])) {
                place.spellings.push_back(static_cast<unsigned char>(b));
                place.weight += commonness(static_cast<unsigned char>(b));
            }
        if (!place.spellings.empty() && place.spellings.size() <= 2)
            places.push_back(std::move(place));
    }
    if (places.empty())
        return;
    // The pair least likely to stand at its distance by chance. Letters next to each other in
    // a word go together far more often than their frequencies say (the "ch" of German, the
    // "ff" of "giraffe"), so a pair is counted likelier the closer its places are. Of equals
    // the later places, a word's end being more telling than its start.
    const auto closeness = [](std::size_t distance) {
        return distance == 1 ? 6 : distance == 2 ? 3 : 2; // halves
    };
    const Place* one = &places[0];
    const Place* two = &places[0];
    long best = -1;
    for (std::size_t a = 0; a < places.size(); ++a)
        for (std::size_t b = a + 1; b < places.size(); ++b) {
            const long odds = static_cast<long>(places[a].weight) * places[b].weight *
                              closeness(places[b].index - places[a].index);
            if (best < 0 || odds <= best) {
                best = odds;
                one = &places[a];
                two = &places[b];
            }
        }
    auto setOf = [](const std::vector<unsigned char>& spellings, unsigned char(&set)[2]) {
        set[0] = spellings[0];
        set[1] = spellings.size() > 1 ? spellings[1] : spellings[0];
    };
    setOf(one->spellings, m_pair.first);
    setOf(two->spellings, m_pair.second);
    m_pair.distance = two->index - one->index;
    m_first = one->index;
    m_paired = true;
}

bool LiteralFinder::holdsAt(const unsigned char* text, std::size_t start) const {
    const unsigned char* want = reinterpret_cast<const unsigned char*>(m_literal.data());
    for (std::size_t i = 0; i < m_literal.size(); ++i)
        if (m_fold[text[start + i]] != want[i])
            return false;
    return true;
}

std::size_t LiteralFinder::find(const char* text, std::size_t size, std::size_t from) const {
    const std::size_t n = m_literal.size();
    if (n == 0 || from >= size || size - from < n)
        return std::string::npos;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (!m_paired) {
        for (std::size_t start = from; start + n <= size; ++start)
            if (holdsAt(bytes, start))
                return start;
        return std::string::npos;
    }
    // Every start of a block is tried before the scan goes on: a frequent pair (the "th" of
    // "the") is not scanned for again after each false start.
    std::size_t scan = from + m_first;
    for (;;) {
        std::uint64_t mask = 0;
        const std::size_t block = FindBytePairBlock(text, size, scan, m_pair, mask);
        if (block == std::string::npos)
            return std::string::npos;
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t start =
                block + static_cast<std::size_t>(std::countr_zero(mask)) - m_first;
            if (start + n > size)
                return std::string::npos;
            if (holdsAt(bytes, start))
                return start;
        }
        scan = block + 64;
    }
}

} // namespace lexmora
