// Folded word spellings numbered in the order they are first met, looked up by open addressing
// on the word count's hashes: the n-gram count asks it once per token.
#pragma once

#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Folds a word as the word list files it (lower case, a first Œ or œ written "oe"); false for a
// word the count takes for no token (no letter or digit first), which is then skipped.
inline bool FoldWord(std::string_view word, std::string& out) {
    const auto first = static_cast<unsigned char>(word[0]);
    const int bucket = BucketOfFirst(first);
    if (bucket == 0)
        return false;
    out.resize(word.size() + (bucket == kOeBucket ? 1 : 0));
    std::size_t at = 0, from = 0;
    if (bucket == kOeBucket) {
        out[0] = 'o';
        out[1] = 'e';
        at = 2;
        from = 1;
    }
    for (std::size_t i = from; i < word.size(); ++i)
        out[at++] = static_cast<char>(LowerCp1252(static_cast<unsigned char>(word[i])));
    return true;
}

class WordIds {
public:
    // The id of a word as the cutter gives it, folded as FoldWord folds it; false for a word the
    // count takes for no token. A short word is folded straight into its key.
    bool idOfWord(std::string_view word, std::uint32_t& id) {
        const int bucket = BucketOfFirst(static_cast<unsigned char>(word[0]));
        if (bucket == 0)
            return false;
        if (bucket == kOeBucket || word.size() > WordTable::kShortWord) {
            FoldWord(word, m_folded);
            id = idOf(m_folded);
            return true;
        }
        std::uint64_t key = 0;
        for (std::size_t i = word.size(); i-- > 0;)
            key = (key << 8) | LowerCp1252(static_cast<unsigned char>(word[i]));
        id = idOfShort(key, word.size());
        return true;
    }

    std::uint32_t idOf(std::string_view folded) {
        if (folded.size() > WordTable::kShortWord)
            return idOfLong(folded);
        std::uint64_t key = 0;
        std::memcpy(&key, folded.data(), folded.size()); // little-endian: the first byte lowest
        return idOfShort(key, folded.size());
    }

    std::string_view spelling(std::uint32_t id) const {
        const Span& s = m_spans[id];
        return std::string_view(m_arena).substr(s.at, s.length);
    }
    std::size_t size() const { return m_spans.size(); }
    // Asks for where a spelling lies to be in the cache by the time it is read.
    void prefetch(std::uint32_t id) const { __builtin_prefetch(m_spans.data() + id); }

private:
    // A short spelling is known by its key (its bytes, zero-padded: a word holds no NUL byte)
    // and length, without a look at the arena; a long one by its hash, then its bytes.
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t id = 0; // one more than the id; 0 an empty slot
        std::uint32_t length = 0;
    };
    struct Span {
        std::size_t at, length;
    };

    std::uint32_t idOfShort(std::uint64_t key, std::size_t n) {
        if ((m_spans.size() + 1) * 2 > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = WordTable::hashOfKey(key) & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (s.key == key && s.length == n && s.id != 0)
                return s.id - 1;
            if (s.id == 0) {
                char bytes[WordTable::kShortWord];
                std::memcpy(bytes, &key, sizeof bytes);
                return insert(s, key, std::string_view(bytes, n));
            }
        }
    }
    std::uint32_t idOfLong(std::string_view folded) {
        if ((m_spans.size() + 1) * 2 > m_slots.size())
            grow();
        const std::uint64_t hash = HashWord(folded.data(), folded.size());
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (s.id == 0)
                return insert(s, hash, folded);
            if (s.key == hash && s.length == folded.size() && spelling(s.id - 1) == folded)
                return s.id - 1;
        }
    }
    std::uint32_t insert(Slot& s, std::uint64_t key, std::string_view folded) {
        s = {key, static_cast<std::uint32_t>(m_spans.size() + 1),
             static_cast<std::uint32_t>(folded.size())};
        m_spans.push_back({m_arena.size(), folded.size()});
        m_arena.append(folded);
        return s.id - 1;
    }
    std::uint64_t hashOf(const Slot& s) const {
        return s.length > WordTable::kShortWord ? s.key : WordTable::hashOfKey(s.key);
    }
    void grow() {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(std::max<std::size_t>(1024, old.size() * 2), Slot{});
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& s : old) {
            if (s.id == 0)
                continue;
            std::size_t i = hashOf(s) & mask;
            while (m_slots[i].id != 0)
                i = (i + 1) & mask;
            m_slots[i] = s;
        }
    }
    std::vector<Slot> m_slots;
    std::vector<Span> m_spans;
    std::string m_arena;
    std::string m_folded;
};

} // namespace lexmora
