// Items prepared one ahead of their use on a thread of their own: while the calling thread works
// on one source file, the next is read, converted and its hits found. Items are prepared in
// order into two slots that take turns, so the calling thread sees exactly what it would see
// preparing them itself; when no thread can be started, or the thread's preparing fails, the
// calling thread prepares the rest itself, as a walk with no second thread does.
#pragma once

#include "core/quiet_thread.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

namespace lexmora {

template <typename Slot> class ReadAhead {
public:
    // `prepare(index, slot)` prepares item `index` (0 .. count-1) into `slot`.
    ReadAhead(std::size_t count, std::function<void(std::size_t, Slot&)> prepare)
        : m_count(count), m_prepare(std::move(prepare)) {
        if (count < 2)
            return; // nothing to overlap
        try {
            m_thread = StartQuietThread([this] { prepareAll(); });
        } catch (const std::system_error&) {
            // no second thread: next() prepares each item itself
        }
    }
    ~ReadAhead() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next item, in order (at most `count` calls); the slot handed out before is given back.
    // Valid until the next call.
    Slot& next() {
        const std::size_t index = m_taken++;
        Slot& slot = m_slots[index % 2];
        if (!m_thread.joinable()) {
            m_prepare(index, slot);
            return slot;
        }
        std::unique_lock lock(m_mutex);
        if (index > 0)
            m_ready[(index - 1) % 2] = false;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_ready[index % 2] || index >= m_preparedUpTo; });
        if (m_ready[index % 2])
            return slot;
        // The thread failed before this item: it prepares no more, and this thread goes on.
        lock.unlock();
        m_thread.join();
        m_prepare(index, slot);
        return slot;
    }

private:
    // On the thread: each item in turn, into its slot once the calling thread has given the
    // slot back. Stops at the first item it fails to prepare.
    void prepareAll() {
        for (std::size_t index = 0; index < m_count; ++index) {
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_stop || !m_ready[index % 2]; });
                if (m_stop)
                    break;
            }
            const CaughtFailure failed = RunCatching([&] { m_prepare(index, m_slots[index % 2]); });
            const std::lock_guard lock(m_mutex);
            if (failed.thrown) {
                m_preparedUpTo = index;
                break;
            }
            m_ready[index % 2] = true;
            m_changed.notify_all();
        }
        m_changed.notify_all();
    }

    const std::size_t m_count;
    const std::function<void(std::size_t, Slot&)> m_prepare;
    std::array<Slot, 2> m_slots;
    std::size_t m_taken = 0; // items handed out (the calling thread's own)
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::array<bool, 2> m_ready{};
    std::size_t m_preparedUpTo = static_cast<std::size_t>(-1); // the item the thread failed at
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace lexmora
