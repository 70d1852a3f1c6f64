#include "wordcount/word_table.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace lexmora {

namespace {

constexpr std::size_t kFirstSlots = 1024;
constexpr std::uint32_t kFrequent = 8; // occurrences that make a spelling one to place first
constexpr std::uint64_t kSeed = 0x9E3779B97F4A7C15ull;

std::uint64_t load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

std::uint64_t load4(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    std::uint64_t h = (a ^ kSeed) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
    h += b * 0x94D049BB133111EBull;
    h ^= h >> 29;
    return h;
}

} // namespace

// Whole words are short: up to 16 bytes are read in at most four loads that never pass the
// word's end, longer ones 16 bytes at a time.
std::uint64_t HashWord(const char* p, std::size_t n) {
    std::uint64_t a = 0, b = 0, seed = n;
    if (n <= 16) {
        if (n >= 4) {
            const std::size_t step = (n >> 3) << 2;
            a = (load4(p) << 32) | load4(p + step);
            b = (load4(p + n - 4) << 32) | load4(p + n - 4 - step);
        } else if (n > 0) {
            a = (static_cast<std::uint64_t>(static_cast<unsigned char>(p[0])) << 16) |
                (static_cast<std::uint64_t>(static_cast<unsigned char>(p[n >> 1])) << 8) |
                static_cast<unsigned char>(p[n - 1]);
        }
    } else {
        std::size_t left = n;
        while (left > 16) {
            seed = mix(load8(p) ^ seed, load8(p + 8));
            p += 16;
            left -= 16;
        }
        a = load8(p + left - 16);
        b = load8(p + left - 8);
    }
    std::uint64_t h = mix(a ^ seed, b);
    h ^= h >> 32;
    return h * 0xD6E8FEB86659FD93ull;
}

// Growing copies: the old and the new block are both alive for a moment, and both count.
bool WordTable::fits(std::size_t bytes) const {
    return m_budget == 0 || m_used == 0 || bytes <= m_budget;
}

std::uint64_t WordTable::hashOf(const Slot& s) const {
    if (s.length <= kShortWord)
        return shortHash(s.key);
    return HashWord(m_arena.data() + static_cast<std::uint32_t>(s.key), s.length);
}

WordTable::SlotArray::SlotArray(std::size_t n) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    const std::size_t bytes = slotBytes(n);
    void* block = nullptr;
    if (bytes >= kHugePage) {
        block = std::aligned_alloc(kHugePage, bytes);
#ifdef MADV_HUGEPAGE
        if (block != nullptr)
            ::madvise(block, bytes, MADV_HUGEPAGE);
#endif
    } else {
        block = std::malloc(bytes);
    }
    if (block == nullptr)
        throw std::bad_alloc();
    std::memset(block, 0, bytes);
    m_data = static_cast<Slot*>(block);
    m_size = n;
}

WordTable::SlotArray::~SlotArray() {
    std::free(m_data);
}

bool WordTable::grow() {
    const std::size_t slots = m_slots.empty() ? kFirstSlots : m_slots.size() * 2;
    if (!fits(slotBytes(slots + m_slots.size()) + m_arena.capacity()))
        return false;
    SlotArray old(slots);
    std::swap(old, m_slots);
    m_mask = slots - 1;
    m_shift = 64 - std::countr_zero(slots);
    // The frequent spellings first, so that they take the slots their hashes point at: most
    // words counted after this are found there at the first look.
    for (const bool frequent : {true, false}) {
        for (const Slot& s : old) {
            if (s.length == 0 || (s.count >= kFrequent) != frequent)
                continue;
            std::size_t i = hashOf(s) >> m_shift;
            while (m_slots[i].length != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = s;
        }
    }
    return true;
}

// False when the table is full and may not grow; after growing, the caller's slot is stale.
bool WordTable::roomForOneMore() {
    return !m_frozen && ((m_used + 1) * 10 <= m_slots.size() * 7 || grow());
}

bool WordTable::insertShort(std::size_t at, std::uint64_t key, std::size_t n, std::uint32_t count) {
    if ((m_used + 1) * 10 > m_slots.size() * 7 || m_frozen)
        return roomForOneMore() && addShort(key, n, count);
    m_slots[at] = {key, count, static_cast<std::uint32_t>(n)};
    ++m_used;
    return true;
}

bool WordTable::insertLong(std::size_t at, std::string_view word, std::uint64_t hash,
                           std::uint32_t count) {
    if ((m_used + 1) * 10 > m_slots.size() * 7 || m_frozen)
        return roomForOneMore() && addLong(word, hash, count);
    const std::size_t need = m_arena.size() + word.size();
    if (need > UINT32_MAX)
        return false;
    if (need > m_arena.capacity()) {
        const std::size_t old = m_arena.capacity();
        const std::size_t others = slotBytes(m_slots.size()) + old;
        std::size_t capacity = std::max({need, old * 2, std::size_t{4096}});
        if (!fits(others + capacity)) {
            capacity = m_budget > others ? m_budget - others : 0;
            if (capacity < need)
                return false;
        }
        m_arena.reserve(capacity);
    }
    const auto tag = static_cast<std::uint32_t>(hash);
    m_slots[at] = {(static_cast<std::uint64_t>(tag) << 32) | m_arena.size(), count,
                   static_cast<std::uint32_t>(word.size())};
    m_arena.append(word);
    ++m_used;
    return true;
}

void WordTable::freeze() {
    if (m_frozen)
        return;
    m_frozen = true;
    std::size_t shortBytes = 0;
    for (const Slot& s : m_slots)
        if (s.length != 0 && s.length <= kShortWord)
            shortBytes += s.length;
    m_arena.reserve(m_arena.size() + shortBytes);
    for (Slot& s : m_slots) {
        if (s.length == 0 || s.length > kShortWord)
            continue;
        char bytes[kShortWord];
        std::memcpy(bytes, &s.key, kShortWord);
        s.key = m_arena.size();
        m_arena.append(bytes, s.length);
    }
    for (Slot& s : m_slots)
        s.key &= UINT32_MAX; // offsets only: the slots are not searched any more
}

void WordTable::releaseSlots() {
    m_slots = SlotArray();
    m_mask = 0;
    m_shift = 64;
    m_used = 0;
}

void WordTable::clear(bool release) {
    m_used = 0;
    m_frozen = false;
    m_arena.clear();
    if (release) {
        m_slots = SlotArray();
        m_arena.shrink_to_fit();
        m_mask = 0;
        m_shift = 64;
    } else {
        std::fill(m_slots.begin(), m_slots.end(), Slot{});
    }
}

} // namespace lexmora
