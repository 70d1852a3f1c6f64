#include "search/hit_positions.h"
#include "search/hit_spool.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace lexmora {
namespace {

// Every slot's hits come back in the order added, whether kept in memory, spilled in pieces that
// the reads cut across, or longer than a read; and readers taken one after another or at once.
TEST(HitSpool, GivesEachSlotsHitsBackInTheOrderAdded) {
    struct Case {
        const char* name;
        std::size_t memory;
        std::size_t longest; // of a line
        int hits;
    };
    const Case cases[] = {
        {"in memory", std::size_t{64} << 20, 500, 300},
        {"a piece per hit", 0, 300, 200},
        {"pieces cut by the reads", std::size_t{4} << 20, 300000, 120},
        {"lines longer than a read", std::size_t{1} << 20, 2500000, 6},
    };
    for (const Case& c : cases) {
        const test::TempDir dir;
        constexpr std::size_t kSlots = 3;
        HitSpool spool(dir.path(), kSlots, c.memory);
        std::mt19937 random(7);
        struct Added {
            std::uint32_t file;
            std::string line;
            std::uint64_t position;
        };
        std::vector<std::vector<Added>> added(kSlots);
        for (int i = 0; i < c.hits; ++i) {
            const std::size_t slot = random() % kSlots;
            const auto file = static_cast<std::uint32_t>(i / 4);
            std::string line(random() % c.longest, static_cast<char>('a' + i % 26));
            line += std::to_string(i);
            // Positions past 4 GB and the "not known" mark keep all their bits.
            const std::uint64_t position =
                i % 7 == 0 ? kNoHitPosition : (std::uint64_t{random()} << 21) + i;
            ASSERT_TRUE(spool.add(slot, file, line, position)) << c.name;
            added[slot].push_back({file, line, position});
        }
        auto check = [&](HitSpool::Reader& reader, std::size_t slot, std::size_t& at) {
            std::uint32_t file = 0;
            std::string_view line;
            std::uint64_t position = 0;
            ASSERT_TRUE(reader.next(file, line, position))
                << c.name << " slot " << slot << " hit " << at;
            EXPECT_EQ(file, added[slot][at].file) << c.name;
            EXPECT_EQ(line, added[slot][at].line) << c.name;
            EXPECT_EQ(position, added[slot][at].position) << c.name;
            ++at;
        };
        for (std::size_t slot = 0; slot < kSlots; ++slot) {
            HitSpool::Reader reader = spool.read(slot);
            for (std::size_t at = 0; at < added[slot].size();)
                check(reader, slot, at);
            EXPECT_EQ(reader.peekFile(), UINT32_MAX) << c.name;
            EXPECT_FALSE(reader.failed()) << c.name;
        }
        HitSpool::Reader first = spool.read(0), second = spool.read(1);
        std::size_t at0 = 0, at1 = 0;
        while (at0 < added[0].size() || at1 < added[1].size()) {
            if (at0 < added[0].size())
                check(first, 0, at0);
            if (at1 < added[1].size())
                check(second, 1, at1);
        }
    }
}

// Spilled hits are written on another thread, so a full disk may be seen only after the adds
// succeeded: settling tells it, and a reader of a slot then fails instead of giving part of it.
TEST(HitSpool, AFailedWriteIsToldWhenTheSpoolSettles) {
    const test::TempDir dir;
    HitSpool spool(dir.path(), 2, 0); // every hit goes to the file
    {
        // One spill, its block cut by the disk: the add may well have gone through.
        const test::SmallDisk disk(100);
        (void)spool.add(0, 0, std::string(200, 'x'), 0);
        EXPECT_FALSE(spool.settle());
    }
    EXPECT_FALSE(spool.settle()); // room again: what was lost stays lost
    HitSpool::Reader reader = spool.read(0);
    std::uint32_t file = 0;
    std::string_view line;
    std::uint64_t position = 0;
    while (reader.next(file, line, position)) {
    }
    EXPECT_TRUE(reader.failed());
}

} // namespace
} // namespace lexmora
