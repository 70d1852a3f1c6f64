// The vocabulary's spellings laid out for putting n-gram texts together fast: a word of up to 12
// bytes lies with its length in one 16-byte slot, so that it costs one read and one store where
// a spelling looked up by its place and then read from the arena costs two reads far apart.
#pragma once

#include "analysis/word_ids.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace lexmora {

class WordSpellings {
public:
    explicit WordSpellings(const WordIds& ids) : m_ids(ids), m_slots(ids.size()) {
        for (std::uint32_t id = 0; id < ids.size(); ++id) {
            const std::string_view s = ids.spelling(id);
            Slot& slot = m_slots[id];
            std::memcpy(slot.head, s.data(), std::min(s.size(), kHeld));
            slot.length = static_cast<std::uint32_t>(s.size());
        }
    }

    std::uint32_t length(std::uint32_t id) const { return m_slots[id].length; }
    void prefetch(std::uint32_t id) const { __builtin_prefetch(m_slots.data() + id); }

    // The words with one blank between them, written in `buffer` (grown as needed): the view
    // lasts as long as the buffer is left alone.
    std::string_view compose(const std::uint32_t* ids, std::size_t count,
                             std::vector<char>& buffer) const {
        std::size_t total = count > 0 ? count - 1 : 0;
        for (std::size_t i = 0; i < count; ++i)
            total += m_slots[ids[i]].length;
        // a short word is stored whole, its slot's spare bytes past its end overwritten after
        if (buffer.size() < total + kHeld)
            buffer.resize(total + kHeld);
        char* p = buffer.data();
        for (std::size_t i = 0; i < count; ++i) {
            const Slot& slot = m_slots[ids[i]];
            if (slot.length <= kHeld)
                std::memcpy(p, slot.head, kHeld);
            else
                std::memcpy(p, m_ids.spelling(ids[i]).data(), slot.length);
            p += slot.length;
            *p++ = ' '; // the last one lies past the text
        }
        return std::string_view(buffer.data(), total);
    }

private:
    static constexpr std::size_t kHeld = 12;
    struct Slot {
        char head[kHeld];
        std::uint32_t length;
    };
    static_assert(sizeof(Slot) == 16);

    const WordIds& m_ids;
    std::vector<Slot> m_slots;
};

} // namespace lexmora
