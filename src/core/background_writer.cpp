#include "core/background_writer.h"

#include "core/file_io.h"
#include "core/quiet_thread.h"

#include <cerrno>
#include <string_view>
#include <system_error>

namespace lexmora {

std::unique_ptr<BackgroundWriter> BackgroundWriter::start(int fd) {
    auto writer = std::make_unique<BackgroundWriter>(fd);
    try {
        writer->m_thread = StartQuietThread([w = writer.get()] { w->run(); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return writer;
}

bool BackgroundWriter::handOrWrite(std::unique_ptr<BackgroundWriter>& writer, int fd,
                                   std::string& block, std::size_t size) {
    if (!writer)
        writer = start(fd);
    return writer ? writer->hand(block, size)
                  : writeAll(fd, std::string_view(block).substr(0, size));
}

BackgroundWriter::~BackgroundWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_work.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

bool BackgroundWriter::hand(std::string& block, std::size_t size) {
    std::unique_lock lock(m_mutex);
    m_queue.push_back(Job{std::move(block), size});
    m_work.notify_one();
    if (m_spare.empty() && m_buffers < kBuffers) {
        ++m_buffers;
        block = std::string(m_queue.back().data.size(), '\0');
    } else {
        m_done.wait(lock, [this] { return !m_spare.empty(); });
        block = std::move(m_spare.back());
        m_spare.pop_back();
    }
    return !m_failed;
}

bool BackgroundWriter::finish() {
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_queue.empty() && !m_writing; });
    return !m_failed;
}

int BackgroundWriter::error() {
    std::lock_guard lock(m_mutex);
    return m_error;
}

void BackgroundWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopped with everything written
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_writing = true;
        const bool skip = m_failed;
        lock.unlock();
        const bool ok = skip || writeAll(m_fd, std::string_view(job.data).substr(0, job.size));
        const int error = ok ? 0 : errno;
        lock.lock();
        m_writing = false;
        if (!ok) {
            m_failed = true;
            m_error = error;
        }
        m_spare.push_back(std::move(job.data));
        m_done.notify_one();
    }
}

} // namespace lexmora
