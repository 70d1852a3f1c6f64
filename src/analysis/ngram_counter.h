// Counts word-id sequences of several sizes at once, with their frequency and exact range
// (files they occur in). Sequences are partitioned by the hash of their ids before they are
// counted, so that each partition's table is small enough to stay in cache while a batch of
// its sequences goes in; when the tables outgrow their memory bound, every partition goes to a
// temporary file, partition after partition, and the tables start again empty.
// Each partition is then merged alone from every round, so that memory holds one partition's
// sequences, never the corpus's.
#pragma once

#include "core/file_io.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lexmora {

inline constexpr int kMinSequenceSize = 2;
inline constexpr int kMaxSequenceSize = 8;

// What one sequence counted: occurrences, files, and the first and last file it was met in
// (numbered in reading order), which let counts made before and after a spill be joined with
// the range exact.
struct SequenceTally {
    std::uint32_t freq = 0;
    std::uint32_t range = 0;
    std::uint32_t firstFile = 0;
    std::uint32_t lastFile = 0;
};

// A partition's table: open addressing over the sequences' hashes, each slot holding its
// sequence's ids beside the tally, so that finding a sequence reads one slot and nothing else
// (an arena of ids cost a second cache miss per sequence, and its growth a copy of them all).
class TallyTable {
public:
    explicit TallyTable(int size)
        : m_size(static_cast<std::size_t>(size)), m_stride(kHeadWords + m_size) {}

    // One occurrence in `file` (files come in increasing order).
    void addOne(const std::uint32_t* ids, std::uint64_t hash, std::uint32_t file);
    // A tally made later in the run than everything held (a later spill, or the tables left in
    // memory): a file at both ends of the join counts once.
    void addLater(const std::uint32_t* ids, std::uint64_t hash, const SequenceTally& later);

    // Asks for the slot a sequence's search starts at (where the table stands now).
    void prefetch(std::uint64_t hash) const {
        if (m_mask != 0)
            __builtin_prefetch(m_slots.data() +
                               (static_cast<std::uint32_t>(hash) & m_mask) * m_stride);
    }
    std::size_t entries() const { return m_used; }
    std::size_t bytes() const { return m_slots.capacity() * sizeof(std::uint32_t); }
    // Slots enough for `entries` sequences without a growth (a merge of spilled tallies).
    void reserve(std::size_t entries);
    std::size_t capacity() const { return m_mask == 0 ? 0 : m_mask + 1; }
    void release();
    // Empty, its memory kept: a table refilled after a spill neither grows again through every
    // size nor faults its pages in anew.
    void clear();
    // Every tally appended to `out` as a record of recordWords(size) words (freq, range, first
    // file, last file, then the ids), the table left empty as clear() leaves it: each slot is
    // read and emptied in one pass.
    void takeRecords(std::vector<std::uint32_t>& out);
    static constexpr std::size_t kRecordHead = 4; // the tally's words, before the ids
    static std::size_t recordWords(int size) {
        return kRecordHead + static_cast<std::size_t>(size);
    }

    template <typename Visit> void forEach(Visit&& visit) const {
        for (std::size_t at = 0; at < m_slots.size(); at += m_stride) {
            const std::uint32_t* s = m_slots.data() + at;
            if (s[kFreq] != 0)
                visit(s + kHeadWords,
                      SequenceTally{s[kFreq], s[kRange], s[kFirstFile], s[kLastFile]});
        }
    }

private:
    // A slot's words: the hash's low half (enough to place it in a partition's table), the
    // tally, then the ids. A free slot has a frequency of 0.
    enum : std::size_t { kHash, kFreq, kRange, kFirstFile, kLastFile, kHeadWords };

    std::uint32_t* find(const std::uint32_t* ids, std::uint64_t hash, bool& fresh);
    void grow();

    std::size_t m_size;
    std::size_t m_stride; // words per slot
    std::vector<std::uint32_t> m_slots;
    std::size_t m_mask = 0; // slots - 1, 0 while none
    std::size_t m_used = 0;
};

// Inline: the count hashes every sequence of every size it is asked for, one call each.
inline std::uint64_t HashSequence(const std::uint32_t* ids, int size) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(size);
    for (int i = 0; i < size; ++i) {
        h = (h ^ ids[i]) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 29);
}

class NgramCounter {
public:
    // Sequences of the `sizes` given (at least one). The first spill makes a file in
    // `temporaryFolder` that has no name there (nothing is left, even by a killed process); it
    // is gone once dropSpills() is called or the counter is.
    NgramCounter(std::vector<int> sizes, std::size_t memoryBound, std::string temporaryFolder);
    NgramCounter(const NgramCounter&) = delete;
    NgramCounter& operator=(const NgramCounter&) = delete;

    // The sequences that end with the last id of `window`, whose `filled` ids (at most
    // kMaxSequenceSize) are the words since the last break, oldest first, ending at
    // window[kMaxSequenceSize - 1].
    void addWindow(const std::uint32_t* window, int filled, std::uint32_t file) {
        for (const int n : m_sizes) {
            if (n > filled)
                break;
            queue(n, window + kMaxSequenceSize - n, file);
        }
    }

    // Spills when the tables are over the bound. False when a spill failed: error() is the
    // errno, and folderRefused() tells whether the folder took no temporary file at all.
    bool settle();
    bool spilled() const { return m_spills > 0; }
    int error() const { return m_error.load(); }
    bool folderRefused() const { return m_folderRefused; }
    const std::string& temporaryFolder() const { return m_temporaryFolder; }

    // False stops the drain (what takes the n-grams can take no more).
    using Emit = std::function<bool(int size, const std::uint32_t* ids, const SequenceTally&)>;
    // Called between partitions with the share done; false stops the drain.
    using Between = std::function<bool(double done)>;
    // Every sequence of every size with at least `minFreq` occurrences in `minRange` files, of
    // the partitions numbered `share` modulo `shares`, partition by partition (the spilled
    // ones merged); memory is given back as it goes. The shares of one counter may be drained
    // on threads of their own at once (partitions never meet); the temporary file stays until
    // dropSpills(), once every share is drained. False when stopped (by `between` or `emit`),
    // or when the temporary file could not be read back (error() not 0).
    bool drainShare(std::uint32_t minFreq, std::uint32_t minRange, const Emit& emit,
                    const Between& between, std::size_t share, std::size_t shares);
    void dropSpills();

private:
    static constexpr std::size_t kPartitions = 256;
    // Words a partition's queue holds before it is counted: 16 KB, or less under a bound of a
    // few kilobytes (tests), so that the queues never hold all there is and a spill writes
    // records.
    static std::size_t queueWordsFor(std::size_t memoryBound);

    struct Partition {
        TallyTable table;
        // per sequence: the file, the hash's low half (what places it in the table), the ids;
        // room made at the first, and written as it comes (a vector's growth would zero it
        // first, a call per sequence)
        std::unique_ptr<std::uint32_t[]> queued;
        std::size_t queuedWords = 0;
        bool onDisk = false;
        explicit Partition(int size) : table(size) {}
    };

    void queue(int n, const std::uint32_t* ids, std::uint32_t file) {
        const std::uint64_t hash = HashSequence(ids, n);
        Partition& p = m_parts[static_cast<std::size_t>(n - m_minSize)][hash >> 56];
        if (!p.queued)
            p.queued.reset(new std::uint32_t[queueRoom()]);
        std::uint32_t* q = p.queued.get() + p.queuedWords;
        q[0] = file;
        q[1] = static_cast<std::uint32_t>(hash);
        for (int i = 0; i < n; ++i)
            q[2 + i] = ids[i];
        p.queuedWords += 2 + static_cast<std::size_t>(n);
        if (p.queuedWords >= m_queueWords)
            countQueued(p, n);
    }
    // Room for a full queue and one more sequence: a queue is counted once it is full.
    std::size_t queueRoom() const { return m_queueWords + 2 + kMaxSequenceSize; }
    void countQueued(Partition& p, int n);
    std::size_t bytes() const;
    bool spill();
    // Filters of the drain.
    struct Pass {
        std::uint32_t minFreq, minRange;
        bool operator()(const SequenceTally& t) const {
            return t.freq >= minFreq && t.range >= minRange;
        }
    };
    // `merged`: a table of the partition's size, empty, kept from one partition to the next.
    bool drainPartition(Partition& p, int n, std::size_t k, Pass pass, const Emit& emit,
                        TallyTable& merged);
    void noteError(int error) {
        int none = 0;
        m_error.compare_exchange_strong(none, error);
    }

    // Where a spill put each partition's records, per [size - minSize][partition]: offset
    // and bytes in the spill file.
    using SpillRound = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
    std::size_t segmentOf(int n, std::size_t part) const {
        return static_cast<std::size_t>(n - m_minSize) * kPartitions + part;
    }
    // A partition's records of one round, read back a chunk at a time into `chunk`, to `take`.
    template <typename Take>
    bool readSegment(const SpillRound& round, int n, std::size_t part,
                     std::vector<std::uint32_t>& chunk, Take&& take);

    std::vector<int> m_sizes; // ascending
    int m_minSize = 0;
    std::size_t m_memoryBound;
    std::size_t m_queueWords;
    std::string m_temporaryFolder;
    bool m_folderRefused = false;
    std::vector<std::vector<Partition>> m_parts; // [size - minSize][partition], empty for
                                                 // the sizes between those counted
    // What the tables kept at the last spill: they may fill it again, not grow beyond it.
    std::size_t m_keptBytes = 0;
    int m_spills = 0;
    // Every spill's records, one round after another, in one file that has no name from the
    // moment it is open: closed, it is gone, on any way out.
    UniqueFd m_spillFile;
    std::uint64_t m_spillBytes = 0;
    std::vector<SpillRound> m_rounds;
    std::atomic<int> m_error{0}; // the first failure's errno (drain shares run at once)
};

} // namespace lexmora
