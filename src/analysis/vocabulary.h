// The words of the sources the analyses read, numbered: each folded spelling gets the next id
// the first time it is met.
#pragma once

#include <cstdint>
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
    std::size_t slotOf(std::string_view folded, std::uint64_t head, std::uint64_t hash) const;
    void grow();

    std::deque<std::string> m_spellings; // a deque: spellings never move
    std::vector<Slot> m_slots;
};

} // namespace lexmora
