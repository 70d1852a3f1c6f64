// The n-gram count on more than one thread: the calling thread reads, cuts and numbers the
// words and hands their ids over a block at a time; each worker counts the sequences of some
// of the sizes asked for, in a counter of its own (sequences of different sizes never meet, so
// no table is shared). Once all is read the counters are drained in shares, each on a thread of
// its own: a share takes every counter's partitions of one residue, and hands what passes to a
// taker of its own (partitions never meet, so neither do shares). When no thread can be started
// the calling thread counts each block as it hands it over, and drains the shares one after
// another.
#pragma once

#include "analysis/ngram_counter.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace lexmora {

// Where no sequence may cross: a sentence's end, a file's end. No word id is this high.
inline constexpr std::uint32_t kSequenceBreak = 0xFFFFFFFFu;

// A block's word ids in reading order, with kSequenceBreak between runs of words; all of the
// file numbered `file` (files numbered from 1 in reading order).
struct IdBatch {
    std::vector<std::uint32_t> ids;
    std::uint32_t file = 0;
};

// The sequences of a range of sizes, counted from the batches in order: the words since the
// last break go on from one batch to the next.
class SequenceFeeder {
public:
    SequenceFeeder(std::vector<int> sizes, std::size_t memoryBound, std::string temporaryFolder)
        : m_counter(std::move(sizes), memoryBound, std::move(temporaryFolder)) {}

    void count(const IdBatch& batch);
    NgramCounter& counter() { return m_counter; }
    const NgramCounter& counter() const { return m_counter; }

private:
    NgramCounter m_counter;
    // the words since the last break: the last kMaxSequenceSize lie oldest first from
    // m_next on
    std::array<std::uint32_t, 2 * kMaxSequenceSize> m_window{};
    std::size_t m_next = 0;
    int m_filled = 0;
};

// The sizes minSize..maxSize shared among at most `parts` workers (none left without one), so
// that each has about as much to count: a sequence costs about as much as its ids, so the
// largest sizes go first, each to the part that has least so far.
std::vector<std::vector<int>> ShareSizes(int minSize, int maxSize, int parts);

class NgramWorkers {
public:
    // `workers` counters (at most one per size), each with its share of the memory bound.
    NgramWorkers(int minSize, int maxSize, std::size_t memoryBound,
                 const std::string& temporaryFolder, int workers);
    ~NgramWorkers() { stop(); }
    NgramWorkers(const NgramWorkers&) = delete;
    NgramWorkers& operator=(const NgramWorkers&) = delete;

    // The worker threads take no signal. False when one could not be started: none runs then,
    // and the calling thread counts each batch as it is handed over.
    bool start();
    bool threaded() const { return !m_threads.empty(); }

    // An empty batch to fill, waited for while every slot is being counted; null once the
    // counting has failed.
    IdBatch* nextBatch();
    // The batch from nextBatch() goes to be counted.
    void handOver();
    // Waits until every batch handed over is counted (and spilled where the bound asks) and
    // the threads have ended; false when the counting failed.
    bool finish();

    // Once the counting failed: the counter whose temporary files failed, or none when a worker
    // failed otherwise (out of memory): why() then tells why.
    const NgramCounter* failedCounter() const;
    const std::string& why() const { return m_why; }
    bool outOfMemory() const { return m_outOfMemory; }

    bool spilled() const;

    // One share of the drain: what it hands on goes to `take` (false: it can take no more, and
    // the share stops), then `finish` is called once all is taken (false: it failed). Both are
    // called on the share's own thread only.
    struct DrainShare {
        std::function<bool(int size, const std::uint32_t* ids, const SequenceTally&)> take;
        std::function<bool()> finish;
    };
    // Every counter drained (see NgramCounter::drainShare) in shares.size() shares, each on a
    // thread of its own where one can be had. `between` is called on the calling thread only, now
    // and then, with the share of the whole drain done (false stops). False when stopped, when a
    // share's taker failed, or when the drain failed (failed()).
    bool drain(std::uint32_t minFreq, std::uint32_t minRange, std::span<const DrainShare> shares,
               const NgramCounter::Between& between);
    // The shares rest at their next partition until `between` is next called (a pause).
    void holdDrain();
    bool failed() const { return m_failed; }

    // Tests: a fault thrown by a worker before it counts a batch.
    std::function<void()> beforeCount;

private:
    static constexpr std::uint64_t kSlots = 4;

    void work(std::size_t worker);
    // A share of every counter, on whichever thread calls it; false when it stopped or failed.
    // `between`: given on the calling thread only, asked between partitions.
    bool drainShare(std::size_t share, std::size_t shares, std::uint32_t minFreq,
                    std::uint32_t minRange, const DrainShare& taker,
                    const NgramCounter::Between* between = nullptr);
    // Between two of a share's partitions: waits while held; false once the drain is stopped.
    bool shareGoesOn(std::size_t share, double done, const NgramCounter::Between* between);
    // The first failure, under the lock: a worker's own (thrown), or its counter's files.
    void failWith(std::size_t worker, bool thrown, bool outOfMemory, std::string why);
    double drainedShare() const;
    // Counts a batch with one feeder and settles its counter; false, with the failure noted,
    // when that failed.
    bool countWith(std::size_t worker, const IdBatch& batch);
    std::uint64_t leastCounted() const;
    void stop();

    std::vector<std::unique_ptr<SequenceFeeder>> m_feeders;
    std::array<IdBatch, kSlots> m_slots;

    std::mutex m_mutex;
    std::condition_variable m_toWorkers;  // a batch handed over, the end of the input, stop
    std::condition_variable m_toReader;   // a batch counted, a failure, a share drained
    std::uint64_t m_published = 0;        // batches handed over since the start
    std::vector<std::uint64_t> m_counted; // per worker
    bool m_closed = false;                // no more batches
    bool m_stop = false;
    bool m_failed = false;
    std::optional<std::size_t> m_failedFeeder; // whose temporary files failed
    std::string m_why;                         // why a worker failed otherwise
    bool m_outOfMemory = false;
    // the drain
    std::size_t m_draining = 0;      // shares still draining on threads
    std::vector<double> m_drainDone; // per share, the share of it drained
    bool m_held = false;             // the shares rest (a pause)
    std::condition_variable m_heldEnds;
    std::vector<std::thread> m_threads; // last: started once everything else is there
};

} // namespace lexmora
