// A run of jobs done on worker threads and taken back in order: the calling thread prepares each
// job and finishes it, in turn; the workers do what lies between, several jobs at once. When no
// thread can be started, the calling thread does every part itself, in the same order.
#pragma once

#include "core/quiet_thread.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lexmora {

template <typename Job> class OrderedJobs {
public:
    // `workers` threads at most; `slots` jobs in hand at once (at least one more than workers,
    // so that a worker has a job while the caller finishes another).
    OrderedJobs(std::size_t workers, std::size_t slots)
        : m_wanted(workers), m_slots(std::max(slots, workers + 1)), m_state(m_slots.size()),
          m_index(m_slots.size()) {}
    OrderedJobs(const OrderedJobs&) = delete;
    OrderedJobs& operator=(const OrderedJobs&) = delete;
    ~OrderedJobs() { stopWorkers(); }

    // What the caller does before a job is handed on, and after it comes back; `finish`
    // returns false to stop the run there.
    using Prepare = std::function<void(std::size_t index, Job& job)>;
    // `worker` tells the workers apart (0 to workers - 1), for room of their own.
    using Work = std::function<void(Job& job, std::size_t worker)>;
    using Finish = std::function<bool(std::size_t index, Job& job)>;

    // Runs jobs 0 to count - 1. Returns what a job's work threw, if one did: the jobs after it
    // are not finished. `work` runs on the workers, and must not touch what `prepare` and
    // `finish` share without its own lock.
    std::optional<CaughtFailure> run(std::size_t count, const Prepare& prepare, const Work& work,
                                     const Finish& finish) {
        m_work = &work;
        // The workers are stopped on every way out, a `finish` that throws too, before `work`
        // is gone.
        struct StopOnExit {
            OrderedJobs& jobs;
            ~StopOnExit() { jobs.stopWorkers(); }
        } const stopOnExit{*this};
        if (count > 1)
            startWorkers();
        return m_threads.empty() ? runInline(count, prepare, work, finish)
                                 : runOnWorkers(count, prepare, finish);
    }

    // The workers the last run had (0: it ran on the calling thread alone).
    std::size_t workersStarted() const { return m_started; }

private:
    enum class SlotState { Free, Ready, Busy, Done };

    void startWorkers() {
        m_stop = false;
        for (std::size_t k = 0; k < m_wanted; ++k) {
            try {
                m_threads.push_back(StartQuietThread([this, k] { serve(k); }));
            } catch (...) {
                break; // fewer workers, or none: the caller does the work
            }
        }
        m_started = m_threads.size();
    }

    void stopWorkers() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_toWorkers.notify_all();
        for (std::thread& t : m_threads)
            t.join();
        m_threads.clear();
    }

    std::optional<CaughtFailure> runInline(std::size_t count, const Prepare& prepare,
                                           const Work& work, const Finish& finish) {
        Job& job = m_slots.front();
        for (std::size_t i = 0; i < count; ++i) {
            prepare(i, job);
            CaughtFailure caught = RunCatching([&] { work(job, 0); });
            if (caught.thrown)
                return caught;
            if (!finish(i, job))
                break;
        }
        return std::nullopt;
    }

    std::optional<CaughtFailure> runOnWorkers(std::size_t count, const Prepare& prepare,
                                              const Finish& finish) {
        const std::size_t slots = m_slots.size();
        for (SlotState& s : m_state)
            s = SlotState::Free;
        m_failure.reset();
        std::size_t prepared = 0;
        for (std::size_t finished = 0; finished < count; ++finished) {
            for (; prepared < count && prepared < finished + slots; ++prepared)
                hand(prepared, prepare);
            const std::size_t slot = finished % slots;
            {
                std::unique_lock lock(m_mutex);
                m_toCaller.wait(lock,
                                [&] { return m_state[slot] == SlotState::Done || m_failure; });
                if (m_failure)
                    return std::move(m_failure);
            }
            const bool goOn = finish(finished, m_slots[slot]);
            {
                const std::lock_guard lock(m_mutex);
                m_state[slot] = SlotState::Free;
            }
            if (!goOn)
                break;
        }
        return std::nullopt;
    }

    // Prepares job `index` in its free slot and hands it to the workers.
    void hand(std::size_t index, const Prepare& prepare) {
        const std::size_t slot = index % m_slots.size();
        prepare(index, m_slots[slot]);
        {
            const std::lock_guard lock(m_mutex);
            m_index[slot] = index;
            m_state[slot] = SlotState::Ready;
        }
        m_toWorkers.notify_one();
    }

    // A worker: takes the earliest job ready, does it, and gives it back.
    void serve(std::size_t worker) {
        for (;;) {
            std::size_t slot = 0;
            {
                std::unique_lock lock(m_mutex);
                m_toWorkers.wait(lock, [&] { return m_stop || earliestReady(slot); });
                if (m_stop)
                    return;
                m_state[slot] = SlotState::Busy;
            }
            CaughtFailure caught = RunCatching([&] { (*m_work)(m_slots[slot], worker); });
            {
                const std::lock_guard lock(m_mutex);
                m_state[slot] = SlotState::Done;
                if (caught.thrown && !m_failure)
                    m_failure = std::move(caught);
            }
            m_toCaller.notify_one();
        }
    }

    // The slot of the ready job with the lowest index (under the lock).
    bool earliestReady(std::size_t& slot) const {
        bool found = false;
        for (std::size_t s = 0; s < m_state.size(); ++s)
            if (m_state[s] == SlotState::Ready && (!found || m_index[s] < m_index[slot])) {
                slot = s;
                found = true;
            }
        return found;
    }

    std::size_t m_wanted;
    std::size_t m_started = 0;
    std::vector<Job> m_slots;
    std::vector<SlotState> m_state;
    std::vector<std::size_t> m_index;
    const Work* m_work = nullptr;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_toWorkers;
    std::condition_variable m_toCaller;
    std::optional<CaughtFailure> m_failure;
    bool m_stop = false;
};

} // namespace lexmora
