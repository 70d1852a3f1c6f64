#include "analysis/vocabulary.h"

#include <algorithm>
#include <cstring>

namespace lexmora {

std::size_t Vocabulary::slotOf(std::string_view folded, std::uint64_t head,
                               std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.id == 0 || (slot.head == head && slot.length == folded.size() &&
                             (folded.size() <= 8 || m_spellings[slot.id - 1] == folded)))
            return i;
    }
}

void Vocabulary::grow() {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(std::max<std::size_t>(1024, old.size() * 2), Slot{});
    for (const Slot& slot : old)
        if (slot.id != 0) {
            const std::string& word = m_spellings[slot.id - 1];
            m_slots[slotOf(word, slot.head, hashWord(word, slot.head))] = slot;
        }
}

std::uint32_t Vocabulary::idOf(std::string_view folded) {
    const std::uint64_t head = headOf(folded);
    return idOf(folded, head, hashWord(folded, head));
}

std::uint32_t Vocabulary::idOf(std::string_view folded, std::uint64_t head, std::uint64_t hash) {
    if (2 * (m_spellings.size() + 1) > m_slots.size())
        grow();
    Slot& slot = m_slots[slotOf(folded, head, hash)];
    if (slot.id != 0)
        return slot.id - 1;
    const auto id = static_cast<std::uint32_t>(m_spellings.size());
    m_spellings.emplace_back(folded);
    slot = {head, id + 1, static_cast<std::uint32_t>(folded.size())};
    return id;
}

std::optional<std::uint32_t> Vocabulary::find(std::string_view folded) const {
    if (m_slots.empty())
        return std::nullopt;
    const std::uint64_t head = headOf(folded);
    const Slot& slot = m_slots[slotOf(folded, head, hashWord(folded, head))];
    if (slot.id == 0)
        return std::nullopt;
    return slot.id - 1;
}

} // namespace lexmora
