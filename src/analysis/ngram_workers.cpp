#include "analysis/ngram_workers.h"

#include "core/quiet_thread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

namespace lexmora {

// Each id goes in twice, at its place in the ring and eight places on, so that the last eight
// ids always lie in order in one run of the buffer: no shift per token.
void SequenceFeeder::count(const IdBatch& batch) {
    std::uint32_t* ring = m_window.data();
    std::size_t next = m_next;
    int filled = m_filled;
    for (const std::uint32_t id : batch.ids) {
        if (id == kSequenceBreak) {
            filled = 0;
            continue;
        }
        ring[next] = id;
        ring[next + kMaxSequenceSize] = id;
        next = (next + 1) % kMaxSequenceSize;
        if (filled < kMaxSequenceSize)
            ++filled;
        m_counter.addWindow(ring + next, filled, batch.file);
    }
    m_filled = filled;
    m_next = next;
}

std::vector<std::vector<int>> ShareSizes(int minSize, int maxSize, int parts) {
    parts = std::clamp(parts, 1, maxSize - minSize + 1);
    std::vector<std::vector<int>> shares(static_cast<std::size_t>(parts));
    std::vector<int> load(static_cast<std::size_t>(parts), 0);
    for (int n = maxSize; n >= minSize; --n) {
        const auto least =
            static_cast<std::size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        shares[least].push_back(n);
        load[least] += n;
    }
    for (std::vector<int>& sizes : shares)
        std::sort(sizes.begin(), sizes.end());
    return shares;
}

NgramWorkers::NgramWorkers(int minSize, int maxSize, std::size_t memoryBound,
                           const std::string& temporaryFolder, int workers) {
    const std::vector<std::vector<int>> shares = ShareSizes(minSize, maxSize, workers);
    const std::size_t share = memoryBound / shares.size();
    for (const std::vector<int>& sizes : shares)
        m_feeders.push_back(std::make_unique<SequenceFeeder>(sizes, share, temporaryFolder));
    m_counted.assign(m_feeders.size(), 0);
}

bool NgramWorkers::start() {
    try {
        for (std::size_t i = 0; i < m_feeders.size(); ++i)
            m_threads.push_back(StartQuietThread([this, i] { work(i); }));
        return true;
    } catch (const std::system_error&) {
        // the threads started wait for batches that will never come: they end, and the
        // calling thread counts
        stop();
        m_threads.clear();
        m_stop = false;
        return false;
    }
}

void NgramWorkers::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_toWorkers.notify_all();
    m_heldEnds.notify_all();
    for (std::thread& t : m_threads)
        if (t.joinable())
            t.join();
}

std::uint64_t NgramWorkers::leastCounted() const {
    return *std::min_element(m_counted.begin(), m_counted.end());
}

IdBatch* NgramWorkers::nextBatch() {
    IdBatch* batch = nullptr;
    if (!threaded()) {
        if (m_failed)
            return nullptr;
        batch = &m_slots[0];
    } else {
        std::unique_lock lock(m_mutex);
        m_toReader.wait(lock, [this] { return m_failed || m_published - leastCounted() < kSlots; });
        if (m_failed)
            return nullptr;
        batch = &m_slots[m_published % kSlots];
    }
    // no worker reads a slot between its last count and its next hand-over
    batch->ids.clear();
    batch->file = 0;
    return batch;
}

void NgramWorkers::handOver() {
    if (!threaded()) {
        for (std::size_t i = 0; i < m_feeders.size() && !m_failed; ++i)
            countWith(i, m_slots[0]);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        ++m_published;
    }
    m_toWorkers.notify_all();
}

bool NgramWorkers::finish() {
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_toWorkers.notify_all();
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
    return !m_failed;
}

bool NgramWorkers::countWith(std::size_t worker, const IdBatch& batch) {
    bool settled = false;
    CaughtFailure caught = RunCatching([&] {
        if (beforeCount)
            beforeCount();
        m_feeders[worker]->count(batch);
        settled = m_feeders[worker]->counter().settle();
    });
    if (settled)
        return true;
    const std::lock_guard lock(m_mutex);
    failWith(worker, caught.thrown, caught.outOfMemory, std::move(caught.why));
    return false;
}

void NgramWorkers::work(std::size_t worker) {
    for (;;) {
        const IdBatch* batch = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_toWorkers.wait(lock, [&] {
                return m_stop || m_failed || m_closed || m_counted[worker] < m_published;
            });
            if (m_stop || m_failed || m_counted[worker] == m_published)
                return;
            batch = &m_slots[m_counted[worker] % kSlots];
        }
        const bool counted = countWith(worker, *batch);
        {
            const std::lock_guard lock(m_mutex);
            ++m_counted[worker];
        }
        m_toReader.notify_one();
        if (!counted)
            return;
    }
}

const NgramCounter* NgramWorkers::failedCounter() const {
    if (m_failedFeeder)
        return &m_feeders[*m_failedFeeder]->counter();
    for (const auto& f : m_feeders)
        if (f->counter().error() != 0)
            return &f->counter();
    return nullptr;
}

bool NgramWorkers::spilled() const {
    return std::any_of(m_feeders.begin(), m_feeders.end(),
                       [](const auto& f) { return f->counter().spilled(); });
}

void NgramWorkers::failWith(std::size_t worker, bool thrown, bool outOfMemory, std::string why) {
    if (m_failed)
        return;
    m_failed = true;
    if (!thrown)
        m_failedFeeder = worker; // its temporary files
    m_outOfMemory = outOfMemory;
    m_why = outOfMemory ? "not enough memory" : why.empty() ? "an unknown error" : std::move(why);
}

double NgramWorkers::drainedShare() const {
    double done = 0;
    for (const double d : m_drainDone)
        done += d;
    return done / static_cast<double>(m_drainDone.size());
}

void NgramWorkers::holdDrain() {
    const std::lock_guard lock(m_mutex);
    m_held = true;
}

bool NgramWorkers::shareGoesOn(std::size_t share, double done,
                               const NgramCounter::Between* between) {
    std::unique_lock lock(m_mutex);
    m_drainDone[share] = done;
    if (between == nullptr) {
        m_heldEnds.wait(lock, [this] { return !m_held || m_stop; });
        return !m_stop;
    }
    // on the calling thread, which has no thread of its own to ask: a pause holds it in there
    const double whole = drainedShare();
    lock.unlock();
    const bool going = (*between)(whole);
    lock.lock();
    m_held = false;
    m_stop = m_stop || !going;
    return !m_stop;
}

bool NgramWorkers::drainShare(std::size_t share, std::size_t shares, std::uint32_t minFreq,
                              std::uint32_t minRange, const DrainShare& taker,
                              const NgramCounter::Between* between) {
    const double counters = static_cast<double>(m_feeders.size());
    for (std::size_t i = 0; i < m_feeders.size(); ++i) {
        NgramCounter& counter = m_feeders[i]->counter();
        const double before = static_cast<double>(i);
        bool drained = false;
        CaughtFailure caught = RunCatching([&] {
            drained = counter.drainShare(
                minFreq, minRange, taker.take,
                [&](double done) {
                    return shareGoesOn(share, (before + done) / counters, between);
                },
                share, shares);
        });
        if (drained)
            continue;
        const std::lock_guard lock(m_mutex);
        if (caught.thrown || counter.error() != 0)
            failWith(i, caught.thrown, caught.outOfMemory, std::move(caught.why));
        m_stop = true; // failed, stopped, or its taker can take no more: the others stop too
        m_heldEnds.notify_all();
        return false;
    }
    bool finished = false;
    CaughtFailure caught = RunCatching([&] { finished = !taker.finish || taker.finish(); });
    const std::lock_guard lock(m_mutex);
    if (caught.thrown)
        failWith(0, true, caught.outOfMemory, std::move(caught.why));
    m_drainDone[share] = 1.0;
    return finished;
}

bool NgramWorkers::drain(std::uint32_t minFreq, std::uint32_t minRange,
                         std::span<const DrainShare> shares, const NgramCounter::Between& between) {
    m_stop = false;
    m_drainDone.assign(shares.size(), 0.0);
    std::vector<char> sharesDrained(shares.size(), 0);
    std::size_t started = 0;
    m_draining = shares.size(); // no thread runs yet
    for (; started < shares.size(); ++started) {
        try {
            m_threads.push_back(StartQuietThread([this, started, minFreq, minRange, shares,
                                                  drained = &sharesDrained[started]] {
                *drained = drainShare(started, shares.size(), minFreq, minRange, shares[started]);
                {
                    const std::lock_guard lock(m_mutex);
                    --m_draining;
                }
                m_toReader.notify_one();
            }));
        } catch (const std::system_error&) {
            break; // the shares left are drained here once the others are
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_draining -= shares.size() - started;
    }
    // asked now and then while the shares drain, so that pause and exit stay at hand
    bool going = between(0);
    for (;;) {
        double done = 0;
        {
            std::unique_lock lock(m_mutex);
            m_held = false;
            if (!going)
                m_stop = true;
            m_heldEnds.notify_all();
            if (m_toReader.wait_for(lock, std::chrono::milliseconds(50),
                                    [this] { return m_draining == 0; }))
                break;
            done = drainedShare();
        }
        if (going)
            going = between(done);
    }
    for (std::thread& t : m_threads)
        t.join();
    m_threads.clear();
    bool whole = going && !m_failed;
    for (std::size_t i = 0; i < started; ++i)
        whole = whole && sharesDrained[i] != 0;
    // shares without a thread: here, one after another, `between` asked between partitions
    for (std::size_t i = started; i < shares.size() && whole; ++i)
        whole = drainShare(i, shares.size(), minFreq, minRange, shares[i], &between) && !m_failed;
    if (whole)
        for (const auto& f : m_feeders)
            f->counter().dropSpills();
    return whole;
}

} // namespace lexmora
