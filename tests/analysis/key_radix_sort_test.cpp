// The radix sort on 128-bit keys against std::sort with the same order, on keys that share long
// starts, tie whole or differ only in their last byte; the spelling slots that put n-gram texts
// together, short words and long ones.
#include "analysis/key_radix_sort.h"
#include "analysis/word_spellings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace lexmora {
namespace {

struct Item {
    struct {
        std::uint64_t hi, lo;
    } key;
    std::uint32_t tie;  // what settles equal keys
    std::uint32_t name; // to tell two items apart once sorted
};

bool itemLess(const Item& a, const Item& b) {
    if (a.key.hi != b.key.hi)
        return a.key.hi < b.key.hi;
    if (a.key.lo != b.key.lo)
        return a.key.lo < b.key.lo;
    return a.tie < b.tie;
}

struct Case {
    const char* what;
    std::size_t count;
    std::uint64_t hiMask, loMask; // the key bits drawn at random; the rest as in `hiFixed`
    std::uint64_t hiFixed;
};

TEST(KeyRadixSort, OrdersAsStdSortDoes) {
    const Case cases[] = {
        {"empty", 0, ~0ull, ~0ull, 0},
        {"one", 1, ~0ull, ~0ull, 0},
        {"a short stretch", 40, ~0ull, ~0ull, 0},
        {"keys anywhere", 20000, ~0ull, ~0ull, 0},
        {"a shared high half, as a frequency of 2 gives", 20000, 0x3FFull, ~0ull,
         0x3FFFFFFF40000000ull},
        {"only the last byte differs", 20000, 0, 0xFF, 0x1234},
        {"few keys: most tie whole", 20000, 0x3, 0x1, 0},
        {"every key the same", 5000, 0, 0, 7},
        {"the top bits only", 20000, 0xC000000000000000ull, 0, 0},
    };
    std::mt19937_64 random(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Item> items(c.count);
        for (std::size_t i = 0; i < c.count; ++i) {
            items[i].key.hi = (random() & c.hiMask) | c.hiFixed;
            items[i].key.lo = random() & c.loMask;
            items[i].tie = static_cast<std::uint32_t>(random() % 1000);
            items[i].name = static_cast<std::uint32_t>(i);
        }
        std::vector<Item> expected = items;
        // names break the last ties so that the order is total, as the n-grams' is
        const auto total = [](const Item& a, const Item& b) {
            return itemLess(a, b) || (!itemLess(b, a) && a.name < b.name);
        };
        std::sort(expected.begin(), expected.end(), total);
        SortByKeyBytes(items.data(), items.size(), total);
        ASSERT_EQ(items.size(), expected.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            ASSERT_EQ(items[i].name, expected[i].name) << "at " << i;
    }
}

TEST(WordSpellings, PutsTextsTogetherWithOneBlankBetweenWords) {
    WordIds ids;
    const std::string twelve = "abcdefghijkl", thirteen = "abcdefghijklm";
    const std::string long30(30, 'x');
    const std::vector<std::string> words = {"a", "of", twelve, thirteen, long30, "\xE9t\xE9"};
    std::vector<std::uint32_t> id;
    for (const std::string& w : words)
        id.push_back(ids.idOf(w));
    const WordSpellings spellings(ids);
    struct Row {
        std::vector<std::uint32_t> ids;
        std::string text;
    };
    const Row rows[] = {
        {{}, ""},
        {{id[0]}, "a"},
        {{id[0], id[1]}, "a of"},
        {{id[2], id[2]}, twelve + " " + twelve},
        {{id[3], id[0], id[4]}, thirteen + " a " + long30},
        {{id[4], id[5], id[1], id[0], id[2]}, long30 + " \xE9t\xE9 of a " + twelve},
    };
    std::vector<char> buffer(2); // too small: grown
    for (const Row& r : rows) {
        EXPECT_EQ(spellings.compose(r.ids.data(), r.ids.size(), buffer), r.text);
    }
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(spellings.length(id[i]), words[i].size());
}

} // namespace
} // namespace lexmora
