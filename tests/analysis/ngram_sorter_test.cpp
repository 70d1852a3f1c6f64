// The sorter of the filtered n-grams: every order by hand on words whose base letters, accents,
// apostrophes and digits make the packed key and the texts disagree across word ends; runs
// spilled by a tiny bound merged into the list sorted in memory, on a merging thread or without
// one; a list stopped mid-way, and runs that fail to be written or read back; the streamed engine
// run and the streamed save against their whole-list forms.
#include "analysis/ngram_counter.h"
#include "analysis/ngram_file.h"
#include "analysis/ngram_sorter.h"
#include "analysis/ngrams.h"

#include "core/os_calls.h"
#include "support/test_support.h"
#include "wordcount/count_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace lexmora {
namespace {

struct Gram {
    std::string text; // words with one blank between them
    std::uint32_t freq, range;
};

// Each n-gram's words numbered in `ids`.
std::vector<std::vector<std::uint32_t>> numbered(const std::vector<Gram>& grams, WordIds& ids) {
    std::vector<std::vector<std::uint32_t>> words(grams.size());
    for (std::size_t i = 0; i < grams.size(); ++i) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t blank = grams[i].text.find(' ', start);
            words[i].push_back(
                ids.idOf(std::string_view(grams[i].text).substr(start, blank - start)));
            if (blank == std::string::npos)
                break;
            start = blank + 1;
        }
    }
    return words;
}

// The n-grams through a sorter with `bound` bytes, as "text freq range" lines.
std::string sorted(const std::vector<Gram>& grams, SequenceSort sort, std::size_t bound,
                   const std::string& folder, bool* spilled = nullptr) {
    WordIds ids;
    const std::vector<std::vector<std::uint32_t>> keyed = numbered(grams, ids);
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

TEST(NgramSorterTest, CountsOfEveryLengthOrderTheKeysGreatestFirst) {
    test::TempDir dir;
    // counts whose lengths differ, and counts of one length that differ low or high; texts long
    // enough for the letters after a short count to go past those after a long one
    const std::uint32_t counts[] = {1,     2,          3,          4,          7,
                                    8,     255,        256,        257,        65535,
                                    65536, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    std::vector<Gram> grams;
    std::string expectedFreq;
    for (std::size_t i = 0; i < std::size(counts); ++i) {
        const std::uint32_t c = counts[std::size(counts) - 1 - i]; // greatest first
        const std::string text = std::string("the quick brown fox ") + char('a' + i % 3);
        grams.push_back({text, c, c});
        const std::string line = text + " " + std::to_string(c) + " " + std::to_string(c) + "\n";
        expectedFreq += line;
    }
    std::vector<Gram> reversed(grams.rbegin(), grams.rend());
    EXPECT_EQ(sorted(reversed, SequenceSort::Freq, 1 << 20, dir.path()), expectedFreq);
    EXPECT_EQ(sorted(reversed, SequenceSort::Range, 1 << 20, dir.path()), expectedFreq);
    // spilled: the keys compared across runs as well
    EXPECT_EQ(sorted(reversed, SequenceSort::Freq, 256, dir.path()), expectedFreq);
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

struct OsCallsGuard {
    ~OsCallsGuard() { resetOsCalls(); }
};

bool noThread() {
    return false;
}

// While set, a write puts down half of what it is given and says it put down all of it, as a
// disk that loses data would: the run is then short when it is read back.
std::atomic<bool> losingWrites{false};
ssize_t writeLosingHalf(int fd, const void* data, std::size_t size) {
    if (!losingWrites)
        return ::write(fd, data, size);
    const ssize_t put = ::write(fd, data, size / 2);
    return put < 0 ? put : static_cast<ssize_t>(size);
}
ssize_t writeNothingDiskFull(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}

// A list run through a sorter: the rows `row` took, whether the list went through whole, the
// sorter's error.
struct Listed {
    std::vector<std::string> rows;
    bool whole = false;
    bool added = true;
    int error = 0;
};

// `grams` into a sorter of `bound` bytes, then its rows until `stopAfter` rows (0: all);
// `halfWay` runs once half the n-grams are in.
Listed listThrough(const std::vector<Gram>& grams, SequenceSort sort, std::size_t bound,
                   const std::string& folder, std::size_t stopAfter = 0,
                   const std::function<void()>& halfWay = {}) {
    WordIds ids;
    const std::vector<std::vector<std::uint32_t>> words = numbered(grams, ids);
    Listed listed;
    NgramSorter sorter(ids, sort, kMaxSequenceSize, bound, folder);
    for (std::size_t i = 0; i < grams.size() && listed.added; ++i) {
        if (i == grams.size() / 2 && halfWay)
            halfWay();
        listed.added = sorter.add(static_cast<int>(words[i].size()), words[i].data(), grams[i].freq,
                                  grams[i].range);
    }
    if (listed.added) {
        listed.whole = sorter.writeRows([&](std::string_view text, std::int64_t f, std::int64_t r) {
            listed.rows.push_back(std::string(text) + " " + std::to_string(f) + " " +
                                  std::to_string(r));
            return stopAfter == 0 || listed.rows.size() < stopAfter;
        });
    }
    listed.error = sorter.error();
    return listed;
}

TEST(NgramSorterTest, TheMergeGivesTheSameListOnItsOwnThreadOrOnTheCallingOne) {
    test::TempDir dir;
    // 3030 n-grams: many runs of a tiny bound, and some left in memory, merged with them
    const std::vector<Gram> grams = randomGrams(3030, 9);
    for (SequenceSort sort : {SequenceSort::Freq, SequenceSort::Ending}) {
        const Listed inMemory = listThrough(grams, sort, 1 << 24, dir.path());
        ASSERT_TRUE(inMemory.whole);
        ASSERT_EQ(inMemory.rows.size(), grams.size());
        for (const bool threads : {true, false}) {
            SCOPED_TRACE(threads);
            const OsCallsGuard guard;
            if (!threads)
                osCalls().threadAvailable = noThread;
            for (const std::size_t bound :
                 {std::size_t{1000}, std::size_t{4096}, std::size_t{60000}}) {
                const Listed spilled = listThrough(grams, sort, bound, dir.path());
                EXPECT_TRUE(spilled.whole);
                EXPECT_EQ(spilled.error, 0);
                EXPECT_EQ(spilled.rows, inMemory.rows) << "bound " << bound;
            }
            EXPECT_TRUE(test::folderEntries(dir.path()).empty());
        }
    }
}

// The list sorted in two shares, as the drain's threads sort it: each n-gram goes to the share
// `shareOf` names, each share has `bounds[share]` bytes; the rows of both, merged.
std::vector<std::string> listedInShares(const std::vector<Gram>& grams, SequenceSort sort,
                                        const std::size_t (&bounds)[2],
                                        const std::function<int(std::size_t)>& shareOf,
                                        const std::string& folder) {
    WordIds ids;
    const std::vector<std::vector<std::uint32_t>> words = numbered(grams, ids);
    const NgramListWords listWords(ids, sort);
    NgramSorter first(listWords, kMaxSequenceSize, bounds[0], folder);
    NgramSorter second(listWords, kMaxSequenceSize, bounds[1], folder);
    NgramSorter* const sorters[] = {&first, &second};
    for (std::size_t i = 0; i < grams.size(); ++i)
        EXPECT_TRUE(sorters[shareOf(i)]->add(static_cast<int>(words[i].size()), words[i].data(),
                                             grams[i].freq, grams[i].range));
    second.seal(); // one sealed on its own thread, the other when the list is written
    std::vector<std::string> rows;
    EXPECT_TRUE(
        NgramSorter::WriteRows(sorters, [&](std::string_view text, std::int64_t f, std::int64_t r) {
            rows.push_back(std::string(text) + " " + std::to_string(f) + " " + std::to_string(r));
            return true;
        }));
    EXPECT_EQ(first.error(), 0);
    return rows;
}

TEST(NgramSorterTest, SharesSortedApartMergeIntoTheListOneSorterGives) {
    test::TempDir dir;
    const std::vector<Gram> grams = randomGrams(3030, 11);
    struct Case {
        const char* what;
        std::size_t bounds[2];
        std::function<int(std::size_t)> shareOf;
    };
    const auto alternate = [](std::size_t i) { return static_cast<int>(i % 2); };
    const Case cases[] = {
        {"both in memory", {1 << 24, 1 << 24}, alternate},
        {"both spilled", {4096, 3000}, alternate},
        {"one spilled, one in memory", {4096, 1 << 24}, alternate},
        {"all in the second, in memory", {4096, 1 << 24}, [](std::size_t) { return 1; }},
        {"all in the first, spilled", {4096, 1 << 24}, [](std::size_t) { return 0; }},
        {"the first few in one", {1 << 24, 4096}, [](std::size_t i) { return i < 5 ? 0 : 1; }},
    };
    for (const SequenceSort sort :
         {SequenceSort::Freq, SequenceSort::Alpha, SequenceSort::Ending}) {
        const Listed whole = listThrough(grams, sort, 1 << 24, dir.path());
        ASSERT_EQ(whole.rows.size(), grams.size());
        for (const Case& c : cases)
            EXPECT_EQ(listedInShares(grams, sort, c.bounds, c.shareOf, dir.path()), whole.rows)
                << c.what;
    }
    EXPECT_TRUE(test::folderEntries(dir.path()).empty());
}

TEST(NgramSorterTest, ARowThatStopsTheListEndsTheMergeWithNoError) {
    test::TempDir dir;
    const std::vector<Gram> grams = randomGrams(3030, 5);
    const Listed whole = listThrough(grams, SequenceSort::Alpha, 1 << 24, dir.path());
    ASSERT_TRUE(whole.whole);
    for (const bool threads : {true, false}) {
        // the first row, one in the first block, and one far past the blocks going round
        for (const std::size_t stop : {std::size_t{1}, std::size_t{700}, std::size_t{3000}}) {
            SCOPED_TRACE(testing::Message() << "threads " << threads << ", stop " << stop);
            const OsCallsGuard guard;
            if (!threads)
                osCalls().threadAvailable = noThread;
            const Listed stopped = listThrough(grams, SequenceSort::Alpha, 2048, dir.path(), stop);
            EXPECT_FALSE(stopped.whole);
            EXPECT_EQ(stopped.error, 0);
            ASSERT_EQ(stopped.rows.size(), stop);
            EXPECT_TRUE(std::equal(stopped.rows.begin(), stopped.rows.end(), whole.rows.begin()));
            EXPECT_TRUE(test::folderEntries(dir.path()).empty());
        }
    }
}

TEST(NgramSorterTest, ARunThatCannotBeWrittenOrReadBackFailsTheList) {
    test::TempDir dir;
    const std::vector<Gram> grams = randomGrams(3030, 3);
    const Listed whole = listThrough(grams, SequenceSort::Range, 1 << 24, dir.path());
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads);
        {
            // the disk full at the first spill: add says so, with the reason
            const OsCallsGuard guard;
            osCalls().writeFile = writeNothingDiskFull;
            if (!threads)
                osCalls().threadAvailable = noThread;
            const Listed full = listThrough(grams, SequenceSort::Range, 4096, dir.path());
            EXPECT_FALSE(full.added);
            EXPECT_EQ(full.error, ENOSPC);
        }
        {
            // the runs of the second half written short: their readers fail part way through
            // the merge
            const OsCallsGuard guard;
            osCalls().writeFile = writeLosingHalf;
            if (!threads)
                osCalls().threadAvailable = noThread;
            const Listed lost = listThrough(grams, SequenceSort::Range, 4096, dir.path(), 0,
                                            [] { losingWrites = true; });
            losingWrites = false;
            EXPECT_TRUE(lost.added);
            EXPECT_FALSE(lost.whole);
            EXPECT_EQ(lost.error, EIO);
            EXPECT_LT(lost.rows.size(), grams.size());
            EXPECT_TRUE(std::equal(lost.rows.begin(), lost.rows.end(), whole.rows.begin()));
        }
        EXPECT_TRUE(test::folderEntries(dir.path()).empty());
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
