// Blocks of words handed from the thread that fills them to the thread that empties them, a few
// blocks going round: the filler waits while all are full, the taker while all are empty, and
// either can end it (the filler when it has no more, the taker when it wants no more).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace lexmora {

class BlockHandoff {
public:
    using Block = std::vector<std::uint32_t>;

    explicit BlockHandoff(std::size_t blocks) : m_blocks(blocks) {}

    // The filler's side: the next block to fill, once one is free (nullptr when the taker has
    // stopped), then `filled` to hand it on; `finish` when no more come, `error` 0 or an errno.
    Block* blockToFill() {
        std::unique_lock lock(m_mutex);
        m_toFiller.wait(lock,
                        [this] { return m_stopped || m_filled - m_emptied < m_blocks.size(); });
        return m_stopped ? nullptr : &m_blocks[m_filled % m_blocks.size()];
    }
    void filled() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_filled;
        }
        m_toTaker.notify_one();
    }
    void finish(int error) {
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
            m_error = error;
        }
        m_toTaker.notify_one();
    }

    // The taker's side: the next full block (nullptr once the filler has finished and all are
    // taken), then `emptied` to give it back; `stop` when no more are wanted.
    const Block* blockToEmpty() {
        std::unique_lock lock(m_mutex);
        m_toTaker.wait(lock, [this] { return m_finished || m_filled > m_emptied; });
        return m_filled > m_emptied ? &m_blocks[m_emptied % m_blocks.size()] : nullptr;
    }
    void emptied() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_emptied;
        }
        m_toFiller.notify_one();
    }
    void stop() {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_toFiller.notify_one();
    }
    // Why the filler finished early: 0 when it ran out of blocks to fill.
    int error() {
        const std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_toFiller, m_toTaker;
    std::vector<Block> m_blocks;
    std::size_t m_filled = 0, m_emptied = 0;
    bool m_finished = false, m_stopped = false;
    int m_error = 0;
};

} // namespace lexmora
