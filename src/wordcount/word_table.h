// The word forms of a count held in memory: an open-addressing hash table keyed by the exact
// spelling, with the number of occurrences of each. A spelling of up to 8 bytes is kept in its
// slot (a word never holds a NUL byte, so its bytes padded with zeros identify it); longer ones
// in one arena. No allocation per word; the table refuses a new spelling instead of growing
// past its budget, and the count then spills what it holds to disk.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace lexmora {

// A spelling with its number of occurrences; its bytes lie in an arena (a table's, or a piece's
// read back from disk) at `offset`.
struct WordEntry {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t count = 0;
    std::string_view in(const std::string& arena) const { return {arena.data() + offset, length}; }
};

std::uint64_t HashWord(const char* data, std::size_t length);

// A word waiting in a batch for its table slot, asked for ahead (see WordTable::Prefetcher).
struct QueuedWord {
    const char* data;
    std::size_t length;
    std::uint64_t key; // a short word's bytes
    std::uint64_t hash;
};

class WordTable {
    struct Slot;

public:
    static constexpr std::size_t kShortWord = 8;

    // `budget`: the most bytes the slots and the arena may take together; 0 for no limit.
    explicit WordTable(std::size_t budget = 0) : m_budget(budget) {}

    // A spelling of up to kShortWord bytes is known by its key: its bytes padded with zeros,
    // here read where the 8 bytes from `p` may be read.
    static std::uint64_t keyOfPadded(const char* p, std::size_t n) {
        return load8(p) & (~std::uint64_t{0} >> (64 - 8 * n));
    }
    static std::uint64_t hashOfKey(std::uint64_t key) { return shortHash(key); }
    static std::uint64_t hashOfLong(const char* p, std::size_t n) { return HashWord(p, n); }
    // Asks for the slots of a batch of words to be in the cache by the time they are added, the
    // table's place and size taken once. Valid until the table grows or is cleared.
    class Prefetcher {
    public:
        void prefetch(std::uint64_t hash) const { __builtin_prefetch(m_slots + (hash >> m_shift)); }

    private:
        friend class WordTable;
        Prefetcher(const void* slots, int shift)
            : m_slots(static_cast<const Slot*>(slots)), m_shift(shift) {}
        const Slot* m_slots;
        int m_shift;
    };
    // An empty table has no slots yet: its words' slots are asked for at the one dummy slot.
    Prefetcher prefetcher() const {
        static const Slot none[2]{};
        return m_slots.empty() ? Prefetcher(none, 63) : Prefetcher(m_slots.begin(), m_shift);
    }

    // Adds `count` occurrences of a spelling; false (nothing added) when a new spelling would
    // take the table past its budget. An empty table always takes the spelling.
    bool add(std::string_view word, std::uint32_t count = 1) {
        return word.size() <= kShortWord
                   ? addShort(shortKey(word.data(), word.size()), word.size(), count)
                   : addLong(word, HashWord(word.data(), word.size()), count);
    }
    bool addShort(std::uint64_t key, std::size_t n, std::uint32_t count) {
        return addShort(key, n, shortHash(key), count);
    }
    bool addShort(std::uint64_t key, std::size_t n, std::uint64_t hash, std::uint32_t count) {
        if (m_slots.empty() && !grow())
            return false;
        for (std::size_t i = hash >> m_shift;; i = (i + 1) & m_mask) {
            Slot& s = m_slots[i];
            if (s.key == key && s.length == n) {
                s.count = saturatingAdd(s.count, count);
                return true;
            }
            if (s.length == 0)
                return insertShort(i, key, n, count);
        }
    }
    bool addLong(std::string_view word, std::uint64_t hash, std::uint32_t count) {
        const char* p = word.data();
        const std::size_t n = word.size();
        if (m_slots.empty() && !grow())
            return false;
        const auto tag = static_cast<std::uint32_t>(hash);
        for (std::size_t i = hash >> m_shift;; i = (i + 1) & m_mask) {
            Slot& s = m_slots[i];
            if (s.length == n && static_cast<std::uint32_t>(s.key >> 32) == tag &&
                sameBytes(m_arena.data() + static_cast<std::uint32_t>(s.key), p, n)) {
                s.count = saturatingAdd(s.count, count);
                return true;
            }
            if (s.length == 0)
                return insertLong(i, word, hash, count);
        }
    }

    std::size_t size() const { return m_used; }
    bool empty() const { return m_used == 0; }

    // Every spelling held, in no particular order: f(word, count).
    template <typename F> void forEachWord(F&& f) const {
        char bytes[kShortWord];
        for (const Slot& s : m_slots) {
            if (s.length == 0)
                continue;
            if (s.length <= kShortWord) {
                std::memcpy(bytes, &s.key, kShortWord);
                f(std::string_view(bytes, s.length), s.count);
            } else {
                f(std::string_view(m_arena.data() + static_cast<std::uint32_t>(s.key), s.length),
                  s.count);
            }
        }
    }

    // Copies the short spellings into the arena as well, so that every spelling has its bytes
    // there; the table takes no more words after that.
    void freeze();
    // After freeze(): every spelling as an entry of arena().
    template <typename F> void forEachEntry(F&& f) const {
        for (const Slot& s : m_slots)
            if (s.length != 0)
                f(WordEntry{static_cast<std::uint32_t>(s.key), s.length, s.count});
    }
    // The spellings' bytes. Once the entries are taken the slots may go (releaseSlots) and the
    // arena serves as the entries' store; words appended to it then are the caller's.
    std::string& arena() { return m_arena; }
    void releaseSlots();

    // Forgets every spelling; keeps the memory when `release` is false.
    void clear(bool release = false);

private:
    // key: a short word's bytes; a long word's hash tag (high half) and arena offset (low half)
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t count = 0;
        std::uint32_t length = 0; // 0: empty (a word is never empty)
    };
    // The slots in one block, on huge pages where the system offers them: a large vocabulary
    // is looked up all over the block, and small pages would cost a page walk per word.
    class SlotArray {
    public:
        SlotArray() = default;
        explicit SlotArray(std::size_t n);
        SlotArray(SlotArray&& other) noexcept
            : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {
        }
        SlotArray& operator=(SlotArray&& other) noexcept {
            std::swap(m_data, other.m_data);
            std::swap(m_size, other.m_size);
            return *this;
        }
        SlotArray(const SlotArray&) = delete;
        SlotArray& operator=(const SlotArray&) = delete;
        ~SlotArray();
        bool empty() const { return m_size == 0; }
        std::size_t size() const { return m_size; }
        Slot& operator[](std::size_t i) { return m_data[i]; }
        const Slot& operator[](std::size_t i) const { return m_data[i]; }
        Slot* begin() { return m_data; }
        Slot* end() { return m_data + m_size; }
        const Slot* begin() const { return m_data; }
        const Slot* end() const { return m_data + m_size; }

    private:
        Slot* m_data = nullptr;
        std::size_t m_size = 0;
    };
    static std::size_t slotBytes(std::size_t slots) { return slots * sizeof(Slot); }
    static std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
        return a > UINT32_MAX - b ? UINT32_MAX : a + b;
    }
    static std::uint64_t load8(const char* p) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        return v;
    }
    // Two long words of the same length: up to 16 bytes in two overlapping loads.
    static bool sameBytes(const char* a, const char* b, std::size_t n) {
        if (n <= 16)
            return load8(a) == load8(b) && load8(a + n - 8) == load8(b + n - 8);
        return std::memcmp(a, b, n) == 0;
    }
    static std::uint64_t load4(const char* p) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    // The bytes of a word of 1 to 8 bytes, padded with zeros, read without passing its end.
    static std::uint64_t shortKey(const char* p, std::size_t n) {
        if (n >= 4)
            return load4(p) | (load4(p + n - 4) << ((n - 4) * 8));
        const auto at = [p](std::size_t i) {
            return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (i * 8);
        };
        return at(0) | at(n >> 1) | at(n - 1);
    }
    static std::uint64_t shortHash(std::uint64_t key) {
        std::uint64_t h = key * 0x9E3779B97F4A7C15ull;
        h ^= h >> 32;
        return h * 0xD6E8FEB86659FD93ull;
    }
    std::uint64_t hashOf(const Slot& s) const;
    bool roomForOneMore();
    bool insertShort(std::size_t at, std::uint64_t key, std::size_t n, std::uint32_t count);
    bool insertLong(std::size_t at, std::string_view word, std::uint64_t hash, std::uint32_t count);
    bool grow();
    bool fits(std::size_t bytes) const;

    SlotArray m_slots;
    std::size_t m_mask = 0;
    int m_shift = 64; // a hash's top bits choose its slot
    std::size_t m_used = 0;
    std::string m_arena;
    std::size_t m_budget;
    bool m_frozen = false;
};

} // namespace lexmora
