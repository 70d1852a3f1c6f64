// A partition's tally table against a plain map of the same occurrences: with the real hash,
// with every sequence on one hash (each search walks past all the others), with hashes that
// differ only above the bits that place a slot, across its growths, and refilled after its
// tallies were taken out; occurrences joined from a later tally count a file met at both ends
// once.
#include "analysis/ngram_counter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace lexmora {
namespace {

using Ids = std::vector<std::uint32_t>;

struct Expected {
    std::uint32_t freq = 0, range = 0, firstFile = 0, lastFile = 0;
    bool operator==(const Expected&) const = default;
};

std::map<Ids, Expected> contents(const TallyTable& table, int size) {
    std::map<Ids, Expected> out;
    table.forEach([&](const std::uint32_t* ids, const SequenceTally& t) {
        const bool fresh =
            out.emplace(Ids(ids, ids + size), Expected{t.freq, t.range, t.firstFile, t.lastFile})
                .second;
        EXPECT_TRUE(fresh) << "a sequence held twice";
    });
    return out;
}

enum class Hashing { Real, AllOne, HighBitsOnly };

std::uint64_t hashFor(Hashing hashing, const Ids& ids) {
    const std::uint64_t real = HashSequence(ids.data(), static_cast<int>(ids.size()));
    switch (hashing) {
    case Hashing::AllOne:
        return 0x5A5A5A5A00000007ull;
    case Hashing::HighBitsOnly:
        return real & 0xFFFFFFFF00000000ull; // every slot search starts at 0
    default:
        return real;
    }
}

TEST(TallyTable, CountsAsAPlainMapDoes) {
    struct Case {
        int size;
        Hashing hashing;
        int occurrences;
        std::uint32_t vocabulary; // small: most sequences recur
    };
    const Case cases[] = {
        {2, Hashing::Real, 20000, 40},       {3, Hashing::Real, 20000, 20},
        {5, Hashing::Real, 5000, 4},         {8, Hashing::Real, 3000, 3},
        {3, Hashing::AllOne, 1500, 6},       {2, Hashing::AllOne, 600, 30},
        {4, Hashing::HighBitsOnly, 3000, 5}, {3, Hashing::HighBitsOnly, 3000, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "size " << c.size << ", hashing " << static_cast<int>(c.hashing));
        std::mt19937 random(static_cast<unsigned>(c.size * 31 + c.occurrences));
        TallyTable table(c.size);
        std::map<Ids, Expected> expected;
        std::uint32_t file = 1;
        for (int i = 0; i < c.occurrences; ++i) {
            if (random() % 50 == 0)
                ++file;
            Ids ids(static_cast<std::size_t>(c.size));
            for (std::uint32_t& id : ids)
                id = static_cast<std::uint32_t>(random() % c.vocabulary);
            table.addOne(ids.data(), hashFor(c.hashing, ids), file);
            Expected& e = expected[ids];
            if (e.freq == 0)
                e = {0, 0, file, file};
            ++e.freq;
            if (e.range == 0 || e.lastFile != file)
                ++e.range;
            e.lastFile = file;
        }
        EXPECT_EQ(table.entries(), expected.size());
        EXPECT_EQ(contents(table, c.size), expected);
        // grown past its first size: the slots hold the ids, and their bytes are what it takes
        EXPECT_GE(table.bytes(), expected.size() * (5 + c.size) * sizeof(std::uint32_t));
    }
}

TEST(TallyTable, ALaterTallyCountsAFileMetAtBothEndsOnce) {
    const Ids a{1, 2, 3}, b{3, 2, 1};
    struct Case {
        const char* what;
        SequenceTally before, later, joined;
    };
    const Case cases[] = {
        {"the same file at the join", {4, 2, 1, 5}, {3, 2, 5, 9}, {7, 3, 1, 9}},
        {"files apart", {4, 2, 1, 5}, {3, 2, 6, 9}, {7, 4, 1, 9}},
        {"one file throughout", {2, 1, 7, 7}, {5, 1, 7, 7}, {7, 1, 7, 7}},
    };
    for (const Hashing hashing : {Hashing::Real, Hashing::AllOne}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            TallyTable table(3);
            table.addLater(b.data(), hashFor(hashing, b), {1, 1, 2, 2});
            table.addLater(a.data(), hashFor(hashing, a), c.before);
            table.addLater(a.data(), hashFor(hashing, a), c.later);
            const std::map<Ids, Expected> expected{
                {a, {c.joined.freq, c.joined.range, c.joined.firstFile, c.joined.lastFile}},
                {b, {1, 1, 2, 2}}};
            EXPECT_EQ(contents(table, 3), expected);
        }
    }
}

TEST(TallyTable, TakenOutItHoldsNothingKeepsItsSlotsAndCountsAnew) {
    for (const Hashing hashing : {Hashing::Real, Hashing::AllOne}) {
        SCOPED_TRACE(static_cast<int>(hashing));
        TallyTable table(2);
        std::map<Ids, Expected> expected;
        const std::uint32_t count = hashing == Hashing::AllOne ? 300 : 5000;
        for (std::uint32_t i = 0; i < count; ++i) {
            const Ids ids{i, i % 7};
            table.addOne(ids.data(), hashFor(hashing, ids), 1 + i / 1000);
            table.addOne(ids.data(), hashFor(hashing, ids), 2 + i / 1000);
            expected[ids] = {2, 2, 1 + i / 1000, 2 + i / 1000};
        }
        const std::size_t full = table.bytes();
        std::vector<std::uint32_t> records{99}; // appended after what is there
        table.takeRecords(records);
        ASSERT_EQ(records.size(), 1 + count * 6);
        EXPECT_EQ(records[0], 99u);
        std::map<Ids, Expected> taken;
        for (std::size_t at = 1; at < records.size(); at += 6)
            taken[Ids{records[at + 4], records[at + 5]}] = {records[at], records[at + 1],
                                                            records[at + 2], records[at + 3]};
        EXPECT_EQ(taken, expected);
        EXPECT_EQ(table.entries(), 0u);
        EXPECT_EQ(table.bytes(), full);
        EXPECT_TRUE(contents(table, 2).empty());
        // refilled: slots freed by the taking are found free, those in use found again
        const Ids again{7, 0}, other{8, 1};
        table.addOne(again.data(), hashFor(hashing, again), 30);
        table.addOne(other.data(), hashFor(hashing, other), 30);
        table.addOne(again.data(), hashFor(hashing, again), 31);
        EXPECT_EQ(contents(table, 2),
                  (std::map<Ids, Expected>{{again, {2, 2, 30, 31}}, {other, {1, 1, 30, 30}}}));
        table.clear();
        EXPECT_TRUE(contents(table, 2).empty());
        EXPECT_EQ(table.bytes(), full);
        table.release();
        EXPECT_EQ(table.bytes(), 0u);
        EXPECT_TRUE(contents(table, 2).empty());
    }
}

TEST(TallyTable, ReservedItTakesThatManyWithoutGrowing) {
    struct Case {
        std::size_t entries, slots;
    };
    // at most three quarters full, and never below the first size
    const Case cases[] = {{0, 1024}, {768, 1024}, {769, 2048}, {3000, 4096}, {3073, 8192}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        TallyTable table(3);
        table.reserve(c.entries);
        EXPECT_EQ(table.capacity(), c.slots);
        for (std::uint32_t i = 0; i < c.entries; ++i) {
            const Ids ids{i, 1, 2};
            table.addLater(ids.data(), HashSequence(ids.data(), 3), {1, 1, 1, 1});
        }
        EXPECT_EQ(table.capacity(), c.slots);
        EXPECT_EQ(table.entries(), c.entries);
    }
    // reserved with sequences held: they stay
    TallyTable table(2);
    const Ids ids{4, 5};
    table.addOne(ids.data(), HashSequence(ids.data(), 2), 3);
    table.reserve(5000);
    EXPECT_EQ(table.capacity(), 8192u);
    EXPECT_EQ(contents(table, 2), (std::map<Ids, Expected>{{ids, {1, 1, 3, 3}}}));
}

} // namespace
} // namespace lexmora
