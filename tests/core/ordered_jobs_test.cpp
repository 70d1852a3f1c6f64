// Jobs done on workers and finished in order: the order, the fallback to the calling thread, a
// job that throws and a run stopped midway.
#include "core/ordered_jobs.h"

#include "core/os_calls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace lexmora {
namespace {

struct ThreadsGiven {
    explicit ThreadsGiven(int count) {
        left = count;
        osCalls().threadAvailable = [] { return left-- > 0; };
    }
    ~ThreadsGiven() { resetOsCalls(); }
    static inline std::atomic<int> left{0};
};

struct Job {
    std::size_t index = 0;
    std::uint64_t result = 0;
    int done = 0; // jobs this slot has held
};

// Work of uneven length, so that later jobs often come back before earlier ones.
std::uint64_t unevenWork(std::size_t index) {
    std::uint64_t x = index + 1;
    const std::size_t rounds = (index * 7919) % 5000;
    for (std::size_t k = 0; k < rounds; ++k)
        x = x * 6364136223846793005ull + 1442695040888963407ull;
    return x;
}

TEST(OrderedJobs, JobsAreFinishedInOrderWhateverTheThreads) {
    const std::vector<std::uint64_t> expected = [] {
        std::vector<std::uint64_t> out;
        for (std::size_t i = 0; i < 300; ++i)
            out.push_back(unevenWork(i));
        return out;
    }();
    struct Case {
        int threadsGiven;
        std::size_t workers, slots, started;
    };
    for (const Case c : {Case{0, 2, 3, 0}, Case{1, 2, 3, 1}, Case{8, 2, 3, 2}, Case{8, 4, 2, 4},
                         Case{8, 1, 1, 1}}) {
        SCOPED_TRACE(c.threadsGiven * 100 + c.workers * 10 + c.slots);
        const ThreadsGiven given(c.threadsGiven);
        OrderedJobs<Job> jobs(c.workers, c.slots);
        for (const std::size_t count : {std::size_t{300}, std::size_t{0}, std::size_t{1}}) {
            std::vector<std::uint64_t> finished;
            const auto failed = jobs.run(
                count, [](std::size_t i, Job& job) { job.index = i; },
                [](Job& job, std::size_t) {
                    job.result = unevenWork(job.index);
                    ++job.done;
                },
                [&](std::size_t i, Job& job) {
                    EXPECT_EQ(job.index, i);
                    finished.push_back(job.result);
                    return true;
                });
            EXPECT_FALSE(failed);
            EXPECT_EQ(finished,
                      std::vector<std::uint64_t>(expected.begin(), expected.begin() + count));
            if (count > 1) {
                EXPECT_EQ(jobs.workersStarted(), c.started);
            }
        }
    }
}

TEST(OrderedJobs, AJobThatThrowsEndsTheRunWithItsReason) {
    struct Case {
        int threadsGiven;
        bool outOfMemory;
    };
    for (const Case c : {Case{0, false}, Case{8, false}, Case{0, true}, Case{8, true}}) {
        SCOPED_TRACE(c.threadsGiven * 10 + c.outOfMemory);
        const ThreadsGiven given(c.threadsGiven);
        OrderedJobs<Job> jobs(2, 3);
        std::vector<std::size_t> finished;
        const auto failed = jobs.run(
            100, [](std::size_t i, Job& job) { job.index = i; },
            [&](Job& job, std::size_t) {
                if (job.index != 37)
                    return;
                if (c.outOfMemory)
                    throw std::bad_alloc();
                throw std::runtime_error("disk on fire");
            },
            [&](std::size_t i, Job&) {
                finished.push_back(i);
                return true;
            });
        ASSERT_TRUE(failed);
        EXPECT_TRUE(failed->thrown);
        EXPECT_EQ(failed->outOfMemory, c.outOfMemory);
        EXPECT_EQ(failed->why, c.outOfMemory ? "not enough memory" : "disk on fire");
        ASSERT_LE(finished.size(), 37u); // nothing from the failed job on is finished
        for (std::size_t i = 0; i < finished.size(); ++i)
            EXPECT_EQ(finished[i], i);
        // The same object runs again, whole, once the fault is gone.
        std::size_t again = 0;
        EXPECT_FALSE(jobs.run(
            50, [](std::size_t, Job&) {}, [](Job&, std::size_t) {},
            [&](std::size_t, Job&) { return ++again > 0; }));
        EXPECT_EQ(again, 50u);
    }
}

TEST(OrderedJobs, AFinishThatSaysStopEndsTheRunThere) {
    for (const int threads : {0, 8}) {
        SCOPED_TRACE(threads);
        const ThreadsGiven given(threads);
        OrderedJobs<Job> jobs(2, 3);
        std::atomic<int> worked{0};
        std::vector<std::size_t> finished;
        const auto failed = jobs.run(
            1000, [](std::size_t i, Job& job) { job.index = i; },
            [&](Job&, std::size_t) { ++worked; },
            [&](std::size_t i, Job&) {
                finished.push_back(i);
                return i < 9;
            });
        EXPECT_FALSE(failed);
        EXPECT_EQ(finished.size(), 10u);
        EXPECT_LE(worked.load(), 10 + 3); // no more than the slots held when it stopped
    }
}

TEST(OrderedJobs, AFinishThatThrowsLeavesNoWorkerRunning) {
    const ThreadsGiven given(8);
    std::atomic<int> worked{0};
    {
        OrderedJobs<Job> jobs(2, 3);
        EXPECT_THROW(jobs.run(
                         100, [](std::size_t, Job&) {}, [&](Job&, std::size_t) { ++worked; },
                         [](std::size_t i, Job&) -> bool {
                             if (i == 5)
                                 throw std::runtime_error("visitor failed");
                             return true;
                         }),
                     std::runtime_error);
        const int atThrow = worked.load();
        EXPECT_LE(atThrow, 5 + 1 + 3);
    }
    EXPECT_LE(worked.load(), 5 + 1 + 3); // nothing worked on after the run ended
}

TEST(OrderedJobs, EachWorkerIsToldApartForRoomOfItsOwn) {
    const ThreadsGiven given(8);
    OrderedJobs<Job> jobs(3, 4);
    std::vector<std::atomic<int>> inUse(3);
    std::atomic<bool> shared{false};
    const auto failed = jobs.run(
        200, [](std::size_t, Job&) {},
        [&](Job& job, std::size_t worker) {
            ASSERT_LT(worker, 3u);
            if (inUse[worker]++ != 0)
                shared = true;
            job.result = unevenWork(job.index);
            --inUse[worker];
        },
        [](std::size_t, Job&) { return true; });
    EXPECT_FALSE(failed);
    EXPECT_FALSE(shared) << "two jobs held one worker's room at once";
}

} // namespace
} // namespace lexmora
