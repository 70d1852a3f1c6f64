// The orders of a sequence list, worked out by hand: ties alphabetically, texts that agree in
// more letters than the packed start holds, accents after base letters, a shorter text first,
// and counts too large to pack with the alphabetical rank.
#include "analysis/sequence_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexmora {
namespace {

struct Item {
    std::string text;
    std::int64_t freq, range;
};

std::string sorted(const std::vector<Item>& items, SequenceSort sort) {
    SequenceList list;
    for (const Item& i : items)
        list.add(i.text, i.freq, i.range);
    SortSequences(list, sort);
    std::string out;
    for (const SequenceItem& item : list.items)
        out += std::string(list.textOf(item)) + "|";
    return out;
}

// 26 letters then a word: the packed start (24 letters) cannot tell these apart
const std::string kLong = "abcdefghijklm nopqrstuvwxyz ";

struct Case {
    const char* name;
    std::vector<Item> items;
    SequenceSort sort;
    std::string expected;
};

const std::vector<Case> kCases = {
    {"equal frequencies alphabetically",
     {{"of the", 3, 1}, {"in the", 3, 2}, {"the end", 5, 1}, {"at the", 3, 1}},
     SequenceSort::Freq,
     "the end|at the|in the|of the|"},
    {"equal ranges alphabetically",
     {{"of the", 9, 2}, {"in the", 1, 2}, {"the end", 5, 3}},
     SequenceSort::Range,
     "the end|in the|of the|"},
    {"texts alike beyond the packed start",
     {{kLong + "b", 2, 1}, {kLong + "a", 2, 1}, {kLong + "ab", 2, 1}, {kLong, 2, 1}},
     SequenceSort::Freq,
     kLong + "|" + kLong + "a|" + kLong + "ab|" + kLong + "b|"},
    {"alike beyond the packed start, alphabetically",
     {{kLong + "z", 1, 1}, {kLong + "y", 7, 1}},
     SequenceSort::Alpha,
     kLong + "y|" + kLong + "z|"},
    {"an accent after its base letter, before the next letter",
     {{"\xe9t\xe9 x", 1, 1}, {"ete x", 1, 1}, {"etf x", 1, 1}, {"et x", 1, 1}},
     SequenceSort::Freq,
     "et x|ete x|\xe9t\xe9 x|etf x|"},
    {"by ending: from the last letter back, past the blank",
     {{"the end", 1, 1}, {"an end", 1, 1}, {"of the", 1, 1}},
     SequenceSort::Ending,
     "the end|an end|of the|"},
    {"frequencies too large to pack with a rank",
     {{"b c", 5'000'000'000, 1},
      {"a c", 5'000'000'000, 1},
      {"z z", 7, 1},
      {"c c", 6'000'000'000, 1}},
     SequenceSort::Freq,
     "c c|a c|b c|z z|"},
    {"a range too large to pack with a rank",
     {{"b c", 1, 4'294'967'296}, {"a c", 1, 2}, {"z z", 1, 2}},
     SequenceSort::Range,
     "b c|a c|z z|"},
};

TEST(SortSequences, HandWorkedOrders) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sorted(c.items, c.sort), c.expected);
    }
}

} // namespace
} // namespace lexmora
