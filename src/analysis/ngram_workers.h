// The n-gram count on more than one thread: the calling thread reads, cuts and numbers the
// words and hands their ids over a block at a time; each worker counts the sequences of some
// of the sizes asked for, in a counter of its own (sequences of different sizes never meet, so
// no table is shared). Once all is read each worker drains its counter while the calling thread
// takes what passes, a buffer at a time. When no thread can be started the calling thread counts
// each block as it hands it over, and drains the counters one after another.
#pragma once

#include "analysis/ngram_counter.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
    SequenceFeeder(int minSize, int maxSize, std::size_t memoryBound, std::string temporaryFolder)
        : m_counter(minSize, maxSize, memoryBound, std::move(temporaryFolder)) {}

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

// The sizes minSize..maxSize cut into at most `parts` ranges of consecutive sizes, as even as
// they come, the smaller sizes first.
std::vector<std::pair<int, int>> SplitSizes(int minSize, int maxSize, int parts);

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
    // Every counter drained (see NgramCounter::drain), each on a thread of its own where one
    // can be had: `emit` is called on the calling thread only, `between` there too, now and
    // then, with the share of the whole drain done (false stops). False when stopped or when
    // the drain failed (failed()).
    bool drain(std::uint32_t minFreq, std::uint32_t minRange, const NgramCounter::Emit& emit,
               const NgramCounter::Between& between);
    bool failed() const { return m_failed; }

    // Tests: a fault thrown by a worker before it counts a batch.
    std::function<void()> beforeCount;

private:
    static constexpr std::uint64_t kSlots = 4;

    void work(std::size_t worker);
    // A worker's drain: what passes goes to m_drained a buffer at a time.
    void drainOn(std::size_t worker, std::uint32_t minFreq, std::uint32_t minRange);
    bool handDrained(std::vector<std::uint32_t>& buffer);
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
    std::condition_variable m_toReader;   // a batch counted, a failure
    std::uint64_t m_published = 0;        // batches handed over since the start
    std::vector<std::uint64_t> m_counted; // per worker
    bool m_closed = false;                // no more batches
    bool m_stop = false;
    bool m_failed = false;
    std::optional<std::size_t> m_failedFeeder; // whose temporary files failed
    std::string m_why;                         // why a worker failed otherwise
    bool m_outOfMemory = false;
    // the drain: buffers of (size, freq, range, ids) entries waiting for the calling thread
    std::deque<std::vector<std::uint32_t>> m_drained;
    std::condition_variable m_drainedTaken; // room for another buffer, stop
    std::size_t m_draining = 0;             // workers still draining
    std::vector<double> m_drainDone;        // per worker, the share of its counter drained
    std::vector<std::thread> m_threads;     // last: started once everything else is there
};

} // namespace lexmora
