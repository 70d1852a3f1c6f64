// Folded word spellings numbered in the order they are first met, looked up by open addressing
// on the word count's hash: the n-gram count asks it once per token.
#pragma once

#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <cstdint>
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
    std::uint32_t idOf(std::string_view folded) {
        if ((m_spans.size() + 1) * 2 > m_slots.size())
            grow();
        const std::uint64_t hash = HashWord(folded.data(), folded.size());
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (s.id == 0) {
                s = {hash, static_cast<std::uint32_t>(m_spans.size() + 1)};
                m_spans.push_back({m_arena.size(), folded.size()});
                m_arena.append(folded);
                return s.id - 1;
            }
            if (s.hash == hash && spelling(s.id - 1) == folded)
                return s.id - 1;
        }
    }
    std::string_view spelling(std::uint32_t id) const {
        const Span& s = m_spans[id];
        return std::string_view(m_arena).substr(s.at, s.length);
    }
    std::size_t size() const { return m_spans.size(); }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t id = 0; // one more than the id; 0 an empty slot
    };
    struct Span {
        std::size_t at, length;
    };
    void grow() {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(std::max<std::size_t>(1024, old.size() * 2), Slot{});
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& s : old) {
            if (s.id == 0)
                continue;
            std::size_t i = s.hash & mask;
            while (m_slots[i].id != 0)
                i = (i + 1) & mask;
            m_slots[i] = s;
        }
    }
    std::vector<Slot> m_slots;
    std::vector<Span> m_spans;
    std::string m_arena;
};

} // namespace lexmora
