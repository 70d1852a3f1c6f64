// The table of word-id sequences against a std::map fed the same sequences: every add tells
// "new" exactly when the map had no such key, the counts are the map's, and every sequence is
// visited once with its ids. Forced hash collisions (every sequence on one slot, or on a few),
// growth through many sizes, sequences that are prefixes of one another, and repeats.
#include "analysis/id_sequence_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace lexmora {
namespace {

using Ids = std::vector<std::uint32_t>;

struct SameHash {
    std::uint64_t operator()(std::span<const std::uint32_t>) const { return 12345; }
};
// Four hashes only: the sequences of one share their slot and the hash the slot keeps, and the
// four runs of probes meet in one.
struct FourHashes {
    std::uint64_t operator()(std::span<const std::uint32_t> ids) const {
        return (ids.empty() ? 0 : ids[0] % 4) * 0x10001ull;
    }
};

struct Case {
    const char* name;
    int sequences;  // adds
    int vocabulary; // ids 0..vocabulary-1
    int minLength, maxLength;
};

// The sequences of a case, the same for every hash: few ids make many repeats and prefixes.
std::vector<Ids> sequencesOf(const Case& c) {
    std::mt19937 random(static_cast<unsigned>(c.sequences * 31 + c.vocabulary));
    std::uniform_int_distribution<int> word(0, c.vocabulary - 1);
    std::uniform_int_distribution<int> length(c.minLength, c.maxLength);
    std::vector<Ids> out(static_cast<std::size_t>(c.sequences));
    for (Ids& ids : out) {
        ids.resize(static_cast<std::size_t>(length(random)));
        for (std::uint32_t& id : ids)
            id = static_cast<std::uint32_t>(word(random));
    }
    return out;
}

struct Count {
    int adds = 0;
};

// What went wrong, or "" when the table agreed with the map throughout.
template <typename Hash> std::string checkAgainstMap(const std::vector<Ids>& sequences) {
    IdSequenceTable<Count, Hash> table;
    std::map<Ids, int> reference;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        const Ids& ids = sequences[i];
        bool fresh = false;
        Count& count = table.add(ids, fresh);
        const bool expected = reference.find(ids) == reference.end();
        if (fresh != expected)
            return "add " + std::to_string(i) + ": fresh " + std::to_string(fresh);
        ++count.adds;
        if (count.adds != ++reference[ids])
            return "add " + std::to_string(i) + ": count " + std::to_string(count.adds);
    }
    if (table.size() != reference.size())
        return "size " + std::to_string(table.size()) + " not " + std::to_string(reference.size());
    std::map<Ids, int> visited;
    table.forEach([&visited](std::span<const std::uint32_t> ids, const Count& count) {
        visited[Ids(ids.begin(), ids.end())] += count.adds;
    });
    return visited == reference ? "" : "the sequences visited are not the ones added";
}

const Case kCases[] = {
    {"one sequence again and again", 50, 1, 3, 3},
    {"pairs of two words: every one repeated", 400, 2, 2, 2},
    {"prefixes of one another", 2000, 2, 1, 8},
    {"cluster sizes, few words", 5000, 6, 2, 5},
    {"a multi-word block makes long ones", 3000, 40, 3, 12},
    {"growth through many sizes, mostly new", 60000, 30000, 3, 3},
};

TEST(IdSequenceTable, AgreesWithAMap) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::vector<Ids> sequences = sequencesOf(c);
        EXPECT_EQ(checkAgainstMap<IdSequenceHash>(sequences), "");
        if (c.sequences > 5000)
            continue; // one run of probes: quadratic
        EXPECT_EQ(checkAgainstMap<FourHashes>(sequences), "");
        EXPECT_EQ(checkAgainstMap<SameHash>(sequences), "");
    }
}

TEST(IdSequenceTable, CountsStartValueInitialised) {
    struct Tally {
        long freq = 0;
        long lastFile = -1;
    };
    IdSequenceTable<Tally, SameHash> table;
    bool fresh = false;
    const Ids a = {1, 2, 3};
    table.add(a, fresh).freq = 7;
    const Ids b = {1, 2};
    const Tally& t = table.add(b, fresh);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(t.freq, 0);
    EXPECT_EQ(t.lastFile, -1);
    EXPECT_EQ(table.add(a, fresh).freq, 7);
    EXPECT_FALSE(fresh);
}

} // namespace
} // namespace lexmora
