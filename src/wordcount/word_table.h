// The word forms of a count held in memory: an open-addressing hash table keyed by the exact
// spelling, with every spelling's bytes in one arena and its number of occurrences beside it.
// No allocation per word; the table refuses a new spelling instead of growing past its budget,
// and the count then spills what it holds to disk.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

class WordTable {
public:
    // `budget`: the most bytes the slots and the arena may take together; 0 for no limit.
    explicit WordTable(std::size_t budget = 0) : m_budget(budget) {}

    // Adds `count` occurrences of a spelling; false (nothing added) when a new spelling would
    // take the table past its budget. An empty table always takes the spelling.
    bool add(std::string_view word, std::uint32_t count = 1) {
        return add(word, HashWord(word.data(), word.size()), count);
    }
    bool add(std::string_view word, std::uint64_t hash, std::uint32_t count) {
        if (m_slots.empty() && !grow())
            return false;
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        const auto length = static_cast<std::uint32_t>(word.size());
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& s = m_slots[i];
            if (s.length == 0)
                return insert(i, word, tag, count);
            if (s.tag == tag && s.length == length &&
                std::memcmp(m_arena.data() + s.offset, word.data(), length) == 0) {
                s.count = saturatingAdd(s.count, count);
                return true;
            }
        }
    }

    std::size_t size() const { return m_used; }
    bool empty() const { return m_used == 0; }
    std::size_t bytes() const { return slotBytes(m_slots.size()) + m_arena.capacity(); }

    // Every spelling held, in no particular order, with its bytes in arena().
    template <typename F> void forEach(F&& f) const {
        for (const Slot& s : m_slots)
            if (s.length != 0)
                f(WordEntry{s.offset, s.length, s.count});
    }
    // The spellings' bytes. Once the entries are taken the slots may go (releaseSlots) and the
    // arena serves as the entries' store; words appended to it then are the caller's.
    std::string& arena() { return m_arena; }
    void releaseSlots();

    // Forgets every spelling; keeps the memory when `release` is false.
    void clear(bool release = false);

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t count = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0; // 0: empty (a word is never empty)
    };
    static std::size_t slotBytes(std::size_t slots) { return slots * sizeof(Slot); }
    static std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
        return a > UINT32_MAX - b ? UINT32_MAX : a + b;
    }
    bool insert(std::size_t at, std::string_view word, std::uint32_t tag, std::uint32_t count);
    bool grow();
    bool fits(std::size_t bytes) const;

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    std::size_t m_used = 0;
    std::string m_arena;
    std::size_t m_budget;
};

} // namespace lexmora
