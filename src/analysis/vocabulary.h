// The words of the sources the analyses read, numbered: each folded spelling gets the next id
// the first time it is met.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Folded spellings (Windows-1252) numbered in the order they are first met.
class Vocabulary {
public:
    std::uint32_t idOf(std::string_view folded); // adds the spelling when new
    // The ids of `count` spellings in order, `spellingAt(i)` the i-th, as idOf gives them one
    // by one: each spelling's slot is asked for some spellings ahead of its lookup, for most
    // slots of a large vocabulary lie out of the cache.
    template <typename SpellingAt>
    void idsOf(std::size_t count, const SpellingAt& spellingAt, std::uint32_t* out) {
        constexpr std::size_t kAhead = 8;
        struct Keyed {
            std::uint64_t head, hash;
        };
        Keyed ahead[kAhead];
        const auto key = [&](std::size_t i) {
            const std::string_view word = spellingAt(i);
            const std::uint64_t head = headOf(word);
            ahead[i % kAhead] = {head, hashWord(word, head)};
            if (!m_slots.empty())
                __builtin_prefetch(m_slots.data() +
                                   (ahead[i % kAhead].hash & (m_slots.size() - 1)));
        };
        for (std::size_t i = 0; i < count && i < kAhead; ++i)
            key(i);
        for (std::size_t i = 0; i < count; ++i) {
            const Keyed k = ahead[i % kAhead];
            out[i] = idOf(spellingAt(i), k.head, k.hash);
            if (i + kAhead < count)
                key(i + kAhead);
        }
    }
    std::optional<std::uint32_t> find(std::string_view folded) const;
    const std::string& spelling(std::uint32_t id) const { return m_spellings[id]; }
    std::size_t size() const { return m_spellings.size(); }

private:
    // Every word of every source passes through idOf: an open-addressed table whose slots hold
    // a word's first eight bytes and length, so that most words are told apart, and most found,
    // without reading their spelling elsewhere in memory.
    struct Slot {
        std::uint64_t head = 0; // the first eight bytes, zero-padded
        std::uint32_t id = 0;   // id + 1; 0: free
        std::uint32_t length = 0;
    };
    static constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    static std::uint64_t headOf(std::string_view word);
    static std::uint64_t hashWord(std::string_view word, std::uint64_t head);
    std::uint32_t idOf(std::string_view folded, std::uint64_t head, std::uint64_t hash);
    std::size_t slotOf(std::string_view folded, std::uint64_t head, std::uint64_t hash) const;
    void grow();

    std::deque<std::string> m_spellings; // a deque: spellings never move
    std::vector<Slot> m_slots;
};

// A word's first eight bytes, zero-padded.
inline std::uint64_t Vocabulary::headOf(std::string_view word) {
    std::uint64_t v = 0;
    std::memcpy(&v, word.data(), std::min<std::size_t>(8, word.size()));
    return v;
}

// A hash of a short byte string from its head, then 8 bytes at a time.
inline std::uint64_t Vocabulary::hashWord(std::string_view word, std::uint64_t head) {
    std::uint64_t h = (head ^ (word.size() * kMul)) * kMul;
    h ^= h >> 29;
    for (std::size_t i = 8; i < word.size(); i += 8) {
        std::uint64_t v = 0;
        std::memcpy(&v, word.data() + i, std::min<std::size_t>(8, word.size() - i));
        h = (h ^ v) * kMul;
        h ^= h >> 29;
    }
    return (h ^ (h >> 32)) * kMul;
}

} // namespace lexmora
