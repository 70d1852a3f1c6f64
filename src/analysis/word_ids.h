// Folded word spellings numbered in the order they are first met, looked up by open addressing
// on the word count's hashes: the n-gram count numbers every token, a batch at a time
// (WordIdBatch).
#pragma once

#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <array>
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
    // Words as the cutter gives them are numbered through a WordIdBatch; an already folded
    // spelling here.
    std::uint32_t idOf(std::string_view folded) {
        if (folded.size() > WordTable::kShortWord)
            return idOfLong(folded, HashWord(folded.data(), folded.size()));
        std::uint64_t key = 0;
        std::memcpy(&key, folded.data(), folded.size()); // little-endian: the first byte lowest
        return idOfShort(key, folded.size(), WordTable::hashOfKey(key));
    }

    std::string_view spelling(std::uint32_t id) const {
        const Span& s = m_spans[id];
        return std::string_view(m_arena).substr(s.at, s.length);
    }
    std::size_t size() const { return m_spans.size(); }
    // Asks for where a spelling lies to be in the cache by the time it is read.
    void prefetch(std::uint32_t id) const { __builtin_prefetch(m_spans.data() + id); }
    // Asks for the slot where the lookup of a word of this hash starts.
    void prefetchSlot(std::uint64_t hash) const {
        if (!m_slots.empty())
            __builtin_prefetch(m_slots.data() + (hash & (m_slots.size() - 1)));
    }

private:
    friend class WordIdBatch;

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

    std::uint32_t idOfShort(std::uint64_t key, std::size_t n, std::uint64_t hash) {
        if ((m_spans.size() + 1) * 2 > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
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
    std::uint32_t idOfLong(std::string_view folded, std::uint64_t hash) {
        if ((m_spans.size() + 1) * 2 > m_slots.size())
            grow();
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
};

// Words numbered a batch at a time. As each word goes in, the slot its lookup starts at is asked
// for; the batch is looked up once full, by which time the slots of the rarer words (most of a
// large vocabulary's table lies outside the cache) have come in. The ids come out in the words'
// order, as idOfWord gives them one by one, with the caller's marks kept where they were put.
class WordIdBatch {
public:
    static constexpr std::size_t kWords = 32;

    // False for a word the count takes for no token (nothing goes in).
    bool add(std::string_view word, const WordIds& ids) {
        const int bucket = BucketOfFirst(static_cast<unsigned char>(word[0]));
        if (bucket == 0)
            return false;
        Entry& e = m_entries[m_count++];
        if (bucket == kOeBucket || word.size() > WordTable::kShortWord) {
            FoldWord(word, m_folded);
            e.at = static_cast<std::uint32_t>(m_long.size());
            e.length = static_cast<std::uint32_t>(m_folded.size());
            m_long += m_folded;
            e.hash = e.length > WordTable::kShortWord ? HashWord(m_folded.data(), m_folded.size())
                                                      : WordTable::hashOfKey(keyOf(m_folded));
        } else {
            std::uint64_t key = 0;
            for (std::size_t i = word.size(); i-- > 0;)
                key = (key << 8) | LowerCp1252(static_cast<unsigned char>(word[i]));
            e.key = key;
            e.length = static_cast<std::uint32_t>(word.size());
            e.at = kShort;
            e.hash = WordTable::hashOfKey(key);
        }
        ids.prefetchSlot(e.hash);
        return true;
    }
    // A value of the caller's, passed through in its place (above every id).
    void addMark(std::uint32_t mark) {
        Entry& e = m_entries[m_count++];
        e.key = mark;
        e.length = 0;
    }
    bool full() const { return m_count == kWords; }

    // The batch's ids and marks appended to `out`; the batch is left empty.
    void flushInto(WordIds& ids, std::vector<std::uint32_t>& out) {
        const std::size_t at = out.size();
        out.resize(at + m_count);
        std::uint32_t* o = out.data() + at;
        for (std::size_t i = 0; i < m_count; ++i) {
            const Entry& e = m_entries[i];
            if (e.length == 0)
                o[i] = static_cast<std::uint32_t>(e.key);
            else if (e.at == kShort)
                o[i] = ids.idOfShort(e.key, e.length, e.hash);
            else if (e.length > WordTable::kShortWord)
                o[i] = ids.idOfLong(std::string_view(m_long).substr(e.at, e.length), e.hash);
            else // a short word once folded (a first Œ written "oe")
                o[i] = ids.idOfShort(keyOf(std::string_view(m_long).substr(e.at, e.length)),
                                     e.length, e.hash);
        }
        m_count = 0;
        m_long.clear();
    }

private:
    static constexpr std::uint32_t kShort = 0xFFFFFFFFu; // the key is the folded word itself
    struct Entry {
        std::uint64_t key;    // a short word's folded bytes, the first lowest; or a mark
        std::uint64_t hash;   // where its lookup starts
        std::uint32_t length; // 0 for a mark
        std::uint32_t at;     // a folded word's place in m_long, or kShort
    };
    static std::uint64_t keyOf(std::string_view folded) {
        std::uint64_t key = 0;
        std::memcpy(&key, folded.data(), folded.size()); // little-endian: the first byte lowest
        return key;
    }

    std::array<Entry, kWords> m_entries{};
    std::size_t m_count = 0;
    std::string m_long; // the folded spellings of the batch's long words
    std::string m_folded;
};

} // namespace lexmora
