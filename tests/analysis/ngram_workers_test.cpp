// The n-gram count on worker threads against a plain map count of the same random texts: with
// one and two workers, without any thread, in memory and with spills forced by a tiny bound,
// at thresholds where many sequences tie; and a worker's failure or a spill's ends the run.
#include "analysis/ngram_workers.h"

#include "core/os_calls.h"
#include "support/test_support.h"
#include "wordcount/count_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace lexmora {
namespace {

struct OsCallsGuard {
    ~OsCallsGuard() { resetOsCalls(); }
};

bool noThread() {
    return false;
}

// Threads to give before the system has none left.
std::atomic<int> threadsLeft{0};
bool someThreads() {
    return threadsLeft-- > 0;
}

// A corpus as the reading side hands it over: per file, blocks of ids with breaks.
using Blocks = std::vector<IdBatch>;

// Files of a few hundred words from a vocabulary of eight, so that most sequences recur and many
// sit just at a threshold; a break now and then, and blocks of random length.
Blocks randomCorpus(unsigned seed, int files) {
    std::mt19937 random(seed);
    Blocks blocks;
    for (int f = 1; f <= files; ++f) {
        const int words = 50 + static_cast<int>(random() % 400);
        IdBatch batch;
        batch.file = static_cast<std::uint32_t>(f);
        for (int i = 0; i < words; ++i) {
            batch.ids.push_back(random() % 13 == 0 ? kSequenceBreak : random() % 8);
            if (random() % 60 == 0) {
                blocks.push_back(batch);
                batch.ids.clear();
            }
        }
        batch.ids.push_back(kSequenceBreak); // the file's end
        blocks.push_back(batch);
    }
    return blocks;
}

// "ids freq range" lines of every sequence of minSize..maxSize that passes, from a plain map.
std::multiset<std::string> mapCount(const Blocks& blocks, int minSize, int maxSize,
                                    std::uint32_t minFreq, std::uint32_t minRange) {
    struct Tally {
        std::uint32_t freq = 0;
        std::set<std::uint32_t> files;
    };
    std::map<std::vector<std::uint32_t>, Tally> tallies;
    std::vector<std::uint32_t> run;
    for (const IdBatch& b : blocks)
        for (const std::uint32_t id : b.ids) {
            if (id == kSequenceBreak) {
                run.clear();
                continue;
            }
            run.push_back(id);
            for (int n = minSize; n <= maxSize && n <= static_cast<int>(run.size()); ++n) {
                Tally& t = tallies[std::vector<std::uint32_t>(run.end() - n, run.end())];
                ++t.freq;
                t.files.insert(b.file);
            }
        }
    std::multiset<std::string> lines;
    for (const auto& [ids, t] : tallies) {
        if (t.freq < minFreq || t.files.size() < minRange)
            continue;
        std::string line;
        for (const std::uint32_t id : ids)
            line += std::to_string(id) + " ";
        lines.insert(line + std::to_string(t.freq) + " " + std::to_string(t.files.size()));
    }
    return lines;
}

struct Counted {
    bool ok = false;
    bool threaded = false;
    std::multiset<std::string> lines;
};

// Every block handed to the workers (started first: `threaded` tells whether they run on
// threads of their own), then the count finished; false when the counting failed on the way.
bool handAll(NgramWorkers& workers, const Blocks& blocks, bool* threaded = nullptr) {
    const bool started = workers.start();
    EXPECT_EQ(workers.threaded(), started);
    if (threaded != nullptr)
        *threaded = started;
    for (const IdBatch& b : blocks) {
        IdBatch* batch = workers.nextBatch();
        if (batch == nullptr)
            return false;
        *batch = b;
        workers.handOver();
    }
    return workers.finish();
}

Counted workerCount(NgramWorkers& workers, const Blocks& blocks, std::uint32_t minFreq,
                    std::uint32_t minRange) {
    Counted out;
    if (!handAll(workers, blocks, &out.threaded))
        return out;
    // two shares, each with lines of its own: a share's taker is called on its thread only
    std::multiset<std::string> shareLines[2];
    int finished[2] = {0, 0};
    std::vector<NgramWorkers::DrainShare> shares;
    for (int s = 0; s < 2; ++s)
        shares.push_back(
            {[&lines = shareLines[s]](int size, const std::uint32_t* ids, const SequenceTally& t) {
                 std::string line;
                 for (int i = 0; i < size; ++i)
                     line += std::to_string(ids[i]) + " ";
                 lines.insert(line + std::to_string(t.freq) + " " + std::to_string(t.range));
                 return true;
             },
             [&count = finished[s]] {
                 ++count;
                 return true;
             }});
    out.ok = workers.drain(minFreq, minRange, shares, [](double) { return true; });
    if (out.ok) {
        EXPECT_EQ(finished[0], 1);
        EXPECT_EQ(finished[1], 1);
    }
    for (const auto& lines : shareLines) {
        // no sequence in both shares
        for (const std::string& line : lines)
            EXPECT_EQ(out.lines.count(line), 0u) << line;
        out.lines.insert(lines.begin(), lines.end());
    }
    return out;
}

TEST(NgramWorkers, SizesAreSharedSoThatEachWorkerHasAboutAsMuchToCount) {
    struct Case {
        int minSize, maxSize, parts;
        std::vector<std::vector<int>> expected;
    };
    const Case cases[] = {
        {3, 3, 2, {{3}}},                       // never more parts than sizes
        {2, 5, 2, {{2, 5}, {3, 4}}},            // 7 ids a step each
        {2, 4, 2, {{4}, {2, 3}}},               // 4 against 5
        {2, 3, 1, {{2, 3}}},                    //
        {2, 8, 3, {{2, 3, 8}, {4, 7}, {5, 6}}}, // 13, 11, 11
        {2, 5, 0, {{2, 3, 4, 5}}},              // at least one
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShareSizes(c.minSize, c.maxSize, c.parts), c.expected)
            << c.minSize << "-" << c.maxSize << " in " << c.parts;
}

TEST(NgramWorkers, CountAsAPlainMapDoesWithAndWithoutThreadsAndSpills) {
    struct Case {
        int minSize, maxSize, workers;
        std::size_t bound; // a few kilobytes spill at almost every block
        std::uint32_t minFreq, minRange;
        bool threads;
    };
    const Case cases[] = {
        {3, 3, 1, 64 << 20, 2, 1, true}, {3, 3, 1, 4 << 10, 2, 1, true},
        {2, 5, 2, 64 << 20, 2, 2, true}, {2, 5, 2, 4 << 10, 3, 2, true},
        {2, 4, 2, 4 << 10, 1, 1, false}, {2, 8, 2, 64 << 20, 4, 3, false},
        {2, 8, 2, 64 << 20, 4, 3, true},
    };
    for (const unsigned seed : {1u, 2u}) {
        const Blocks blocks = randomCorpus(seed, 12);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", sizes " << c.minSize << "-" << c.maxSize
                         << ", bound " << c.bound << ", min " << c.minFreq << "/" << c.minRange);
            test::TempDir dir;
            const OsCallsGuard guard;
            if (!c.threads)
                osCalls().threadAvailable = noThread;
            const std::multiset<std::string> expected =
                mapCount(blocks, c.minSize, c.maxSize, c.minFreq, c.minRange);
            ASSERT_FALSE(expected.empty());
            {
                NgramWorkers workers(c.minSize, c.maxSize, c.bound, dir.path(), c.workers);
                const Counted counted = workerCount(workers, blocks, c.minFreq, c.minRange);
                ASSERT_TRUE(counted.ok);
                EXPECT_EQ(counted.lines, expected);
                EXPECT_EQ(workers.spilled(), c.bound < 64 << 10);
                EXPECT_EQ(counted.threaded, c.threads);
            }
            EXPECT_TRUE(test::folderEntries(dir.path()).empty());
        }
    }
}

TEST(NgramWorkers, ADrainShortOfThreadsDrainsTheRestOnTheCallingThread) {
    const Blocks blocks = randomCorpus(4, 12);
    const std::multiset<std::string> expected = mapCount(blocks, 2, 5, 2, 1);
    for (const int threads : {4, 3, 2}) { // two workers, then two drain threads, one or none
        SCOPED_TRACE(threads);
        test::TempDir dir;
        const OsCallsGuard guard;
        threadsLeft = threads;
        osCalls().threadAvailable = someThreads;
        {
            NgramWorkers workers(2, 5, 4 << 10, dir.path(), 2);
            const Counted counted = workerCount(workers, blocks, 2, 1);
            ASSERT_TRUE(counted.ok);
            EXPECT_TRUE(counted.threaded);
            EXPECT_EQ(counted.lines, expected);
        }
        EXPECT_TRUE(test::folderEntries(dir.path()).empty());
    }
}

// `body` with worker threads and without any, each time in a temporary folder of its own that
// must be left empty.
void WithAndWithoutThreads(
    const std::function<void(bool threads, const std::string& folder)>& body) {
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads);
        test::TempDir dir;
        const OsCallsGuard guard;
        if (!threads)
            osCalls().threadAvailable = noThread;
        body(threads, dir.path());
        EXPECT_TRUE(test::folderEntries(dir.path()).empty());
    }
}

TEST(NgramWorkers, ADrainStoppedMidWayIsNoFailureAndLeavesNothing) {
    const Blocks blocks = randomCorpus(6, 12);
    WithAndWithoutThreads([&](bool threads, const std::string& folder) {
        NgramWorkers workers(2, 3, 4 << 10, folder, 2);
        ASSERT_TRUE(handAll(workers, blocks));
        ASSERT_TRUE(workers.spilled());
        // Threads: held (as a pause holds them) before they drain a partition, then
        // stopped at the first ask. Without: stopped between partitions at the 100th.
        if (threads)
            workers.holdDrain();
        int asked = 0;
        std::atomic<int> taken{0};
        const NgramWorkers::DrainShare share{
            [&taken](int, const std::uint32_t*, const SequenceTally&) {
                ++taken;
                return true;
            },
            {}};
        const NgramWorkers::DrainShare shares[] = {share, share};
        EXPECT_FALSE(workers.drain(1, 1, shares, [&](double done) {
            EXPECT_GE(done, 0.0);
            EXPECT_LE(done, 1.0);
            return ++asked < (threads ? 1 : 100);
        }));
        if (threads)
            EXPECT_EQ(taken, 0);
        else
            EXPECT_GT(taken, 0);
        EXPECT_FALSE(workers.failed());
        EXPECT_EQ(workers.failedCounter(), nullptr);
    });
}

TEST(NgramWorkers, AShareWhoseTakerFailsStopsTheDrainWithNoFailureOfItsOwn) {
    const Blocks blocks = randomCorpus(8, 12);
    WithAndWithoutThreads([&](bool, const std::string& folder) {
        NgramWorkers workers(2, 5, 4 << 10, folder, 2);
        ASSERT_TRUE(handAll(workers, blocks));
        // the first share takes ten n-grams and no more (a full disk under its list)
        int took = 0;
        bool finished = false;
        const NgramWorkers::DrainShare shares[] = {
            {[&took](int, const std::uint32_t*, const SequenceTally&) { return ++took < 10; },
             [&finished] { return finished = true; }},
            {[](int, const std::uint32_t*, const SequenceTally&) { return true; }, {}}};
        EXPECT_FALSE(workers.drain(1, 1, shares, [](double) { return true; }));
        EXPECT_EQ(took, 10);
        EXPECT_FALSE(finished);
        EXPECT_FALSE(workers.failed());
        EXPECT_EQ(workers.failedCounter(), nullptr);
    });
}

// Says every byte was written, and writes half of them: a spill that reads back short.
ssize_t writeHalf(int fd, const void* data, std::size_t size) {
    const ssize_t put = ::write(fd, data, size / 2);
    return put < 0 ? put : static_cast<ssize_t>(size);
}

TEST(NgramWorkers, ASpillThatReadsBackShortFailsTheDrainAndLeavesNothing) {
    const Blocks blocks = randomCorpus(9, 12);
    WithAndWithoutThreads([&](bool, const std::string& folder) {
        osCalls().writeFile = writeHalf;
        NgramWorkers workers(2, 4, 4 << 10, folder, 2);
        ASSERT_TRUE(handAll(workers, blocks));
        ASSERT_TRUE(workers.spilled());
        const NgramWorkers::DrainShare share{
            [](int, const std::uint32_t*, const SequenceTally&) { return true; }, {}};
        const NgramWorkers::DrainShare shares[] = {share, share};
        EXPECT_FALSE(workers.drain(1, 1, shares, [](double) { return true; }));
        EXPECT_TRUE(workers.failed());
        const NgramCounter* failed = workers.failedCounter();
        ASSERT_NE(failed, nullptr);
        EXPECT_EQ(failed->error(), EIO);
    });
}

TEST(NgramWorkers, AWorkerThatFailsEndsTheRunAndSaysWhy) {
    const Blocks blocks = randomCorpus(7, 20);
    for (const bool threads : {true, false})
        for (const bool memory : {true, false}) {
            SCOPED_TRACE(testing::Message() << "threads " << threads << ", memory " << memory);
            test::TempDir dir;
            const OsCallsGuard guard;
            if (!threads)
                osCalls().threadAvailable = noThread;
            {
                NgramWorkers workers(2, 5, 4 << 10, dir.path(), 2);
                int counts = 0;
                std::mutex mutex;
                workers.beforeCount = [&] {
                    const std::lock_guard lock(mutex);
                    if (++counts == 9) {
                        if (memory)
                            throw std::bad_alloc();
                        throw std::runtime_error("a disk that went away");
                    }
                };
                const Counted counted = workerCount(workers, blocks, 1, 1);
                EXPECT_FALSE(counted.ok);
                EXPECT_EQ(workers.failedCounter(), nullptr);
                EXPECT_EQ(workers.outOfMemory(), memory);
                EXPECT_EQ(workers.why(), memory ? "not enough memory" : "a disk that went away");
            }
            EXPECT_TRUE(test::folderEntries(dir.path()).empty());
        }
}

TEST(NgramWorkers, ASpillThatCannotBeWrittenNamesItsCounter) {
    const Blocks blocks = randomCorpus(5, 10);
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads);
        test::TempDir dir;
        const OsCallsGuard guard;
        if (!threads)
            osCalls().threadAvailable = noThread;
        NgramWorkers workers(2, 3, 4 << 10, dir.path() + "/no such folder", 2);
        EXPECT_FALSE(workerCount(workers, blocks, 1, 1).ok);
        const NgramCounter* failed = workers.failedCounter();
        ASSERT_NE(failed, nullptr);
        EXPECT_TRUE(failed->folderRefused());
        EXPECT_EQ(failed->error(), ENOENT);
        EXPECT_EQ(failed->temporaryFolder(), dir.path() + "/no such folder");
    }
}

} // namespace
} // namespace lexmora
