// Writes blocks to a file on a thread of its own, in the order they are handed over, so that
// the caller builds the next block while the kernel copies the last one. A few blocks wait at
// most: the caller waits (it does not spin) when they are all taken. After a failed write the
// later blocks are dropped, so the file never holds a block that follows a missing one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lexmora {

class BackgroundWriter {
public:
    // Writes to `fd`, which stays the caller's: finish() before closing it. Nothing when no
    // thread can be started; the caller then writes the blocks itself.
    static std::unique_ptr<BackgroundWriter> start(int fd);

    explicit BackgroundWriter(int fd) : m_fd(fd) {}
    ~BackgroundWriter(); // writes what was handed over, then ends the thread
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Hands over the first `size` bytes of `block` and puts in its place a buffer to fill next
    // (a written block's, of the size it had). False once a write has failed.
    bool hand(std::string& block, std::size_t size);
    // The same through `writer`, started for `fd` at the first block; the block is written here
    // when no thread can be started.
    static bool handOrWrite(std::unique_ptr<BackgroundWriter>& writer, int fd, std::string& block,
                            std::size_t size);
    // Waits until every block handed over is written; false when a write failed.
    bool finish();
    // The system's error number of the write that failed (0 while none has).
    int error();

private:
    void run();

    struct Job {
        std::string data;
        std::size_t size = 0;
    };
    static constexpr std::size_t kBuffers = 3; // the caller's, one being written, one waiting

    const int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_work, m_done;
    std::deque<Job> m_queue;          // handed over, not yet written
    std::vector<std::string> m_spare; // written, to be filled again
    std::size_t m_buffers = 1;        // the caller's counts
    bool m_writing = false;
    bool m_failed = false;
    int m_error = 0; // errno of the failed write, read on the writer's own thread
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace lexmora
