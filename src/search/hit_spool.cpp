#include "search/hit_spool.h"

#include "core/failure.h"
#include "core/file_io.h"
#include "core/messages.h"
#include "core/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
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
      m_memoryLimit(memoryLimit), m_memory(slots), m_pieces(slots) {}

HitSpool::~HitSpool() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Status HitSpool::add(std::size_t slot, std::uint32_t file, std::string_view line) {
    std::string& memory = m_memory[slot];
    putU32(memory, file);
    putU32(memory, static_cast<std::uint32_t>(line.size()));
    memory.append(line);
    m_inMemory += kRecordHead + line.size();
    return m_inMemory > m_memoryLimit ? spillAll() : Status::success();
}

// Every slot's records go behind what the file holds, each slot's as a piece of its own: one
// file and one descriptor for a list of any length.
Status HitSpool::spillAll() {
    if (m_fd < 0) {
        std::string name = AddBackslash(m_tempDirectory) + "lexmora-hits-XXXXXX";
        m_fd = ::mkstemp(name.data());
        if (m_fd < 0)
            return spoolFailure(errno);
        ::unlink(name.c_str());
    }
    for (std::size_t slot = 0; slot < m_memory.size(); ++slot) {
        std::string& memory = m_memory[slot];
        if (memory.empty())
            continue;
        if (!writeAll(m_fd, memory))
            return spoolFailure(errno);
        m_pieces[slot].push_back(Piece{m_fileSize, memory.size()});
        m_fileSize += memory.size();
        memory.clear();
        memory.shrink_to_fit();
    }
    m_inMemory = 0;
    return Status::success();
}

HitSpool::Reader::Reader(const HitSpool& spool, std::size_t slot) : m_spool(spool), m_slot(slot) {
    if (spool.m_pieces[slot].empty()) {
        // Never spilled: read where the records are, without a copy.
        m_inMemory = true;
        m_viewsMemory = true;
        m_view = spool.m_memory[slot];
    }
}

HitSpool::Reader::Reader(Reader&& other) noexcept
    : m_spool(other.m_spool), m_slot(other.m_slot), m_chunk(std::move(other.m_chunk)),
      m_view(other.m_view), m_at(other.m_at), m_piece(other.m_piece),
      m_pieceRead(other.m_pieceRead), m_inMemory(other.m_inMemory),
      m_viewsMemory(other.m_viewsMemory), m_failed(other.m_failed) {
    if (!m_viewsMemory)
        m_view = m_chunk; // the chunk's bytes may have moved with it
}

// More of the slot's pieces behind what is left of the chunk; after the last, the slot's
// memory.
bool HitSpool::Reader::fillFromDisk() {
    if (m_inMemory || m_failed)
        return false;
    m_chunk.erase(0, m_at);
    m_at = 0;
    const std::vector<Piece>& pieces = m_spool.m_pieces[m_slot];
    if (m_piece < pieces.size()) {
        const Piece& piece = pieces[m_piece];
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadChunk, piece.size - m_pieceRead));
        const std::size_t old = m_chunk.size();
        m_chunk.resize(old + want);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::pread(m_spool.m_fd, m_chunk.data() + old + got, want - got,
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
    } else {
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
