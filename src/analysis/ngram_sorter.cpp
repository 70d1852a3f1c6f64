#include "analysis/ngram_sorter.h"

#include "analysis/block_handoff.h"
#include "analysis/key_radix_sort.h"
#include "analysis/ngram_counter.h"
#include "core/os_calls.h"
#include "core/quiet_thread.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lexmora {

namespace {

constexpr std::size_t kHead = 3; // freq, range, size

// Packs the base letters (1..27, 5 bits each) of the text's first `count` characters into
// `fields` fields of a number, highest first; a text that ends leaves 0, which sorts first as
// the word list's shorter word does.
class PiecePacker {
public:
    explicit PiecePacker(std::uint64_t* out, int fields) : m_out(out), m_left(fields) {}
    bool full() const { return m_left == 0; }
    void put(int piece) {
        if (m_left == 0)
            return;
        *m_out = (*m_out << 5) | static_cast<std::uint64_t>(piece);
        if (--m_left == 0 && m_then != nullptr) {
            m_out = m_then;
            m_left = m_thenFields;
            m_then = nullptr;
        }
    }
    void then(std::uint64_t* out, int fields) {
        m_then = out;
        m_thenFields = fields;
    }
    void pad() {
        while (m_left > 0)
            put(0);
    }

private:
    std::uint64_t* m_out;
    int m_left;
    std::uint64_t* m_then = nullptr;
    int m_thenFields = 0;
};

// A frequency or a range in as few bits as it takes, the greater first: 5 bits for its length
// (less for a longer one), then its bits below the leading one, turned over. Most n-grams are
// seen a few times, and the bits a short count leaves go to more letters: fewer keys tie.
struct CountCode {
    std::uint64_t bits = 0;
    int width = 0;
    int pieces = 0; // the letters that fit after it
};

CountCode countCode(std::uint32_t count) {
    const std::uint32_t value = std::max<std::uint32_t>(count, 1);
    const int below = 31 - __builtin_clz(value); // bits below the leading one
    const std::uint64_t mask = (std::uint64_t{1} << below) - 1;
    CountCode code;
    code.bits = (std::uint64_t(31 - below) << below) | (~std::uint64_t{value} & mask);
    code.width = 5 + below;
    code.pieces = (128 - code.width) / 5;
    return code;
}

__extension__ using Wide = unsigned __int128;

// The code, then `pieces` letters of 5 bits (the low bits of `letters`), from the key's top.
NgramSorter::Key countedKey(const CountCode& code, Wide letters) {
    const int used = code.width + 5 * code.pieces;
    const Wide whole = ((Wide(code.bits) << (5 * code.pieces)) | letters) << (128 - used);
    return NgramSorter::Key{static_cast<std::uint64_t>(whole >> 64),
                            static_cast<std::uint64_t>(whole)};
}

} // namespace

NgramListWords::NgramListWords(const WordIds& vocabulary, SequenceSort order)
    : ids(vocabulary), sort(order), spellings(vocabulary) {
    packed.resize(ids.size());
    for (std::uint32_t id = 0; id < ids.size(); ++id) {
        const std::string_view s = ids.spelling(id);
        std::uint64_t bits = 0;
        if (sort == SequenceSort::Ending)
            for (std::size_t i = 0; i < 8; ++i)
                bits = (bits << 8) |
                       (i < s.size() ? static_cast<unsigned char>(s[s.size() - 1 - i]) : 0u);
        else
            for (std::size_t i = 0; i < 12; ++i)
                bits =
                    (bits << 5) | static_cast<std::uint64_t>(
                                      i < s.size() ? PieceOf(static_cast<unsigned char>(s[i])) : 0);
        packed[id] = {bits, static_cast<std::uint32_t>(s.size())};
    }
}

NgramSorter::NgramSorter(const WordIds& ids, SequenceSort sort, int maxSize,
                         std::size_t memoryBound, std::string temporaryFolder)
    : NgramSorter(std::make_unique<NgramListWords>(ids, sort), nullptr, maxSize, memoryBound,
                  std::move(temporaryFolder)) {}

NgramSorter::NgramSorter(const NgramListWords& words, int maxSize, std::size_t memoryBound,
                         std::string temporaryFolder)
    : NgramSorter(nullptr, &words, maxSize, memoryBound, std::move(temporaryFolder)) {}

NgramSorter::NgramSorter(std::unique_ptr<NgramListWords> own, const NgramListWords* shared,
                         int maxSize, std::size_t memoryBound, std::string temporaryFolder)
    : m_ownWords(std::move(own)), m_words(shared != nullptr ? *shared : *m_ownWords),
      m_ids(m_words.ids), m_sort(m_words.sort), m_stride(kHead + static_cast<std::size_t>(maxSize)),
      m_folder(std::move(temporaryFolder)) {
    const std::size_t itemBytes = m_stride * sizeof(std::uint32_t) + sizeof(Keyed);
    m_chunkItems = std::max<std::size_t>(16, memoryBound / itemBytes);
}

bool NgramSorter::packedKey(int size, const std::uint32_t* ids, std::uint32_t freq,
                            std::uint32_t range, Key& key) const {
    __extension__ using Wide = unsigned __int128;
    Wide acc = 0;
    if (m_sort == SequenceSort::Ending) {
        int left = 16; // bytes
        for (int w = size - 1; w >= 0 && left > 0; --w) {
            const NgramListWords::PackedWord& word = m_words.packed[ids[w]];
            const std::uint32_t length = word.length;
            if (length > 8 && left > 8)
                return false;
            const int n = static_cast<int>(
                std::min<std::uint32_t>(length, static_cast<std::uint32_t>(std::min(left, 8))));
            acc = (acc << (8 * n)) | (word.bits >> (8 * (8 - n)));
            left -= n;
            if (w > 0 && left > 0) {
                acc = (acc << 8) | ' ';
                --left;
            }
        }
        acc <<= 8 * left;
        key.hi = static_cast<std::uint64_t>(acc >> 64);
        key.lo = static_cast<std::uint64_t>(acc);
        return true;
    }
    const bool counted = m_sort == SequenceSort::Freq || m_sort == SequenceSort::Range;
    CountCode code;
    if (counted)
        code = countCode(m_sort == SequenceSort::Freq ? freq : range);
    const int pieces = counted ? code.pieces : 24;
    int left = pieces;
    for (int w = 0; w < size && left > 0; ++w) {
        if (w > 0) {
            acc = (acc << 5) | static_cast<unsigned>(PieceOf(' '));
            --left;
        }
        const NgramListWords::PackedWord& word = m_words.packed[ids[w]];
        const std::uint32_t length = word.length;
        if (length > 12 && left > 12)
            return false;
        const int n = static_cast<int>(
            std::min<std::uint32_t>(length, static_cast<std::uint32_t>(std::min(left, 12))));
        if (n > 0)
            acc = (acc << (5 * n)) | (word.bits >> (5 * (12 - n)));
        left -= n;
    }
    acc <<= 5 * left;
    if (counted) {
        key = countedKey(code, acc);
        return true;
    }
    const std::uint64_t low60 = (std::uint64_t{1} << 60) - 1;
    key.lo = static_cast<std::uint64_t>(acc) & low60;
    key.hi = static_cast<std::uint64_t>(acc >> 60);
    return true;
}

NgramSorter::Key NgramSorter::keyOf(int size, const std::uint32_t* ids, std::uint32_t freq,
                                    std::uint32_t range) const {
    Key key;
    if (packedKey(size, ids, freq, range, key))
        return key;
    key = {};
    if (m_sort == SequenceSort::Ending) {
        // the last 16 bytes from the end, 0 once the text ends (a blank is 0x20, above it)
        std::uint64_t* half[2] = {&key.hi, &key.lo};
        int put = 0;
        for (int w = size - 1; w >= 0 && put < 16; --w) {
            const std::string_view s = m_ids.spelling(ids[w]);
            for (std::size_t i = s.size(); i > 0 && put < 16; --i, ++put)
                *half[put / 8] |= std::uint64_t(static_cast<unsigned char>(s[i - 1]))
                                  << (56 - 8 * (put % 8));
            if (w > 0 && put < 16) {
                *half[put / 8] |= std::uint64_t{' '} << (56 - 8 * (put % 8));
                ++put;
            }
        }
        return key;
    }
    if (m_sort == SequenceSort::Freq || m_sort == SequenceSort::Range) {
        const CountCode code = countCode(m_sort == SequenceSort::Freq ? freq : range);
        __extension__ using Wide = unsigned __int128;
        Wide acc = 0;
        int left = code.pieces;
        const auto put = [&](unsigned char c) {
            if (left > 0) {
                acc = (acc << 5) | static_cast<unsigned>(PieceOf(c));
                --left;
            }
        };
        for (int w = 0; w < size && left > 0; ++w) {
            if (w > 0)
                put(' ');
            for (const char c : m_ids.spelling(ids[w]))
                put(static_cast<unsigned char>(c));
        }
        acc <<= 5 * left;
        return countedKey(code, acc);
    }
    PiecePacker pack(&key.hi, 12);
    pack.then(&key.lo, 12);
    for (int w = 0; w < size && !pack.full(); ++w) {
        if (w > 0)
            pack.put(PieceOf(' '));
        for (const char c : m_ids.spelling(ids[w]))
            pack.put(PieceOf(static_cast<unsigned char>(c)));
    }
    pack.pad();
    return key;
}

bool NgramSorter::tiedLess(const std::uint32_t* a, const std::uint32_t* b) {
    switch (m_sort) {
    case SequenceSort::Freq:
        if (a[0] != b[0])
            return a[0] > b[0];
        break;
    case SequenceSort::Range:
        if (a[1] != b[1])
            return a[1] > b[1];
        break;
    default:
        break;
    }
    // Words both start with (both end with, by ending) are the same bytes in both texts, the
    // blank beside them too, and compare alike at every level: only the rest is put together.
    const std::size_t na = a[2], nb = b[2];
    const std::uint32_t *wa = a + kHead, *wb = b + kHead;
    std::size_t same = 0;
    if (m_sort == SequenceSort::Ending) {
        while (same < na && same < nb && wa[na - 1 - same] == wb[nb - 1 - same])
            ++same;
    } else {
        while (same < na && same < nb && wa[same] == wb[same])
            ++same;
        wa += same;
        wb += same;
    }
    const std::string_view ta = m_words.spellings.compose(wa, na - same, m_textA);
    const std::string_view tb = m_words.spellings.compose(wb, nb - same, m_textB);
    if (m_sort == SequenceSort::Ending)
        if (const int c = CompareFromEnd(ta, tb); c != 0)
            return c < 0;
    return CompareWords(ta, tb) < 0;
}

bool NgramSorter::add(int size, const std::uint32_t* ids, std::uint32_t freq, std::uint32_t range) {
    if (!m_records) {
        // A whole chunk at once: pages untouched take no memory, and a chunk grown by doubling
        // would copy itself on the way and hold half as much again while it does. The records
        // are written as they come, not zeroed first (a call per n-gram).
        m_keyed.reserve(m_chunkItems);
        m_records.reset(new std::uint32_t[m_chunkItems * m_stride]);
    }
    const std::size_t item = m_keyed.size();
    std::uint32_t* r = m_records.get() + item * m_stride;
    r[0] = freq;
    r[1] = range;
    r[2] = static_cast<std::uint32_t>(size);
    // a loop, not a call, for a few ids; the ids a shorter n-gram leaves are written too, as
    // the record goes whole to a run
    for (std::size_t i = 0; i + kHead < m_stride; ++i)
        r[kHead + i] = i < static_cast<std::size_t>(size) ? ids[i] : 0;
    // its key made with the chunk's, when its words can be asked for ahead
    m_keyed.push_back({Key{}, static_cast<std::uint32_t>(item)});
    m_heldSorted = false;
    ++m_count;
    if (m_keyed.size() < m_chunkItems)
        return true;
    return writeRun();
}

// The keys of the chunk, in the order its n-grams came: each record's words are asked for some
// records ahead, so that their packed forms are read from the cache.
void NgramSorter::keyChunk() {
    constexpr std::size_t kAhead = 8;
    const std::uint32_t* records = m_records.get();
    for (std::size_t i = 0; i < m_keyed.size(); ++i) {
        if (i + kAhead < m_keyed.size()) {
            const std::uint32_t* ahead = records + (i + kAhead) * m_stride;
            for (std::uint32_t w = 0; w < ahead[2]; ++w)
                __builtin_prefetch(m_words.packed.data() + ahead[kHead + w]);
        }
        const std::uint32_t* r = records + i * m_stride;
        m_keyed[i].key = keyOf(static_cast<int>(r[2]), r + kHead, r[0], r[1]);
    }
}

void NgramSorter::sortChunk() {
    keyChunk();
    const std::uint32_t* records = m_records.get();
    SortByKeyBytes(m_keyed.data(), m_keyed.size(), [this, records](const Keyed& a, const Keyed& b) {
        return less(a.key, records + a.record * m_stride, b.key, records + b.record * m_stride);
    });
}

bool NgramSorter::openRunFile() {
    // the runs live as long as the descriptor, on every way out
    m_runFile = openNamelessTemporary(m_folder, "~lexmora-ngram-list-", m_error);
    return m_runFile.valid();
}

// The chunk sorted and appended to the run file as key and record, entry after entry.
bool NgramSorter::writeRun() {
    if (!m_runFile.valid() && !openRunFile())
        return false;
    sortChunk();
    // entries put together word by word: a call to copy a few words costs more than the copy
    constexpr std::size_t kKeyWords = sizeof(Key) / sizeof(std::uint32_t);
    const std::size_t entryWords = kKeyWords + m_stride;
    const std::size_t perWrite = std::max<std::size_t>(1, (std::size_t{1} << 18) / entryWords);
    std::vector<std::uint32_t> out(std::min(m_keyed.size(), perWrite) * entryWords);
    const Run run{m_runBytes, m_keyed.size()};
    std::size_t held = 0;
    for (std::size_t i = 0; i < m_keyed.size(); ++i) {
        prefetchAhead(i);
        const Keyed& k = m_keyed[i];
        std::uint32_t* o = out.data() + held * entryWords;
        const std::uint64_t halves[2] = {k.key.hi, k.key.lo};
        std::memcpy(o, halves, sizeof halves);
        const std::uint32_t* record = m_records.get() + std::size_t{k.record} * m_stride;
        for (std::size_t w = 0; w < m_stride; ++w)
            o[kKeyWords + w] = record[w];
        if (++held == perWrite || i + 1 == m_keyed.size()) {
            // Appended: the runs are read back only once all are written.
            const std::size_t bytes = held * entryWords * sizeof(std::uint32_t);
            if (!writeAll(m_runFile.get(),
                          std::string_view(reinterpret_cast<const char*>(out.data()), bytes))) {
                m_error = errno;
                return false;
            }
            m_runBytes += bytes;
            held = 0;
        }
    }
    m_runs.push_back(run);
    m_keyed.clear();
    return true;
}

// The sorted chunk is read in its order, its records all over their block: each record asked
// for some entries ahead of its turn, and then its words' places in the vocabulary.
void NgramSorter::prefetchAhead(std::size_t i) const {
    constexpr std::size_t kRecordsAhead = 16, kWordsAhead = 8;
    if (i + kRecordsAhead < m_keyed.size())
        __builtin_prefetch(m_records.get() +
                           std::size_t{m_keyed[i + kRecordsAhead].record} * m_stride);
    if (i + kWordsAhead < m_keyed.size()) {
        const std::uint32_t* r =
            m_records.get() + std::size_t{m_keyed[i + kWordsAhead].record} * m_stride;
        for (std::uint32_t w = 0; w < r[2]; ++w)
            m_words.spellings.prefetch(r[kHead + w]);
    }
}

void NgramSorter::seal() {
    if (!m_heldSorted && !m_keyed.empty())
        sortChunk();
    m_heldSorted = true;
}

bool NgramSorter::emitHeld(const SequenceRowSink& row) {
    seal();
    for (std::size_t i = 0; i < m_keyed.size(); ++i) {
        prefetchAhead(i);
        const std::uint32_t* r = m_records.get() + std::size_t{m_keyed[i].record} * m_stride;
        if (!row(textOf(r, m_text), r[0], r[1]))
            return false;
    }
    return true;
}

bool NgramSorter::writeRows(const SequenceRowSink& row) {
    NgramSorter* const self[] = {this};
    return WriteRows(self, row);
}

bool NgramSorter::WriteRows(std::span<NgramSorter* const> sorters, const SequenceRowSink& row) {
    NgramSorter* only = nullptr;
    std::size_t holding = 0;
    for (NgramSorter* sorter : sorters)
        if (sorter->holds()) {
            only = sorter;
            ++holding;
        }
    if (holding == 0)
        return true;
    // what one sorter holds in memory is handed on as it lies: nothing to merge
    if (holding == 1 && only->m_runs.empty())
        return only->emitHeld(row);
    for (NgramSorter* sorter : sorters)
        sorter->seal();
    return sorters.front()->merge(sorters, row);
}

// The entries of one run, read a buffer at a time, or those a sorter holds sorted in memory;
// the entry at hand is read where it lies.
class NgramSorter::RunReader {
public:
    RunReader(int fd, const Run& run, std::size_t entryWords, std::size_t bufferEntries)
        : m_fd(fd), m_at(run.offset), m_left(run.count), m_entry(entryWords),
          m_room(std::max<std::size_t>(1, bufferEntries)) {}
    explicit RunReader(const NgramSorter& held)
        : m_keyed(held.m_keyed.data()), m_records(held.m_records.get()), m_stride(held.m_stride),
          m_held(held.m_keyed.size()) {}

    // False at the run's end or on a read error (error set).
    bool advance(int& error) {
        if (++m_index < m_held) {
            // held records lie in the order they came, not in the sorted one
            if (m_keyed != nullptr && m_index + kAhead < m_held)
                __builtin_prefetch(m_records +
                                   std::size_t{m_keyed[m_index + kAhead].record} * m_stride);
            return true;
        }
        if (m_left == 0)
            return false;
        m_held = static_cast<std::size_t>(std::min<std::uint64_t>(m_left, m_room));
        m_buffer.resize(m_held * m_entry);
        const std::size_t bytes = m_buffer.size() * sizeof(std::uint32_t);
        if (!readAllAt(m_fd, reinterpret_cast<char*>(m_buffer.data()), bytes, m_at, error))
            return false;
        m_at += bytes;
        m_left -= m_held;
        m_index = 0;
        return true;
    }
    Key key() const {
        if (m_keyed != nullptr)
            return m_keyed[m_index].key;
        std::uint64_t halves[2];
        std::memcpy(halves, m_buffer.data() + m_index * m_entry, sizeof halves);
        return Key{halves[0], halves[1]};
    }
    const std::uint32_t* record() const {
        if (m_keyed != nullptr)
            return m_records + std::size_t{m_keyed[m_index].record} * m_stride;
        return m_buffer.data() + m_index * m_entry + sizeof(Key) / sizeof(std::uint32_t);
    }

private:
    static constexpr std::size_t kAhead = 8;
    // a run in the file
    int m_fd = -1;
    std::uint64_t m_at = 0, m_left = 0;
    std::size_t m_entry = 0, m_room = 0;
    std::vector<std::uint32_t> m_buffer;
    // or the entries held in memory
    const Keyed* m_keyed = nullptr;
    const std::uint32_t* m_records = nullptr;
    std::size_t m_stride = 0;
    std::size_t m_held = 0;
    std::size_t m_index = static_cast<std::size_t>(-1);
};

// The runs merged into blocks of records, one block at a time, by a tree of losers: each inner
// node holds the reader that lost the match played there, the root's winner has the least
// entry, and a new entry of the winner is played up its own path only, one match a level
// (half the comparisons of a heap's pop and push).
class NgramSorter::RunMerge {
public:
    RunMerge(NgramSorter& lead, std::span<NgramSorter* const> sorters)
        : m_sorter(lead), m_sorters(sorters) {}

    // False when a run could not be read (the leading sorter's error() set).
    bool start() {
        const std::size_t entryWords = sizeof(Key) / sizeof(std::uint32_t) + m_sorter.m_stride;
        std::size_t runs = 0;
        for (const NgramSorter* s : m_sorters)
            runs += s->m_runs.size() + (s->m_keyed.empty() ? 0 : 1);
        const std::size_t perRun = std::clamp<std::size_t>(
            m_sorter.m_chunkItems / std::max<std::size_t>(runs, 1), 1, 4096);
        m_readers.reserve(runs);
        for (const NgramSorter* s : m_sorters) {
            for (const Run& run : s->m_runs)
                m_readers.emplace_back(s->m_runFile.get(), run, entryWords, perRun);
            if (!s->m_keyed.empty())
                m_readers.emplace_back(*s);
        }
        const std::size_t k = m_readers.size();
        m_keys.resize(k);
        m_live.assign(k, 0);
        for (std::size_t i = 0; i < k; ++i) {
            if (m_readers[i].advance(m_sorter.m_error)) {
                m_keys[i] = m_readers[i].key();
                m_live[i] = 1;
            } else if (m_sorter.m_error != 0) {
                return false;
            }
        }
        // played bottom up: leaf i at k + i, the winner of each node carried up
        m_losers.assign(std::max<std::size_t>(k, 1), 0);
        std::vector<std::size_t> winners(2 * k);
        for (std::size_t i = 0; i < k; ++i)
            winners[k + i] = i;
        for (std::size_t node = k - 1; node >= 1 && k > 1; --node) {
            const std::size_t a = winners[2 * node], b = winners[2 * node + 1];
            const bool aWins = before(a, b);
            winners[node] = aWins ? a : b;
            m_losers[node] = aWins ? b : a;
        }
        m_losers[0] = k > 1 ? winners[1] : 0;
        return true;
    }

    // The next records (freq, range, size, ids) in order into `block`, up to about `words`
    // words; false when a run could not be read.
    bool fill(std::vector<std::uint32_t>& block, std::size_t words) {
        block.clear();
        const std::size_t k = m_readers.size();
        while (!done() && block.size() < words) {
            std::size_t winner = m_losers[0];
            RunReader& r = m_readers[winner];
            const std::uint32_t* record = r.record();
            if (record[2] > m_sorter.m_stride - kHead) {
                // not a record this sorter wrote: the run file was damaged under it
                m_sorter.m_error = EIO;
                return false;
            }
            block.insert(block.end(), record, record + kHead + record[2]);
            if (r.advance(m_sorter.m_error)) {
                m_keys[winner] = r.key();
            } else {
                if (m_sorter.m_error != 0)
                    return false;
                m_live[winner] = 0;
            }
            for (std::size_t node = (k + winner) / 2; node >= 1; node /= 2)
                if (before(m_losers[node], winner))
                    std::swap(m_losers[node], winner);
            m_losers[0] = winner;
        }
        return true;
    }
    bool done() const { return m_readers.empty() || !m_live[m_losers[0]]; }

private:
    // Whether reader a's entry comes before reader b's; a reader at its end comes last.
    bool before(std::size_t a, std::size_t b) {
        if (!m_live[b])
            return m_live[a] != 0;
        if (!m_live[a])
            return false;
        const Key& ka = m_keys[a];
        const Key& kb = m_keys[b];
        if (ka.hi != kb.hi)
            return ka.hi < kb.hi;
        if (ka.lo != kb.lo)
            return ka.lo < kb.lo;
        return m_sorter.tiedLess(m_readers[a].record(), m_readers[b].record());
    }

    NgramSorter& m_sorter;
    std::span<NgramSorter* const> m_sorters;
    std::vector<RunReader> m_readers;
    std::vector<Key> m_keys;           // per reader, of the entry at hand
    std::vector<unsigned char> m_live; // per reader: an entry at hand
    std::vector<std::size_t> m_losers; // [0]: the winner; [1, k): the loser of each node
};

namespace {
constexpr std::size_t kBlockWords = std::size_t{1} << 15;
constexpr std::size_t kBlocksGoingRound = 3;
} // namespace

bool NgramSorter::emitBlock(const std::vector<std::uint32_t>& block, const SequenceRowSink& row) {
    // the words of the record some records ahead asked for before their turn
    constexpr int kRecordsAhead = 8;
    std::size_t ahead = 0;
    for (int i = 0; i < kRecordsAhead && ahead < block.size(); ++i)
        ahead += kHead + block[ahead + 2];
    for (std::size_t at = 0; at < block.size(); at += kHead + block[at + 2]) {
        if (ahead < block.size()) {
            for (std::uint32_t w = 0; w < block[ahead + 2]; ++w)
                m_words.spellings.prefetch(block[ahead + kHead + w]);
            ahead += kHead + block[ahead + 2];
        }
        const std::uint32_t* r = block.data() + at;
        if (!row(textOf(r, m_text), r[0], r[1]))
            return false;
    }
    return true;
}

bool NgramSorter::mergeOnThisThread(RunMerge& merge, const SequenceRowSink& row) {
    std::vector<std::uint32_t> block;
    while (!merge.done()) {
        if (!merge.fill(block, kBlockWords))
            return false;
        if (!emitBlock(block, row))
            return false;
    }
    return true;
}

// The merge fills blocks on a thread of its own while this one puts the texts together and
// hands them on: `row` is called on the calling thread only. Without a thread to spare, the
// same blocks are filled here in turn.
bool NgramSorter::merge(std::span<NgramSorter* const> sorters, const SequenceRowSink& row) {
    RunMerge merge(*this, sorters);
    if (!merge.start())
        return false;
    BlockHandoff handoff(kBlocksGoingRound);
    std::thread merger;
    try {
        merger = StartQuietThread([this, &merge, &handoff] {
            int error = 0;
            const CaughtFailure caught = RunCatching([&] {
                while (!merge.done()) {
                    BlockHandoff::Block* block = handoff.blockToFill();
                    if (block == nullptr)
                        return;
                    if (!merge.fill(*block, kBlockWords)) {
                        error = m_error;
                        return;
                    }
                    handoff.filled();
                }
            });
            if (caught.thrown)
                error = caught.outOfMemory ? ENOMEM : EIO;
            handoff.finish(error);
        });
    } catch (const std::system_error&) {
        return mergeOnThisThread(merge, row);
    }
    bool whole = true;
    while (const BlockHandoff::Block* block = handoff.blockToEmpty()) {
        whole = emitBlock(*block, row);
        if (!whole)
            break;
        handoff.emptied();
    }
    // the merging thread is let go and waited for on every way out, before m_error is read
    handoff.stop();
    merger.join();
    m_error = handoff.error();
    return whole && m_error == 0;
}

} // namespace lexmora
