// The sorter of the filtered n-grams: every order by hand on words whose base letters, accents,
// apostrophes and digits make the packed key and the texts disagree across word ends; runs
// spilled by a tiny bound merged into the list sorted in memory; the streamed engine run and
// the streamed save against their whole-list forms.
#include "analysis/ngram_counter.h"
#include "analysis/ngram_file.h"
#include "analysis/ngram_sorter.h"
#include "analysis/ngrams.h"

#include "support/test_support.h"
#include "wordcount/count_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace lexmora {
namespace {

struct Gram {
    std::string text; // words with one blank between them
    std::uint32_t freq, range;
};

// The n-grams through a sorter with `bound` bytes, as "text freq range" lines.
std::string sorted(const std::vector<Gram>& grams, SequenceSort sort, std::size_t bound,
                   const std::string& folder, bool* spilled = nullptr) {
    WordIds ids;
    std::vector<std::vector<std::uint32_t>> keyed;
    for (const Gram& g : grams) {
        std::vector<std::uint32_t> words;
        std::size_t start = 0;
        for (;;) {
            const std::size_t blank = g.text.find(' ', start);
            words.push_back(ids.idOf(std::string_view(g.text).substr(start, blank - start)));
            if (blank == std::string::npos)
                break;
            start = blank + 1;
        }
        keyed.push_back(words);
    }
    NgramSorter sorter(ids, sort, kMaxSequenceSize, bound, folder);
    for (std::size_t i = 0; i < grams.size(); ++i)
        EXPECT_TRUE(sorter.add(static_cast<int>(keyed[i].size()), keyed[i].data(), grams[i].freq,
                               grams[i].range));
    std::string out;
    EXPECT_TRUE(sorter.writeRows([&out](std::string_view text, std::int64_t f, std::int64_t r) {
        out += std::string(text) + " " + std::to_string(f) + " " + std::to_string(r) + "\n";
        return true;
    }));
    if (spilled)
        *spilled = sorter.spilled();
    return out;
}

// cp1252: \xE9 é
const std::vector<Gram> kTricky = {
    {"a z", 2, 1},           {"a'b c", 2, 2},        {"the end", 3, 1}, {"theatre x", 3, 2},
    {"ete b", 2, 1},         {"\xE9t\xE9 a", 2, 1},  {"ete a", 5, 1},   {"the end of", 2, 2},
    {"1 b", 2, 1},           {"12 a", 2, 1},         {"ab cd", 4, 3},   {"abc d", 4, 1},
    {"x y z w v u t", 2, 1}, {"x y z w v u s", 2, 1}};

TEST(NgramSorterTest, EveryOrderByHand) {
    test::TempDir dir;
    const std::string folder = dir.path();
    // base letters first across word ends, where a blank, an apostrophe and a digit are alike:
    // "12 a" < "1 b", "a'b c" < "a z"; shorter first; accents only where the base letters tie
    EXPECT_EQ(sorted(kTricky, SequenceSort::Alpha, 1 << 20, folder),
              "12 a 2 1\n1 b 2 1\na'b c 2 2\na z 2 1\nab cd 4 3\nabc d 4 1\nete a 5 1\n"
              "\xE9t\xE9 a 2 1\nete b 2 1\nthe end 3 1\nthe end of 2 2\ntheatre x 3 2\n"
              "x y z w v u s 2 1\nx y z w v u t 2 1\n");
    EXPECT_EQ(sorted(kTricky, SequenceSort::Freq, 1 << 20, folder),
              "ete a 5 1\nab cd 4 3\nabc d 4 1\nthe end 3 1\ntheatre x 3 2\n12 a 2 1\n"
              "1 b 2 1\na'b c 2 2\na z 2 1\n\xE9t\xE9 a 2 1\nete b 2 1\nthe end of 2 2\n"
              "x y z w v u s 2 1\nx y z w v u t 2 1\n");
    EXPECT_EQ(sorted(kTricky, SequenceSort::Range, 1 << 20, folder),
              "ab cd 4 3\na'b c 2 2\nthe end of 2 2\ntheatre x 3 2\n12 a 2 1\n1 b 2 1\n"
              "a z 2 1\nabc d 4 1\nete a 5 1\n\xE9t\xE9 a 2 1\nete b 2 1\nthe end 3 1\n"
              "x y z w v u s 2 1\nx y z w v u t 2 1\n");
    // bytes from the end: a blank comes before any letter ("abc d" < "ab cd")
    EXPECT_EQ(sorted(kTricky, SequenceSort::Ending, 1 << 20, folder),
              "12 a 2 1\nete a 5 1\n\xE9t\xE9 a 2 1\n1 b 2 1\nete b 2 1\na'b c 2 2\n"
              "abc d 4 1\nab cd 4 3\nthe end 3 1\nthe end of 2 2\nx y z w v u s 2 1\n"
              "x y z w v u t 2 1\ntheatre x 3 2\na z 2 1\n");
}

// Random n-grams over a small vocabulary, so that keys tie often.
std::vector<Gram> randomGrams(std::size_t count, unsigned seed) {
    const char* const words[] = {"a",  "ab", "abc", "b",  "\xE9t\xE9", "ete",    "l'a",
                                 "la", "1",  "12",  "of", "the",       "theatre"};
    std::mt19937 random(seed);
    std::vector<Gram> grams;
    std::set<std::string> seen;
    while (grams.size() < count) {
        const int size = 2 + static_cast<int>(random() % 7);
        std::string text;
        for (int i = 0; i < size; ++i)
            text += (i ? " " : "") + std::string(words[random() % std::size(words)]);
        if (seen.insert(text).second)
            grams.push_back({text, static_cast<std::uint32_t>(2 + random() % 4),
                             static_cast<std::uint32_t>(1 + random() % 3)});
    }
    return grams;
}

TEST(NgramSorterTest, SpilledRunsMergeIntoTheListSortedWhole) {
    test::TempDir dir;
    const std::vector<Gram> grams = randomGrams(3000, 7);
    for (SequenceSort sort :
         {SequenceSort::Freq, SequenceSort::Range, SequenceSort::Alpha, SequenceSort::Ending}) {
        // the reference: the texts sorted by the list's own sort
        SequenceList list;
        for (const Gram& g : grams)
            list.add(g.text, g.freq, g.range);
        SortSequences(list, sort);
        std::string expected;
        for (const SequenceItem& item : list.items)
            expected += std::string(list.textOf(item)) + " " + std::to_string(item.freq) + " " +
                        std::to_string(item.range) + "\n";
        bool spilled = true;
        EXPECT_EQ(sorted(grams, sort, 1 << 24, dir.path(), &spilled), expected);
        EXPECT_FALSE(spilled);
        EXPECT_EQ(sorted(grams, sort, 4096, dir.path(), &spilled), expected);
        EXPECT_TRUE(spilled);
        EXPECT_TRUE(test::folderEntries(dir.path()).empty()); // the run file was never named
    }
}

TEST(NgramSorterTest, StreamedRunAndSaveMatchTheWholeList) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    NgramRequest request;
    request.minSize = 2;
    request.maxSize = 4;
    request.sort = SequenceSort::Alpha;
    request.sources = {dir.write("source/a.txt", "the end of the day and the end of it\r\n"),
                       dir.write("source/b.txt", "at the end of the road the end of it\r\n")};
    const Result<NgramResult> whole = CountNgrams(state, request);
    ASSERT_TRUE(whole);
    ASSERT_GT(whole->list.items.size(), 4u);
    const std::string path = dir.path() + "/list.ngr";
    std::optional<NgramFileWriter> save;
    std::vector<std::string> rows;
    request.top = 3;
    const Result<NgramResult> streamed = CountNgrams(
        state, request, {},
        [&](std::string_view text, std::int64_t f, std::int64_t r) {
            rows.push_back(std::string(text) + " " + std::to_string(f) + " " + std::to_string(r));
            return save->add(text, f, r);
        },
        [&](const NgramResult& settings) { save.emplace(settings, request.sort, path); });
    ASSERT_TRUE(streamed);
    EXPECT_TRUE(streamed->list.items.empty());
    EXPECT_EQ(streamed->listed, 3);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const SequenceItem& item = whole->list.items[i];
        EXPECT_EQ(rows[i], std::string(whole->list.textOf(item)) + " " + std::to_string(item.freq) +
                               " " + std::to_string(item.range));
    }
    ASSERT_TRUE(save->finish(Placement::KeepExisting));
    NgramResult firstThree = *whole;
    KeepTop(firstThree.list, 3);
    EXPECT_EQ(test::readFile(path), NgramFileText(firstThree, request.sort));
    // a row that says stop ends the run as a stop does
    const Result<NgramResult> stopped = CountNgrams(
        state, request, {}, [](std::string_view, std::int64_t, std::int64_t) { return false; });
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.code(), FailureCode::Cancelled);
}

} // namespace
} // namespace lexmora
