// The hits of later keywords while a run reads each source once for all keywords: kept per
// keyword in memory up to a bound, then in one temporary file (each keyword's records as
// pieces of it), and read back in the order found when the keyword's turn comes. The file is
// unlinked once opened: it goes with the spool on every way out, even a crash.
#pragma once

#include "core/background_writer.h"
#include "core/result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

class HitSpool {
public:
    // `slots` keywords; the memory of all slots together stays near `memoryLimit` bytes.
    HitSpool(std::string tempDirectory, std::size_t slots, std::size_t memoryLimit);
    ~HitSpool();
    HitSpool(const HitSpool&) = delete;
    HitSpool& operator=(const HitSpool&) = delete;

    // A hit of keyword `slot` in the walk's file `file`: its KWIC line and its place in the
    // source (as the positions file keeps it).
    Status add(std::size_t slot, std::uint32_t file, std::string_view line, std::uint64_t position);

    // Waits until everything spilled is in the file; a write that failed is told here (or by a
    // later add()). Reading back settles first.
    Status settle();

    // Reads one slot's hits back in the order they were added. The spool outlives its readers.
    class Reader {
    public:
        // The next hit, or false at the end (or on a read failure: see failed()).
        bool next(std::uint32_t& file, std::string_view& line, std::uint64_t& position);
        // The file of the next hit without taking it; UINT32_MAX at the end.
        std::uint32_t peekFile();
        bool failed() const { return m_failed; }

        ~Reader();
        Reader(Reader&& other) noexcept;
        Reader& operator=(Reader&&) = delete;
        Reader(const Reader&) = delete;

    private:
        friend class HitSpool;
        Reader(const HitSpool& spool, std::size_t slot);
        bool more();
        bool readFromDisk();
        const HitSpool* m_spool;
        std::size_t m_slot;
        // Records are read where they lie: in the buffer the file's pieces are read into, then
        // in the slot's blocks still in memory.
        const char* m_at = nullptr;
        const char* m_end = nullptr;
        std::unique_ptr<char[]> m_buffer;
        std::size_t m_bufferSize = 0;
        std::size_t m_piece = 0;       // the slot's piece being read
        std::uint64_t m_pieceRead = 0; // how much of it is read
        std::size_t m_block = 0;       // the next of the slot's blocks in memory
        bool m_failed = false;
    };
    Reader read(std::size_t slot) {
        const bool settled = static_cast<bool>(settle());
        Reader reader(*this, slot);
        reader.m_failed = !settled;
        return reader;
    }

private:
    // A stretch of memory holding whole records of one slot. Blocks of the usual size go back
    // to a pool once spilled: their pages are touched once, not again with every spill.
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    Block takeBlock(std::size_t need);
    Status spill();
    bool put(const char* data, std::size_t size);
    bool flushStaging();

    // A stretch of the temporary file holding one slot's records.
    struct Piece {
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };

    std::string m_tempDirectory;
    std::size_t m_memoryLimit;
    std::size_t m_blockSize;
    std::size_t m_inMemory = 0;                   // the capacity of the slots' blocks
    std::vector<std::vector<Block>> m_memory;     // per slot: records not yet in the file
    std::vector<std::size_t> m_slotMemory;        // per slot: the capacity of its blocks
    std::vector<std::size_t> m_order;             // the slots by size, at a spill
    std::vector<Block> m_pool;                    // spilled blocks of the usual size
    std::vector<std::vector<Piece>> m_pieces;     // per slot: its records in the file, in order
    mutable std::unique_ptr<char[]> m_readBuffer; // lent to one reader at a time
    mutable std::size_t m_readBufferSize = 0;
    std::string m_staging; // what a spill has not yet handed to the writer
    std::size_t m_stagingUsed = 0;
    std::unique_ptr<BackgroundWriter> m_writer; // writes the file's blocks once it is needed
    bool m_writeFailed = false;
    int m_fd = -1; // the temporary file, once one is needed
    std::uint64_t m_fileSize = 0;
};

} // namespace lexmora
