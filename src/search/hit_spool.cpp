#include "search/hit_spool.h"

#include "core/failure.h"
#include "core/file_io.h"
#include "core/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

namespace lexmora {

namespace {

// File number and line length, 4 bytes each, and the hit's place in its source, 8.
constexpr std::size_t kRecordHead = 16;
constexpr std::size_t kReadChunk = 1 << 20;
constexpr std::size_t kMinBlock = 4096, kMaxBlock = 1 << 20;
constexpr std::size_t kStaging = 1 << 20;

void putU32(char* out, std::uint32_t v) {
    out[0] = static_cast<char>(v);
    out[1] = static_cast<char>(v >> 8);
    out[2] = static_cast<char>(v >> 16);
    out[3] = static_cast<char>(v >> 24);
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
      m_memoryLimit(memoryLimit),
      // Small enough that every slot may hold a part-filled block within the bound, large
      // enough that a spill is a few large writes.
      m_blockSize(std::clamp<std::size_t>(memoryLimit / (std::max<std::size_t>(slots, 1) * 2),
                                          kMinBlock, kMaxBlock)),
      m_memory(slots), m_slotMemory(slots), m_pieces(slots) {}

HitSpool::~HitSpool() {
    m_writer.reset(); // its thread writes to the file
    if (m_fd >= 0)
        ::close(m_fd);
}

HitSpool::Block HitSpool::takeBlock(std::size_t need) {
    if (need <= m_blockSize && !m_pool.empty()) {
        Block block = std::move(m_pool.back());
        m_pool.pop_back();
        return block;
    }
    Block block;
    block.capacity = std::max(need, m_blockSize);
    block.data.reset(new char[block.capacity]); // not cleared: only what is written is read
    return block;
}

Status HitSpool::add(std::size_t slot, std::uint32_t file, std::string_view line,
                     std::uint64_t position) {
    const std::size_t need = kRecordHead + line.size();
    std::vector<Block>& blocks = m_memory[slot];
    if (blocks.empty() || blocks.back().capacity - blocks.back().used < need) {
        blocks.push_back(takeBlock(need));
        m_inMemory += blocks.back().capacity;
        m_slotMemory[slot] += blocks.back().capacity;
    }
    Block& block = blocks.back();
    char* o = block.data.get() + block.used;
    putU32(o, file);
    putU32(o + 4, static_cast<std::uint32_t>(line.size()));
    putU32(o + 8, static_cast<std::uint32_t>(position));
    putU32(o + 12, static_cast<std::uint32_t>(position >> 32));
    std::memcpy(o + kRecordHead, line.data(), line.size());
    block.used += need;
    return m_inMemory > m_memoryLimit ? spill() : Status::success();
}

// The largest slots' records go behind what the file holds, each slot's as a piece of its own,
// until a quarter of the bound is free: what stays in memory at the end of the walk is read back
// without going through the file, so the memory is kept near full. One file and one descriptor
// serve a list of any length.
Status HitSpool::spill() {
    if (m_fd < 0) {
        int error = 0;
        m_fd = openNamelessTemporary(m_tempDirectory, "lexmora-hits-", error).release();
        if (m_fd < 0)
            return spoolFailure(error);
    }
    m_order.clear();
    for (std::size_t slot = 0; slot < m_memory.size(); ++slot)
        if (m_slotMemory[slot] > 0)
            m_order.push_back(slot);
    std::sort(m_order.begin(), m_order.end(), [this](std::size_t a, std::size_t b) {
        return m_slotMemory[a] != m_slotMemory[b] ? m_slotMemory[a] > m_slotMemory[b] : a < b;
    });
    for (const std::size_t slot : m_order) {
        if (m_inMemory <= m_memoryLimit - m_memoryLimit / 4)
            break;
        std::vector<Block>& blocks = m_memory[slot];
        std::uint64_t size = 0;
        for (Block& block : blocks) {
            if (!put(block.data.get(), block.used))
                return spoolFailure(errno);
            size += block.used;
            if (block.capacity == m_blockSize) {
                block.used = 0;
                m_pool.push_back(std::move(block));
            }
        }
        blocks.clear();
        m_pieces[slot].push_back(Piece{m_fileSize, size});
        m_fileSize += size;
        m_inMemory -= m_slotMemory[slot];
        m_slotMemory[slot] = 0;
    }
    return flushStaging() ? Status::success() : spoolFailure(errno);
}

// Bytes behind what the file holds, gathered into large blocks that the writer's thread writes
// while the walk goes on: a write call costs more than a copy, and the kernel's copy into the
// file is then not the walk's.
bool HitSpool::put(const char* data, std::size_t size) {
    while (size > 0) {
        if (m_staging.size() < kStaging)
            m_staging.resize(kStaging);
        const std::size_t n = std::min(size, kStaging - m_stagingUsed);
        std::memcpy(m_staging.data() + m_stagingUsed, data, n);
        m_stagingUsed += n;
        data += n;
        size -= n;
        if (m_stagingUsed == kStaging && !flushStaging())
            return false;
    }
    return true;
}

bool HitSpool::flushStaging() {
    const std::size_t used = std::exchange(m_stagingUsed, 0);
    if (used == 0)
        return !m_writeFailed;
    const bool ok = BackgroundWriter::handOrWrite(m_writer, m_fd, m_staging, used);
    if (!ok)
        m_writeFailed = true;
    return ok;
}

Status HitSpool::settle() {
    const bool ok = flushStaging() && (!m_writer || m_writer->finish());
    m_writer.reset();
    if (!ok)
        m_writeFailed = true;
    return ok ? Status::success() : spoolFailure(EIO);
}

HitSpool::Reader::Reader(const HitSpool& spool, std::size_t slot)
    : m_spool(&spool), m_slot(slot), m_buffer(std::move(spool.m_readBuffer)),
      m_bufferSize(std::exchange(spool.m_readBufferSize, 0)) {}

HitSpool::Reader::~Reader() {
    if (m_buffer && m_bufferSize > m_spool->m_readBufferSize) {
        m_spool->m_readBuffer = std::move(m_buffer);
        m_spool->m_readBufferSize = m_bufferSize;
    }
}

HitSpool::Reader::Reader(Reader&& other) noexcept
    : m_spool(other.m_spool), m_slot(other.m_slot), m_at(other.m_at), m_end(other.m_end),
      m_buffer(std::move(other.m_buffer)), m_bufferSize(std::exchange(other.m_bufferSize, 0)),
      m_piece(other.m_piece), m_pieceRead(other.m_pieceRead), m_block(other.m_block),
      m_failed(other.m_failed) {}

// More records behind what is left of the current stretch: the slot's pieces of the file first,
// then its blocks in memory. False at the end.
bool HitSpool::Reader::more() {
    if (m_failed)
        return false;
    if (m_piece < m_spool->m_pieces[m_slot].size())
        return readFromDisk();
    const std::vector<Block>& blocks = m_spool->m_memory[m_slot];
    if (m_at != m_end || m_block >= blocks.size())
        return false; // a piece holds whole records: nothing is left over at its end
    const Block& block = blocks[m_block++];
    m_at = block.data.get();
    m_end = m_at + block.used;
    return true;
}

// The next part of the current piece behind what is left of the buffer.
bool HitSpool::Reader::readFromDisk() {
    const Piece& piece = m_spool->m_pieces[m_slot][m_piece];
    const std::size_t left = static_cast<std::size_t>(m_end - m_at);
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, piece.size - m_pieceRead));
    if (m_bufferSize < left + want) {
        const std::size_t size = std::max(left + want, kReadChunk);
        std::unique_ptr<char[]> grown(new char[size]);
        if (left > 0)
            std::memcpy(grown.get(), m_at, left);
        m_buffer = std::move(grown);
        m_bufferSize = size;
    } else if (left > 0) {
        std::memmove(m_buffer.get(), m_at, left);
    }
    char* to = m_buffer.get() + left;
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = ::pread(m_spool->m_fd, to + got, want - got,
                                  static_cast<off_t>(piece.offset + m_pieceRead + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    m_pieceRead += want;
    if (m_pieceRead == piece.size) {
        ++m_piece;
        m_pieceRead = 0;
    }
    m_at = m_buffer.get();
    m_end = to + want;
    return true;
}

std::uint32_t HitSpool::Reader::peekFile() {
    while (static_cast<std::size_t>(m_end - m_at) < kRecordHead ||
           static_cast<std::size_t>(m_end - m_at) < kRecordHead + getU32(m_at + 4))
        if (!more())
            return UINT32_MAX;
    return getU32(m_at);
}

bool HitSpool::Reader::next(std::uint32_t& file, std::string_view& line, std::uint64_t& position) {
    file = peekFile();
    if (file == UINT32_MAX)
        return false;
    position = std::uint64_t{getU32(m_at + 8)} | std::uint64_t{getU32(m_at + 12)} << 32;
    const std::uint32_t length = getU32(m_at + 4);
    line = std::string_view(m_at + kRecordHead, length);
    m_at += kRecordHead + length;
    return true;
}

} // namespace lexmora
