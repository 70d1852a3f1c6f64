// The read-ahead of the hit walk: items come in order and whole whether a second thread
// prepares them, none can be started, or it fails part-way; leaving early ends the thread.
#include "analysis/read_ahead.h"

#include "core/os_calls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace lexmora {
namespace {

struct Item {
    std::size_t index = 0;
    std::string text; // long enough to live on the heap: a torn write would show
    std::thread::id preparedOn;
};

std::string textOf(std::size_t index) {
    return std::string(40, static_cast<char>('a' + index % 26));
}

bool noThread() {
    return false;
}

struct OsCallsGuard {
    ~OsCallsGuard() { resetOsCalls(); }
};

enum class Helper { Works, NoneStarts, FailsAtItem7 };

TEST(ReadAhead, ItemsComeInOrderAndWholeHoweverTheyArePrepared) {
    constexpr std::size_t kItems = 40;
    for (const Helper helper : {Helper::Works, Helper::NoneStarts, Helper::FailsAtItem7}) {
        SCOPED_TRACE(static_cast<int>(helper));
        const OsCallsGuard guard;
        if (helper == Helper::NoneStarts)
            osCalls().threadAvailable = noThread;
        const std::thread::id caller = std::this_thread::get_id();
        std::atomic<int> prepared{0};
        std::atomic<bool> failed{false};
        std::vector<std::size_t> seen;
        {
            ReadAhead<Item> ahead(kItems, [&](std::size_t index, Item& item) {
                if (helper == Helper::FailsAtItem7 && index == 7 &&
                    std::this_thread::get_id() != caller && !failed.exchange(true))
                    throw std::runtime_error("no memory left on the reading side");
                item.index = index;
                item.text = textOf(index);
                item.preparedOn = std::this_thread::get_id();
                ++prepared;
            });
            for (std::size_t i = 0; i < kItems; ++i) {
                const Item& item = ahead.next();
                // Held a moment: the other slot may be filled meanwhile, never this one.
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                EXPECT_EQ(item.index, i);
                EXPECT_EQ(item.text, textOf(i));
                const bool onCaller = item.preparedOn == caller;
                switch (helper) {
                case Helper::Works:
                    EXPECT_FALSE(onCaller) << i;
                    break;
                case Helper::NoneStarts:
                    EXPECT_TRUE(onCaller) << i;
                    break;
                case Helper::FailsAtItem7:
                    EXPECT_EQ(onCaller, i >= 7) << i;
                    break;
                }
                seen.push_back(item.index);
            }
        }
        EXPECT_EQ(seen.size(), kItems);
        EXPECT_EQ(prepared.load(), static_cast<int>(kItems)); // each item once
    }
}

TEST(ReadAhead, LeavingEarlyEndsTheThreadWithoutPreparingTheRest) {
    std::atomic<int> prepared{0};
    {
        ReadAhead<Item> ahead(1000, [&](std::size_t index, Item& item) {
            item.index = index;
            ++prepared;
        });
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(ahead.next().index, i);
    } // a stop asked for: the walk was left
    EXPECT_GE(prepared.load(), 3);
    EXPECT_LE(prepared.load(), 5); // at most the two slots ahead of the last handed out
}

TEST(ReadAhead, OneItemIsPreparedOnTheCallingThread) {
    const std::thread::id caller = std::this_thread::get_id();
    ReadAhead<Item> ahead(1, [&](std::size_t index, Item& item) {
        item.index = index;
        item.preparedOn = std::this_thread::get_id();
    });
    EXPECT_EQ(ahead.next().preparedOn, caller);
}

} // namespace
} // namespace lexmora
