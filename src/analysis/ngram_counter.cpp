#include "analysis/ngram_counter.h"

#include "core/file_io.h"
#include "core/os_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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

// ---------------------------------------------------------------------------------------------
// TallyTable

std::uint32_t* TallyTable::find(const std::uint32_t* ids, std::uint64_t hash, bool& fresh) {
    if ((m_used + 1) * 4 > (m_mask + 1) * 3 || m_mask == 0)
        grow();
    // the low bits choose the slot: the high ones chose the partition and are all alike here
    const auto low = static_cast<std::uint32_t>(hash);
    for (std::size_t i = low & m_mask;; i = (i + 1) & m_mask) {
        std::uint32_t* s = m_slots.data() + i * m_stride;
        if (s[kFreq] == 0) {
            fresh = true;
            s[kHash] = low;
            // a call to copy a few ids costs more than the copy
            for (std::size_t k = 0; k < m_size; ++k)
                s[kHeadWords + k] = ids[k];
            ++m_used;
            return s;
        }
        if (s[kHash] == low && sameIds(s + kHeadWords, ids, m_size)) {
            fresh = false;
            return s;
        }
    }
}

void TallyTable::grow() {
    std::vector<std::uint32_t> old = std::move(m_slots);
    const std::size_t oldSlots = old.size() / m_stride;
    const std::size_t slots = std::max(kFirstSlots, oldSlots * 2);
    m_slots.assign(slots * m_stride, 0);
    m_mask = slots - 1;
    for (std::size_t at = 0; at < old.size(); at += m_stride) {
        const std::uint32_t* s = old.data() + at;
        if (s[kFreq] == 0)
            continue;
        std::size_t i = s[kHash] & m_mask;
        while (m_slots[i * m_stride + kFreq] != 0)
            i = (i + 1) & m_mask;
        std::copy(s, s + m_stride, m_slots.data() + i * m_stride);
    }
}

void TallyTable::addOne(const std::uint32_t* ids, std::uint64_t hash, std::uint32_t file) {
    bool fresh = false;
    std::uint32_t* s = find(ids, hash, fresh);
    if (fresh) {
        s[kFreq] = 1;
        s[kRange] = 1;
        s[kFirstFile] = file;
        s[kLastFile] = file;
        return;
    }
    ++s[kFreq];
    if (s[kLastFile] != file) {
        ++s[kRange];
        s[kLastFile] = file;
    }
}

void TallyTable::addLater(const std::uint32_t* ids, std::uint64_t hash,
                          const SequenceTally& later) {
    bool fresh = false;
    std::uint32_t* s = find(ids, hash, fresh);
    if (fresh) {
        s[kFreq] = later.freq;
        s[kRange] = later.range;
        s[kFirstFile] = later.firstFile;
        s[kLastFile] = later.lastFile;
        return;
    }
    s[kFreq] += later.freq;
    s[kRange] += later.range - (later.firstFile == s[kLastFile] ? 1 : 0);
    s[kLastFile] = later.lastFile;
}

void TallyTable::reserve(std::size_t entries) {
    std::size_t slots = kFirstSlots;
    while (slots * 3 < entries * 4)
        slots *= 2;
    if (slots <= capacity())
        return;
    if (m_used == 0) {
        m_slots = std::vector<std::uint32_t>(); // no copy of the old slots on the way
        m_mask = 0;
    }
    while (capacity() < slots)
        grow();
}

void TallyTable::clear() {
    for (std::size_t slot = kFreq; slot < m_slots.size(); slot += m_stride)
        m_slots[slot] = 0;
    m_used = 0;
}

void TallyTable::takeRecords(std::vector<std::uint32_t>& out) {
    const std::size_t record = m_stride - kFreq;
    std::size_t at = out.size();
    out.resize(at + m_used * record);
    std::uint32_t* o = out.data();
    for (std::size_t slot = 0; slot < m_slots.size(); slot += m_stride) {
        std::uint32_t* s = m_slots.data() + slot;
        if (s[kFreq] == 0)
            continue;
        // the record is the slot without its hash
        for (std::size_t k = 0; k < record; ++k)
            o[at + k] = s[kFreq + k];
        at += record;
        s[kFreq] = 0; // a free slot: the rest is written when it is taken again
    }
    m_used = 0;
}

// A new vector: `= {}` would only empty it, its memory kept.
void TallyTable::release() {
    m_slots = std::vector<std::uint32_t>();
    m_mask = 0;
    m_used = 0;
}

// ---------------------------------------------------------------------------------------------
// NgramCounter

NgramCounter::NgramCounter(std::vector<int> sizes, std::size_t memoryBound,
                           std::string temporaryFolder)
    : m_sizes(std::move(sizes)), m_memoryBound(memoryBound), m_base(std::move(temporaryFolder)) {
    std::sort(m_sizes.begin(), m_sizes.end());
    m_minSize = m_sizes.front();
    m_parts.resize(static_cast<std::size_t>(m_sizes.back() - m_minSize + 1));
    for (const int n : m_sizes) {
        std::vector<Partition>& parts = m_parts[static_cast<std::size_t>(n - m_minSize)];
        parts.reserve(kPartitions);
        for (std::size_t k = 0; k < kPartitions; ++k)
            parts.emplace_back(n);
    }
}

// Each sequence's slot is asked for some sequences ahead of its turn: a partition's table is
// mostly out of the cache when its queue comes to be counted.
void NgramCounter::countQueued(Partition& p, int n) {
    constexpr std::size_t kAhead = 8;
    const std::size_t step = static_cast<std::size_t>(n) + 2;
    const std::uint32_t* q = p.queued.get();
    const std::size_t count = p.queuedWords / step;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count)
            p.table.prefetch(q[(i + kAhead) * step + 1]);
        const std::uint32_t* r = q + i * step;
        p.table.addOne(r + 2, r[1], r[0]);
    }
    p.queuedWords = 0;
}

std::size_t NgramCounter::bytes() const {
    std::size_t total = 0;
    for (const auto& parts : m_parts)
        for (const Partition& p : parts)
            total += p.table.bytes() + (p.queued ? kQueueRoom * sizeof(std::uint32_t) : 0);
    return total;
}

// The queues count too: with a bound of a few kilobytes (tests) every block spills. Tables
// emptied by a spill keep their slots, which may take a little more than the bound (a growth
// took them over it): they fill those again, and spill as soon as one has to grow.
bool NgramCounter::settle() {
    return bytes() <= std::max(m_memoryBound, m_keptBytes) || spill();
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
        noteError(errno);
        m_folderFailed = true;
        return false;
    }
    m_folder = pattern;
    return true;
}

void NgramCounter::removeFolder() {
    if (m_folder.empty())
        return;
    for (const int n : m_sizes)
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
    for (const int n : m_sizes) {
        auto& parts = m_parts[static_cast<std::size_t>(n - m_minSize)];
        for (std::size_t k = 0; k < parts.size(); ++k) {
            Partition& p = parts[k];
            // the queue stays for the next round: counted now it would grow a full table
            // just before the spill empties it
            if (p.table.entries() == 0)
                continue;
            out.clear();
            p.table.takeRecords(out);
            const UniqueFd fd(
                ::open(spillPath(n, k).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600));
            if (!fd.valid()) {
                noteError(errno);
                return false;
            }
            if (!writeAll(fd.get(), std::string_view(reinterpret_cast<const char*>(out.data()),
                                                     out.size() * sizeof(std::uint32_t)))) {
                noteError(errno);
                return false;
            }
            p.onDisk = true;
        }
    }
    m_keptBytes = bytes();
    if (m_keptBytes > m_memoryBound / 8 * 9) {
        // each spill's growth kept: let the tables start again small
        for (auto& parts : m_parts)
            for (Partition& p : parts)
                p.table.release();
        m_keptBytes = 0;
    }
    ++m_spills;
    return true;
}

bool NgramCounter::drain(std::uint32_t minFreq, std::uint32_t minRange, const Emit& emit,
                         const Between& between) {
    if (!drainShare(minFreq, minRange, emit, between, 0, 1))
        return false;
    dropSpills();
    return true;
}

bool NgramCounter::drainShare(std::uint32_t minFreq, std::uint32_t minRange, const Emit& emit,
                              const Between& between, std::size_t share, std::size_t shares) {
    const Pass pass{minFreq, minRange};
    const double total = static_cast<double>(m_sizes.size() * kPartitions / shares);
    double done = 0;
    for (const int n : m_sizes) {
        TallyTable merged(n);
        auto& parts = m_parts[static_cast<std::size_t>(n - m_minSize)];
        for (std::size_t k = share; k < parts.size(); k += shares) {
            if (!between(std::min(1.0, done / total)) ||
                !drainPartition(parts[k], n, k, pass, emit, merged))
                return false;
            ++done;
        }
    }
    return true;
}

// A partition's spilled records, oldest first, then what its table still holds.
bool NgramCounter::drainPartition(Partition& p, int n, std::size_t k, Pass pass, const Emit& emit,
                                  TallyTable& merged) {
    countQueued(p, n);
    p.queued.reset(); // given back
    bool going = true;
    const auto emitPassing = [&](const std::uint32_t* ids, const SequenceTally& t) {
        if (going && pass(t))
            going = emit(n, ids, t);
    };
    if (!p.onDisk) {
        p.table.forEach(emitPassing);
        p.table.release();
        return going;
    }
    const std::string path = spillPath(n, k);
    {
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid()) {
            noteError(errno);
            return false;
        }
        // whole records read in place: a chunk starts at a record, and so on the words' bounds
        const std::size_t words = 4 + static_cast<std::size_t>(n);
        const std::size_t record = words * sizeof(std::uint32_t);
        // Room for every tally the partition took (most often fewer sequences: the rounds
        // share many), but no more than its table held at its fullest: the merged table is
        // kept from partition to partition, and grows if it must.
        struct stat st {};
        const std::size_t spilled =
            ::fstat(fd.get(), &st) == 0 ? static_cast<std::size_t>(st.st_size) / record : 0;
        merged.reserve(std::min(spilled + p.table.entries(), p.table.capacity()));
        std::vector<std::uint32_t> chunk((kReadChunk / record) * words);
        char* const bytesAt = reinterpret_cast<char*>(chunk.data());
        const std::size_t room = chunk.size() * sizeof(std::uint32_t);
        std::size_t held = 0; // bytes of a record cut by the chunk's end
        for (;;) {
            const ssize_t got = ::read(fd.get(), bytesAt + held, room - held);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                noteError(errno);
                return false;
            }
            if (got == 0)
                break;
            const std::size_t whole = (held + static_cast<std::size_t>(got)) / record;
            for (std::size_t i = 0; i < whole; ++i) {
                const std::uint32_t* r = chunk.data() + i * words;
                merged.addLater(r + 4, HashSequence(r + 4, n), {r[0], r[1], r[2], r[3]});
            }
            held = held + static_cast<std::size_t>(got) - whole * record;
            std::memmove(bytesAt, bytesAt + whole * record, held);
        }
    }
    ::unlink(path.c_str());
    p.onDisk = false;
    p.table.forEach([&](const std::uint32_t* ids, const SequenceTally& t) {
        merged.addLater(ids, HashSequence(ids, n), t);
    });
    p.table.release();
    merged.forEach(emitPassing);
    merged.clear();
    return going;
}

} // namespace lexmora
