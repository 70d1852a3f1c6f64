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

std::vector<std::pair<int, int>> SplitSizes(int minSize, int maxSize, int parts) {
    const int sizes = maxSize - minSize + 1;
    parts = std::clamp(parts, 1, sizes);
    std::vector<std::pair<int, int>> ranges;
    for (int k = 0; k < parts; ++k)
        ranges.emplace_back(minSize + k * sizes / parts, minSize + (k + 1) * sizes / parts - 1);
    return ranges;
}

NgramWorkers::NgramWorkers(int minSize, int maxSize, std::size_t memoryBound,
                           const std::string& temporaryFolder, int workers) {
    const std::vector<std::pair<int, int>> ranges = SplitSizes(minSize, maxSize, workers);
    const std::size_t share = memoryBound / ranges.size();
    for (const auto& [low, high] : ranges)
        m_feeders.push_back(std::make_unique<SequenceFeeder>(low, high, share, temporaryFolder));
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
    m_drainedTaken.notify_all();
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

// Waits for room (at most two buffers per worker wait); false once the drain is stopped.
bool NgramWorkers::handDrained(std::vector<std::uint32_t>& buffer) {
    {
        std::unique_lock lock(m_mutex);
        m_drainedTaken.wait(lock,
                            [&] { return m_stop || m_drained.size() < 2 * m_feeders.size(); });
        if (m_stop)
            return false;
        m_drained.push_back(std::move(buffer));
    }
    m_toReader.notify_one();
    buffer = {};
    return true;
}

void NgramWorkers::drainOn(std::size_t worker, std::uint32_t minFreq, std::uint32_t minRange) {
    constexpr std::size_t kBufferWords = std::size_t{1} << 18;
    bool handed = true, drained = false;
    CaughtFailure caught = RunCatching([&] {
        std::vector<std::uint32_t> buffer;
        buffer.reserve(kBufferWords + 3 + kMaxSequenceSize);
        drained = m_feeders[worker]->counter().drain(
            minFreq, minRange,
            [&](int size, const std::uint32_t* ids, const SequenceTally& t) {
                buffer.insert(buffer.end(), {static_cast<std::uint32_t>(size), t.freq, t.range});
                buffer.insert(buffer.end(), ids, ids + size);
                if (buffer.size() >= kBufferWords && handed) {
                    handed = handDrained(buffer);
                    buffer.reserve(kBufferWords + 3 + kMaxSequenceSize);
                }
            },
            [&](double done) {
                const std::lock_guard lock(m_mutex);
                m_drainDone[worker] = done;
                return handed && !m_stop;
            });
        if (drained && handed && !buffer.empty())
            handed = handDrained(buffer);
    });
    {
        const std::lock_guard lock(m_mutex);
        --m_draining;
        if (caught.thrown || (!drained && m_feeders[worker]->counter().error() != 0))
            failWith(worker, caught.thrown, caught.outOfMemory, std::move(caught.why));
    }
    m_toReader.notify_one();
}

bool NgramWorkers::drain(std::uint32_t minFreq, std::uint32_t minRange,
                         const NgramCounter::Emit& emit, const NgramCounter::Between& between) {
    m_stop = false;
    m_drainDone.assign(m_feeders.size(), 0.0);
    std::size_t started = 0;
    m_draining = m_feeders.size(); // no thread runs yet
    for (; started < m_feeders.size(); ++started) {
        try {
            m_threads.push_back(StartQuietThread(
                [this, started, minFreq, minRange] { drainOn(started, minFreq, minRange); }));
        } catch (const std::system_error&) {
            break; // the counters left are drained here once the others are
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_draining -= m_feeders.size() - started;
    }
    bool going = between(0);
    while (going) {
        std::vector<std::uint32_t> buffer;
        double done = 0;
        {
            std::unique_lock lock(m_mutex);
            // asked now and then while nothing passes, so that pause and exit stay at hand
            const bool ready = m_toReader.wait_for(lock, std::chrono::milliseconds(50), [this] {
                return !m_drained.empty() || m_draining == 0 || m_failed;
            });
            done = drainedShare();
            if (!ready) {
                lock.unlock();
                going = between(done);
                continue;
            }
            if (m_drained.empty() || m_failed)
                break;
            buffer = std::move(m_drained.front());
            m_drained.pop_front();
        }
        m_drainedTaken.notify_all();
        SequenceTally tally;
        for (std::size_t i = 0; i < buffer.size();) {
            const auto size = static_cast<int>(buffer[i]);
            tally.freq = buffer[i + 1];
            tally.range = buffer[i + 2];
            emit(size, buffer.data() + i + 3, tally);
            i += 3 + static_cast<std::size_t>(size);
        }
        going = between(done);
    }
    stop();
    m_threads.clear();
    const double parts = static_cast<double>(m_feeders.size());
    for (std::size_t i = started; i < m_feeders.size() && going && !m_failed; ++i) {
        const double before = static_cast<double>(i);
        going = m_feeders[i]->counter().drain(
            minFreq, minRange, emit, [&](double done) { return between((before + done) / parts); });
        m_failed = !going && m_feeders[i]->counter().error() != 0;
    }
    return going && !m_failed;
}

} // namespace lexmora
