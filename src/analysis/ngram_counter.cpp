#include "analysis/ngram_counter.h"

#include "core/file_io.h"
#include "core/os_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

constexpr std::size_t kFirstSlots = 1024;   // most partitions hold many more
constexpr std::size_t kReadChunk = 1 << 20; // spilled records read back

// A loop rather than memcmp: a call per probe costs more than the few ids it compares.
bool sameIds(const std::uint32_t* a, const std::uint32_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

std::uint64_t HashSequence(const std::uint32_t* ids, int size) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(size);
    for (int i = 0; i < size; ++i) {
        h = (h ^ ids[i]) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 29);
}

// ---------------------------------------------------------------------------------------------
// TallyTable

TallyTable::Slot& TallyTable::find(const std::uint32_t* ids, std::uint64_t hash, bool& fresh) {
    if ((m_used + 1) * 4 > m_slots.size() * 3)
        grow();
    const std::size_t mask = m_slots.size() - 1;
    // the low bits choose the slot: the high ones chose the partition and are all alike here
    const auto low = static_cast<std::uint32_t>(hash);
    for (std::size_t i = low & mask;; i = (i + 1) & mask) {
        Slot& s = m_slots[i];
        if (s.tally.freq == 0) {
            fresh = true;
            s.hash = low;
            const std::size_t at = m_ids.size();
            s.key = static_cast<std::uint32_t>(at);
            // a call to copy a few ids costs more than the copy
            m_ids.resize(at + m_size);
            for (std::size_t k = 0; k < m_size; ++k)
                m_ids[at + k] = ids[k];
            ++m_used;
            return s;
        }
        if (s.hash == low && sameIds(m_ids.data() + s.key, ids, m_size)) {
            fresh = false;
            return s;
        }
    }
}

void TallyTable::grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(std::max(kFirstSlots, old.size() * 2), Slot{0, 0, {}});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& s : old) {
        if (s.tally.freq == 0)
            continue;
        std::size_t i = s.hash & mask;
        while (m_slots[i].tally.freq != 0)
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
}

void TallyTable::addOne(const std::uint32_t* ids, std::uint64_t hash, std::uint32_t file) {
    bool fresh = false;
    Slot& s = find(ids, hash, fresh);
    if (fresh) {
        s.tally = {1, 1, file, file};
        return;
    }
    ++s.tally.freq;
    if (s.tally.lastFile != file) {
        ++s.tally.range;
        s.tally.lastFile = file;
    }
}

void TallyTable::addLater(const std::uint32_t* ids, std::uint64_t hash,
                          const SequenceTally& later) {
    bool fresh = false;
    Slot& s = find(ids, hash, fresh);
    if (fresh) {
        s.tally = later;
        return;
    }
    s.tally.freq += later.freq;
    s.tally.range += later.range - (later.firstFile == s.tally.lastFile ? 1 : 0);
    s.tally.lastFile = later.lastFile;
}

void TallyTable::clear() {
    std::fill(m_slots.begin(), m_slots.end(), Slot{0, 0, {}});
    m_ids.clear();
    m_used = 0;
}

void TallyTable::release() {
    m_slots = {};
    m_ids = {};
    m_used = 0;
}

// ---------------------------------------------------------------------------------------------
// NgramCounter

NgramCounter::NgramCounter(int minSize, int maxSize, std::size_t memoryBound,
                           std::string temporaryFolder)
    : m_minSize(minSize), m_maxSize(maxSize), m_memoryBound(memoryBound),
      m_base(std::move(temporaryFolder)) {
    for (int n = minSize; n <= maxSize; ++n)
        m_parts.emplace_back(kPartitions, Partition(n));
}

// The hashes first, so that each sequence's slot is asked for some sequences ahead of its turn:
// a partition's table is mostly out of the cache when its queue comes to be counted.
void NgramCounter::countQueued(Partition& p, int n) {
    constexpr std::size_t kAhead = 8;
    const std::size_t step = static_cast<std::size_t>(n) + 1;
    const std::uint32_t* q = p.queued.data();
    const std::size_t count = p.queued.size() / step;
    m_hashes.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        m_hashes[i] = HashSequence(q + i * step + 1, n);
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count)
            p.table.prefetch(m_hashes[i + kAhead]);
        p.table.addOne(q + i * step + 1, m_hashes[i], q[i * step]);
    }
    p.queued.clear();
}

std::size_t NgramCounter::bytes() const {
    std::size_t total = 0;
    for (const auto& parts : m_parts)
        for (const Partition& p : parts)
            total += p.table.bytes() + p.queued.capacity() * sizeof(std::uint32_t);
    return total;
}

// The queues count too: with a bound of a few kilobytes (tests) every block spills.
bool NgramCounter::settle() {
    return bytes() <= m_memoryBound || spill();
}

std::string NgramCounter::spillPath(int n, std::size_t part) const {
    return m_folder + "/" + std::to_string(n) + "-" + std::to_string(part) + ".tmp";
}

bool NgramCounter::makeFolder() {
    std::string pattern = (m_base.empty() ? std::string("/tmp") : m_base);
    if (pattern.back() != '/')
        pattern += '/';
    pattern += "~lexmora-ngrams-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_error = errno;
        m_folderFailed = true;
        return false;
    }
    m_folder = pattern;
    return true;
}

void NgramCounter::removeFolder() {
    if (m_folder.empty())
        return;
    for (int n = m_minSize; n <= m_maxSize; ++n)
        for (std::size_t k = 0; k < kPartitions; ++k)
            ::unlink(spillPath(n, k).c_str());
    ::rmdir(m_folder.c_str());
    m_folder.clear();
}

// Every partition's table goes to the end of its file, as records of the tally and the ids.
bool NgramCounter::spill() {
    if (m_folder.empty() && !makeFolder())
        return false;
    std::vector<std::uint32_t> out;
    // slots that take most of the bound would leave too little room for the next round's ids
    std::size_t slotBytes = 0;
    for (const auto& parts : m_parts)
        for (const Partition& p : parts)
            slotBytes += p.table.slotBytes();
    const bool keep = slotBytes <= m_memoryBound / 3 * 2;
    for (int n = m_minSize; n <= m_maxSize; ++n) {
        auto& parts = m_parts[static_cast<std::size_t>(n - m_minSize)];
        for (std::size_t k = 0; k < parts.size(); ++k) {
            Partition& p = parts[k];
            countQueued(p, n);
            if (p.table.entries() == 0)
                continue;
            out.clear();
            p.table.forEach([&out, n](const std::uint32_t* ids, const SequenceTally& t) {
                out.insert(out.end(), {t.freq, t.range, t.firstFile, t.lastFile});
                out.insert(out.end(), ids, ids + n);
            });
            const UniqueFd fd(
                ::open(spillPath(n, k).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
            if (!fd.valid()) {
                m_error = errno;
                return false;
            }
            if (!writeAll(fd.get(), std::string_view(reinterpret_cast<const char*>(out.data()),
                                                     out.size() * sizeof(std::uint32_t)))) {
                m_error = errno;
                return false;
            }
            p.onDisk = true;
            if (keep)
                p.table.clear();
            else
                p.table.release();
        }
    }
    ++m_spills;
    return true;
}

bool NgramCounter::drain(std::uint32_t minFreq, std::uint32_t minRange, const Emit& emit,
                         const Between& between) {
    m_minFreq = minFreq;
    m_minRange = minRange;
    const double total = static_cast<double>(m_parts.size() * kPartitions);
    double done = 0;
    for (int n = m_minSize; n <= m_maxSize; ++n)
        for (Partition& p : m_parts[static_cast<std::size_t>(n - m_minSize)]) {
            if (!between(done / total) || !drainPartition(p, n, emit))
                return false;
            ++done;
        }
    removeFolder();
    return true;
}

// A partition's spilled records, oldest first, then what its table still holds.
bool NgramCounter::drainPartition(Partition& p, int n, const Emit& emit) {
    countQueued(p, n);
    p.queued = {};
    if (!p.onDisk) {
        p.table.forEach([&](const std::uint32_t* ids, const SequenceTally& t) {
            if (t.freq >= m_minFreq && t.range >= m_minRange)
                emit(n, ids, t);
        });
        p.table.release();
        return true;
    }
    const std::size_t k =
        static_cast<std::size_t>(&p - m_parts[static_cast<std::size_t>(n - m_minSize)].data());
    const std::string path = spillPath(n, k);
    TallyTable merged(n);
    {
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid()) {
            m_error = errno;
            return false;
        }
        const std::size_t record = (4 + static_cast<std::size_t>(n)) * sizeof(std::uint32_t);
        std::vector<char> chunk((kReadChunk / record) * record);
        std::size_t held = 0; // bytes of a record cut by the chunk's end
        std::uint32_t r[4 + kMaxSequenceSize];
        for (;;) {
            const ssize_t got = ::read(fd.get(), chunk.data() + held, chunk.size() - held);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                m_error = errno;
                return false;
            }
            if (got == 0)
                break;
            const std::size_t bytes = held + static_cast<std::size_t>(got);
            std::size_t i = 0;
            for (; i + record <= bytes; i += record) {
                std::memcpy(r, chunk.data() + i, record);
                merged.addLater(r + 4, HashSequence(r + 4, n), {r[0], r[1], r[2], r[3]});
            }
            held = bytes - i;
            std::memmove(chunk.data(), chunk.data() + i, held);
        }
    }
    ::unlink(path.c_str());
    p.onDisk = false;
    p.table.forEach([&](const std::uint32_t* ids, const SequenceTally& t) {
        merged.addLater(ids, HashSequence(ids, n), t);
    });
    p.table.release();
    merged.forEach([&](const std::uint32_t* ids, const SequenceTally& t) {
        if (t.freq >= m_minFreq && t.range >= m_minRange)
            emit(n, ids, t);
    });
    return true;
}

} // namespace lexmora
