#include "search/hit_spool.h"

#include "core/failure.h"
#include "core/file_io.h"
#include "core/messages.h"
#include "core/paths.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

constexpr std::size_t kRecordHead = 8; // file number and line length, 4 bytes each
constexpr std::size_t kReadChunk = 1 << 20;

void putU32(std::string& out, std::uint32_t v) {
    const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    out.append(bytes, 4);
}

std::uint32_t getU32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t{u[0]} | std::uint32_t{u[1]} << 8 | std::uint32_t{u[2]} << 16 |
           std::uint32_t{u[3]} << 24;
}

Status spoolFailure(int error) {
    return Failure(core::msg::MajorFailure(), FailureCode::DeviceFailure, error);
}

} // namespace

HitSpool::HitSpool(std::string tempDirectory, std::size_t slots, std::size_t memoryLimit)
    : m_tempDirectory(tempDirectory.empty() ? std::string("/tmp") : std::move(tempDirectory)),
      m_memoryLimit(memoryLimit), m_memory(slots), m_files(slots) {}

HitSpool::~HitSpool() {
    for (const std::string& path : m_files)
        if (!path.empty())
            ::unlink(path.c_str());
}

Status HitSpool::add(std::size_t slot, std::uint32_t file, std::string_view line) {
    std::string& memory = m_memory[slot];
    putU32(memory, file);
    putU32(memory, static_cast<std::uint32_t>(line.size()));
    memory.append(line);
    m_inMemory += kRecordHead + line.size();
    return m_inMemory > m_memoryLimit ? spillAll() : Status::success();
}

Status HitSpool::spillAll() {
    for (std::size_t slot = 0; slot < m_memory.size(); ++slot)
        if (!m_memory[slot].empty())
            if (Status s = spill(slot); !s)
                return s;
    m_inMemory = 0;
    return Status::success();
}

// Appends the slot's records to its file; the file is opened for each spill only, so that a
// list of thousands of keywords holds no descriptor per keyword.
Status HitSpool::spill(std::size_t slot) {
    std::string& path = m_files[slot];
    int fd = -1;
    if (path.empty()) {
        std::string name = AddBackslash(m_tempDirectory) + "lexmora-hits-XXXXXX";
        fd = ::mkstemp(name.data());
        if (fd < 0)
            return spoolFailure(errno);
        path = name;
    } else {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            return spoolFailure(errno);
    }
    UniqueFd owned(fd);
    if (!writeAll(fd, m_memory[slot]))
        return spoolFailure(errno);
    m_memory[slot].clear();
    m_memory[slot].shrink_to_fit();
    return Status::success();
}

HitSpool::Reader::Reader(const HitSpool& spool, std::size_t slot) : m_spool(spool), m_slot(slot) {
    const std::string& path = spool.m_files[slot];
    if (!path.empty()) {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        m_failed = m_fd < 0;
    }
    if (m_fd < 0) {
        // Never spilled: read where the records are, without a copy.
        m_inMemory = true;
        m_viewsMemory = true;
        m_view = spool.m_memory[slot];
    }
}

HitSpool::Reader::Reader(Reader&& other) noexcept
    : m_spool(other.m_spool), m_slot(other.m_slot), m_chunk(std::move(other.m_chunk)),
      m_view(other.m_view), m_at(other.m_at), m_fd(other.m_fd), m_inMemory(other.m_inMemory),
      m_viewsMemory(other.m_viewsMemory), m_failed(other.m_failed) {
    if (!m_viewsMemory)
        m_view = m_chunk; // the chunk's bytes may have moved with it
    other.m_fd = -1;
}

HitSpool::Reader::~Reader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

// More of the slot's file behind what is left of the chunk; at its end, the slot's memory.
bool HitSpool::Reader::fillFromDisk() {
    if (m_inMemory || m_failed)
        return false;
    m_chunk.erase(0, m_at);
    m_at = 0;
    m_view = m_chunk;
    const std::size_t old = m_chunk.size();
    m_chunk.resize(old + kReadChunk);
    ssize_t n;
    do
        n = ::read(m_fd, m_chunk.data() + old, kReadChunk);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        m_failed = true;
        return false;
    }
    m_chunk.resize(old + static_cast<std::size_t>(n));
    if (n == 0) {
        ::close(m_fd);
        m_fd = -1;
        m_inMemory = true;
        m_chunk += m_spool.m_memory[m_slot];
    }
    m_view = m_chunk;
    return true;
}

std::uint32_t HitSpool::Reader::peekFile() {
    while (m_view.size() - m_at < kRecordHead ||
           m_view.size() - m_at < kRecordHead + getU32(m_view.data() + m_at + 4))
        if (!fillFromDisk())
            return UINT32_MAX;
    return getU32(m_view.data() + m_at);
}

bool HitSpool::Reader::next(std::uint32_t& file, std::string_view& line) {
    file = peekFile();
    if (file == UINT32_MAX)
        return false;
    const std::uint32_t length = getU32(m_view.data() + m_at + 4);
    line = std::string_view(m_view.data() + m_at + kRecordHead, length);
    m_at += kRecordHead + length;
    return true;
}

} // namespace lexmora
