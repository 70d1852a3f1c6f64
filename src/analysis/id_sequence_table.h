// Word-id sequences of a few ids each (a result file's clusters), each with a count of the
// caller's, held without an allocation per sequence: an open-addressed table whose slots hold
// the count, part of the hash and the ids themselves (a longer sequence's ids lie in one arena),
// so that finding a sequence most often reads one slot and nothing else.
#pragma once

#include "analysis/ngram_counter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lexmora {

// The hash the table places sequences by (tests give one of their own to force collisions).
struct IdSequenceHash {
    std::uint64_t operator()(std::span<const std::uint32_t> ids) const {
        return HashSequence(ids.data(), static_cast<int>(ids.size()));
    }
};

template <typename Count, typename Hash = IdSequenceHash> class IdSequenceTable {
public:
    // Sequences of up to this many ids are held in their slot.
    static constexpr std::size_t kInlineIds = 4;

    static std::uint64_t hashOf(std::span<const std::uint32_t> ids) { return Hash{}(ids); }

    // Asks for the slot where the search for a sequence of this hash starts (where the table
    // stands now) to be in the cache by the time add() reads it.
    void prefetch(std::uint64_t hash) const {
        if (!m_slots.empty())
            __builtin_prefetch(m_slots.data() +
                               (static_cast<std::uint32_t>(hash) & (m_slots.size() - 1)));
    }

    // The count of `ids` (at least one id), value-initialised and `fresh` true when the
    // sequence is new. The reference holds until the next call of add.
    Count& add(std::span<const std::uint32_t> ids, bool& fresh) {
        return add(ids, hashOf(ids), fresh);
    }
    // The same with the sequence's hashOf() worked out already.
    Count& add(std::span<const std::uint32_t> ids, std::uint64_t hash64, bool& fresh) {
        if ((m_used + 1) * 4 > m_slots.size() * 3)
            grow();
        const auto hash = static_cast<std::uint32_t>(hash64);
        const auto length = static_cast<std::uint32_t>(ids.size());
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (s.length == 0) {
                fill(s, ids, hash);
                fresh = true;
                return s.count;
            }
            if (s.hash == hash && s.length == length && sameIds(s, ids)) {
                fresh = false;
                return s.count;
            }
        }
    }

    std::size_t size() const { return m_used; }

    // Every sequence held, with its count, in the table's order (no order a caller may keep).
    template <typename Visit> void forEach(Visit&& visit) const {
        for (const Slot& s : m_slots)
            if (s.length != 0)
                visit(std::span<const std::uint32_t>(idsOf(s), s.length), s.count);
    }

private:
    struct Slot {
        // The hash's low half: it places the slot again when the table grows (a table never
        // has 2^32 slots), and its bits above the table's size tell most sequences apart.
        std::uint32_t hash = 0;
        std::uint32_t length = 0; // ids; 0: a free slot
        union {
            std::uint32_t ids[kInlineIds]; // up to kInlineIds ids
            std::uint64_t at;              // a longer sequence's start in m_ids
        } key{};
        Count count{};
    };

    const std::uint32_t* idsOf(const Slot& s) const {
        return s.length <= kInlineIds ? s.key.ids : m_ids.data() + s.key.at;
    }

    void fill(Slot& s, std::span<const std::uint32_t> ids, std::uint32_t hash) {
        s.hash = hash;
        s.length = static_cast<std::uint32_t>(ids.size());
        if (ids.size() <= kInlineIds) {
            std::copy(ids.begin(), ids.end(), s.key.ids);
        } else {
            s.key.at = m_ids.size();
            m_ids.insert(m_ids.end(), ids.begin(), ids.end());
        }
        s.count = Count{};
        ++m_used;
    }

    // A loop rather than memcmp: a call per probe costs more than the few ids it compares.
    bool sameIds(const Slot& s, std::span<const std::uint32_t> ids) const {
        const std::uint32_t* held = idsOf(s);
        for (std::size_t k = 0; k < ids.size(); ++k)
            if (held[k] != ids[k])
                return false;
        return true;
    }

    void grow() {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(std::max<std::size_t>(1024, 2 * old.size()), Slot{});
        const std::size_t mask = m_slots.size() - 1;
        for (Slot& s : old) {
            if (s.length == 0)
                continue;
            std::size_t i = s.hash & mask;
            while (m_slots[i].length != 0)
                i = (i + 1) & mask;
            m_slots[i] = std::move(s);
        }
    }

    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_ids;
    std::size_t m_used = 0;
};

} // namespace lexmora
