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
