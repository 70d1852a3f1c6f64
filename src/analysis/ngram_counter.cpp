#include "analysis/ngram_counter.h"

#include "core/file_io.h"
#include "core/os_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    static_assert(kHeadWords - kFreq == kRecordHead, "a record is a slot without its hash");
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

std::size_t NgramCounter::queueWordsFor(std::size_t memoryBound) {
    constexpr std::size_t kMost = (16 << 10) / sizeof(std::uint32_t), kLeast = 16;
    return std::clamp(memoryBound / (8 * kPartitions * sizeof(std::uint32_t)), kLeast, kMost);
}

NgramCounter::NgramCounter(std::vector<int> sizes, std::size_t memoryBound,
                           std::string temporaryFolder)
    : m_sizes(std::move(sizes)), m_memoryBound(memoryBound),
      m_queueWords(queueWordsFor(memoryBound)), m_temporaryFolder(std::move(temporaryFolder)) {
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
            total += p.table.bytes() + (p.queued ? queueRoom() * sizeof(std::uint32_t) : 0);
    return total;
}

// The queues count too: with a bound of a few kilobytes (tests) every block spills. Tables
// emptied by a spill keep their slots, which may take a little more than the bound (a growth
// took them over it): they fill those again, and spill as soon as one has to grow.
bool NgramCounter::settle() {
    return bytes() <= std::max(m_memoryBound, m_keptBytes) || spill();
}

void NgramCounter::dropSpills() {
    m_rounds.clear();
    m_spillFile = UniqueFd(); // it has no name: closed, it is gone
}

// Every partition's table goes to the end of the spill file, one after another, as records of
// the tally and the ids, written a megabyte or so at a time.
bool NgramCounter::spill() {
    if (!m_spillFile.valid()) {
        int error = 0;
        m_spillFile = openNamelessTemporary(m_temporaryFolder, "~lexmora-ngrams-", error);
        if (!m_spillFile.valid()) {
            noteError(error);
            m_folderRefused = true;
            return false;
        }
    }
    SpillRound round(m_parts.size() * kPartitions, {0, 0});
    std::vector<std::uint32_t> out;
    const auto flush = [&] {
        const std::string_view bytes(reinterpret_cast<const char*>(out.data()),
                                     out.size() * sizeof(std::uint32_t));
        if (!writeAll(m_spillFile.get(), bytes)) {
            noteError(errno);
            return false;
        }
        m_spillBytes += bytes.size();
        out.clear();
        return true;
    };
    for (const int n : m_sizes) {
        auto& parts = m_parts[static_cast<std::size_t>(n - m_minSize)];
        for (std::size_t k = 0; k < parts.size(); ++k) {
            Partition& p = parts[k];
            // the queue stays for the next round: counted now it would grow a full table
            // just before the spill empties it
            if (p.table.entries() == 0)
                continue;
            const std::uint64_t at = m_spillBytes + out.size() * sizeof(std::uint32_t);
            p.table.takeRecords(out);
            round[segmentOf(n, k)] = {at, m_spillBytes + out.size() * sizeof(std::uint32_t) - at};
            p.onDisk = true;
            if (out.size() * sizeof(std::uint32_t) >= kReadChunk && !flush())
                return false;
        }
    }
    if (!out.empty() && !flush())
        return false;
    m_rounds.push_back(std::move(round));
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

// Whole records read in place: a chunk holds whole records only, so it starts at a record, and
// so on the words' bounds.
template <typename Take>
bool NgramCounter::readSegment(const SpillRound& round, int n, std::size_t part,
                               std::vector<std::uint32_t>& chunk, Take&& take) {
    const auto [offset, bytes] = round[segmentOf(n, part)];
    if (bytes == 0)
        return true;
    const std::size_t words = TallyTable::recordWords(n);
    const std::size_t record = words * sizeof(std::uint32_t);
    // room kept from one segment to the next (the caller's), as large as the longest segment
    // read so far, up to a megabyte: most segments are a few kilobytes
    const std::size_t most = std::max<std::size_t>(1, kReadChunk / record) * words;
    const std::size_t wanted = std::min<std::size_t>(most, static_cast<std::size_t>(bytes) / 4);
    if (chunk.size() < wanted)
        chunk.resize(wanted);
    const std::size_t room = std::min(chunk.size(), most) / words * record;
    for (std::uint64_t done = 0; done < bytes;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(room, bytes - done));
        int error = 0;
        if (!readAllAt(m_spillFile.get(), reinterpret_cast<char*>(chunk.data()), want,
                       offset + done, error)) {
            noteError(error); // EIO for a file shorter than what was written to it
            return false;
        }
        for (std::size_t i = 0; i < want / record; ++i)
            take(chunk.data() + i * words);
        done += want;
    }
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
    // Room for every tally the partition took (most often fewer sequences: the rounds share
    // many), but no more than its table held at its fullest: the merged table is kept from
    // partition to partition, and grows if it must.
    const std::size_t record = TallyTable::recordWords(n) * sizeof(std::uint32_t);
    std::size_t spilled = 0;
    for (const SpillRound& round : m_rounds)
        spilled += static_cast<std::size_t>(round[segmentOf(n, k)].second / record);
    merged.reserve(std::min(spilled + p.table.entries(), p.table.capacity()));
    std::vector<std::uint32_t> chunk;
    for (const SpillRound& round : m_rounds)
        if (!readSegment(round, n, k, chunk, [&](const std::uint32_t* r) {
                const std::uint32_t* ids = r + TallyTable::kRecordHead;
                merged.addLater(ids, HashSequence(ids, n), {r[0], r[1], r[2], r[3]});
            }))
            return false;
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
