#include "viewer/sort_keys.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

// Records laid out with a 10-character left context: the keyword starts in column 16.
constexpr int kColumn = 16;

std::string keyOf(std::string_view record, int leftPos, int rightPos, SortMode mode,
                  int rightLimit = 200) {
    std::string key;
    AppendKeyText(key, record,
                  FindKeyStart(record, kColumn, static_cast<int>(record.size()), leftPos, rightPos,
                               rightLimit),
                  static_cast<int>(record.size()), mode);
    return key;
}

TEST(SortKeysWalk, WordAtEachPosition) {
    const std::string r = "12   " + std::string(" the old, ") + "walking dog's tail";
    ASSERT_EQ(r.substr(kColumn - 1, 7), "walking");
    struct Case {
        int left, right;
        SortMode mode;
        std::string key;
    };
    const Case cases[] = {
        {0, 0, SortMode::WordBeginning, "walking dog's tail"},
        {0, 0, SortMode::WordEnd, "gniklaw"},
        {0, 1, SortMode::WordBeginning, "s tail dog"}, // elided: "dog's" sorts under "s"
        {0, 1, SortMode::WordEnd, "god"},
        {0, 2, SortMode::WordBeginning, "s tail"},
        {0, 3, SortMode::WordBeginning, "tail"},
        {0, 4, SortMode::WordBeginning, ""},
        {1, 0, SortMode::WordBeginning, "old, walking dog's tail"},
        {2, 0, SortMode::WordEnd, "eht"},
        {3, 0, SortMode::WordBeginning, ""}, // only the hit number field is left
        {1, 3, SortMode::WordEnd, "dlo"},    // the left position wins
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyOf(r, c.left, c.right, c.mode), c.key) << c.left << "/" << c.right;
}

TEST(SortKeysWalk, KeywordInsideAWordStartsAtTheWordBeginning) {
    const std::string r = "1    " + std::string("      talk") + "ing now";
    ASSERT_EQ(r.substr(kColumn - 1, 3), "ing");
    EXPECT_EQ(keyOf(r, 0, 0, SortMode::WordEnd), "gniklat");
    EXPECT_EQ(keyOf(r, 1, 0, SortMode::WordBeginning), "talking now");
}

TEST(SortKeysWalk, RightWalkStopsAtItsLimitAndTheTextField) {
    const std::string r = "1    " + std::string(10, ' ') + "cat   sat";
    EXPECT_EQ(keyOf(r, 0, 1, SortMode::WordBeginning), "sat");
    // Limit at column 20: the walk over the blanks stops there, inside the blanks.
    EXPECT_EQ(keyOf(r, 0, 1, SortMode::WordBeginning, 20), " sat");
    EXPECT_EQ(keyOf(r, 0, 1, SortMode::WordEnd, 20), "");
    // The text field ends before the file name field: never a key from it.
    const std::string withTrailer = r + std::string(20, ' ') + " ABC.TXT      00001";
    std::string key;
    AppendKeyText(key, withTrailer,
                  FindKeyStart(withTrailer, kColumn, static_cast<int>(r.size()) + 20, 0, 2, 500),
                  static_cast<int>(r.size()) + 20, SortMode::WordBeginning);
    EXPECT_EQ(key, "");
}

TEST(SortKeysCompare, TextComparisonFoldsCaseAndAccents) {
    struct Case {
        std::string a, b;
        int expected;
    };
    const Case cases[] = {
        {"apple", "Banana", -1},   {"Apple", "apple", 0},
        {"\xE9t\xE9", "etre", -1}, // été before etre: t < t, then é = e ... "ete" < "etr"
        {"\xE9lan", "elan", 1},    // the same letters: the accented one after
        {"\xE9lan", "ezra", -1},   // an accented letter stays with its base letter
        {"zebra", "\xC9mile", 1},  {"a b", "ab", -1}, // a blank before any letter
        {"9 lives", "a life", -1},                    // digits before letters
        {"cat", "cats", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareText(c.a, c.b), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(CompareText(c.b, c.a), -c.expected) << c.b << " / " << c.a;
    }
    EXPECT_LT(CompareBinary("Zebra", "apple"), 0); // binary: upper case first
    EXPECT_GT(CompareBinary("\xE9", "z"), 0);
}

TEST(SortKeysQuicksort, OrdersByKeyThenRecordAndMatchesComparison) {
    KeyArena arena;
    std::vector<SortKey> keys;
    const std::vector<std::string> texts = {"pear",    "Apple",  "fig",  "apple",
                                            "\xE9lan", "elan",   "kiwi", "fig",
                                            "banana",  "Cherry", "date", "apple"};
    std::uint32_t record = 2;
    for (const auto& t : texts) {
        SortKey k;
        k.offset = arena.add(t);
        k.length = static_cast<std::uint32_t>(t.size());
        k.record = record++;
        k.prefix = KeyPrefix(t, SortMode::WordBeginning);
        keys.push_back(k);
    }
    SortKeysQuick(keys, arena, SortMode::WordBeginning);
    std::vector<std::string> sorted;
    std::vector<std::uint32_t> records;
    for (const auto& k : keys) {
        sorted.emplace_back(arena.view(k));
        records.push_back(k.record);
    }
    EXPECT_EQ(sorted,
              (std::vector<std::string>{"Apple", "apple", "apple", "banana", "Cherry", "date",
                                        "elan", "\xE9lan", "fig", "fig", "kiwi", "pear"}));
    // Equal keys keep file order, so the result is the same on every run.
    EXPECT_EQ(records[0], 3u);
    EXPECT_EQ(records[1], 5u);
    EXPECT_EQ(records[2], 13u);
}

// A key's prefix may only order two keys the way the full comparison does: the sort decides by
// the prefix alone when they differ. Keys over every byte, blanks and NUL included.
TEST(SortKeysPrefix, NeverContradictsTheComparison) {
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const std::string common("aAeE\xE9\xC9 -'0\x00zZ\xFF\xDF", 15);
    std::vector<std::string> keys;
    for (int i = 0; i < 1500; ++i) {
        std::string key(next() % 11, ' ');
        for (char& c : key)
            c = next() % 3 == 0 ? static_cast<char>(next() >> 24)
                                : common[(next() >> 16) % common.size()];
        keys.push_back(key);
    }
    for (const SortMode mode : {SortMode::WordBeginning, SortMode::WordEnd}) {
        std::vector<std::uint64_t> prefixes;
        for (const auto& key : keys)
            prefixes.push_back(KeyPrefix(key, mode));
        for (std::size_t i = 0; i < keys.size(); ++i)
            for (std::size_t j = 0; j < keys.size(); ++j) {
                if (prefixes[i] == prefixes[j])
                    continue;
                const int full = mode == SortMode::WordEnd ? CompareBinary(keys[i], keys[j])
                                                           : CompareText(keys[i], keys[j]);
                ASSERT_EQ(prefixes[i] < prefixes[j], full < 0) << i << " " << j;
            }
    }
}

// The sort gives the comparison's order, equal keys by record, on keys that share long
// beginnings, differ only in case or accents, hold NULs or are empty.
TEST(SortKeysQuicksort, OrderOfTheComparisonOnAwkwardKeys) {
    std::uint32_t seed = 777;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    const std::vector<std::string> starts = {
        "", "the house of the ", "THE HOUSE OF THE ", "th\xE9", "ab", std::string("a\0", 2)};
    const std::string letters("aAeE\xE9\xC9 -'0\x00zZ\xFF\xDF", 15);
    for (const SortMode mode : {SortMode::WordBeginning, SortMode::WordEnd}) {
        KeyArena arena;
        std::vector<SortKey> keys;
        for (std::uint32_t record = 2; record < 4000; ++record) {
            std::string text = starts[next() % starts.size()];
            for (std::size_t n = next() % 6; n > 0; --n)
                text += letters[(next() >> 16) % letters.size()];
            SortKey k;
            k.offset = arena.add(text);
            k.length = static_cast<std::uint32_t>(text.size());
            k.record = record;
            k.prefix = KeyPrefix(text, mode);
            keys.push_back(k);
        }
        std::vector<SortKey> expected = keys;
        std::sort(expected.begin(), expected.end(), [&](const SortKey& a, const SortKey& b) {
            const int c = mode == SortMode::WordEnd ? CompareBinary(arena.view(a), arena.view(b))
                                                    : CompareText(arena.view(a), arena.view(b));
            return c != 0 ? c < 0 : a.record < b.record;
        });
        SortKeysQuick(keys, arena, mode);
        for (std::size_t i = 0; i < keys.size(); ++i)
            ASSERT_EQ(keys[i].record, expected[i].record) << i;
    }
}

TEST(SortKeysQuicksort, LargeInputsInEveryShape) {
    for (int shape = 0; shape < 4; ++shape) {
        KeyArena arena;
        std::vector<SortKey> keys;
        const int n = 5000;
        for (int i = 0; i < n; ++i) {
            int v = shape == 0 ? i : shape == 1 ? n - i : shape == 2 ? 7 : (i * 7919) % n;
            const std::string t = std::to_string(v % 1000);
            SortKey k;
            k.offset = arena.add(t);
            k.length = static_cast<std::uint32_t>(t.size());
            k.record = static_cast<std::uint32_t>(i + 2);
            k.prefix = KeyPrefix(t, SortMode::WordEnd);
            keys.push_back(k);
        }
        SortKeysQuick(keys, arena, SortMode::WordEnd);
        for (std::size_t i = 1; i < keys.size(); ++i) {
            const int c = CompareBinary(arena.view(keys[i - 1]), arena.view(keys[i]));
            ASSERT_TRUE(c < 0 || (c == 0 && keys[i - 1].record < keys[i].record)) << shape;
        }
    }
}

TEST(SortKeysCollocate, WordOfTheKey) {
    EXPECT_EQ(CollocateWord("the end of it", SortMode::WordBeginning), "the");
    EXPECT_EQ(CollocateWord("homme est l", SortMode::WordBeginning), "homme");
    EXPECT_EQ(CollocateWord("gniklaw", SortMode::WordEnd), "walking");
    EXPECT_TRUE(IsSortDelimiter('7'));
    EXPECT_TRUE(IsSortDelimiter('\xAD'));
    EXPECT_FALSE(IsSortDelimiter('"'));
}

} // namespace
} // namespace lexmora
