// Sorts items that carry a 128-bit key (`item.key.hi`, `item.key.lo`) a byte of the key at a
// time, the highest first, in place: no second array, so a sorter's memory bound still holds.
// Items whose keys tie all through, and stretches too short to be worth a pass, are left to
// `less`, which must order by the key first; the order is then the one std::sort gives with
// `less`, in a few passes over the items instead of some twenty comparisons each.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace lexmora {

namespace radix_detail {

constexpr int kKeyBytes = 16;
constexpr std::size_t kShortStretch = 48;

template <typename Item> inline unsigned keyByte(const Item& item, int byte) {
    const std::uint64_t half = byte < 8 ? item.key.hi : item.key.lo;
    return static_cast<unsigned>(half >> (56 - 8 * (byte % 8))) & 0xFFu;
}

// 16 when all the keys tie
template <typename Item> int firstDifferingByte(const Item* first, std::size_t count) {
    std::uint64_t hi = 0, lo = 0;
    for (std::size_t i = 1; i < count; ++i) {
        hi |= first[i].key.hi ^ first[0].key.hi;
        lo |= first[i].key.lo ^ first[0].key.lo;
    }
    if (hi != 0)
        return __builtin_clzll(hi) / 8;
    return lo != 0 ? 8 + __builtin_clzll(lo) / 8 : kKeyBytes;
}

template <typename Item, typename Less>
void sortFromByte(Item* first, std::size_t count, int byte, Less& less) {
    std::array<std::size_t, 256> sizes{};
    for (;;) {
        if (count <= kShortStretch || byte == kKeyBytes) {
            std::sort(first, first + count, less);
            return;
        }
        sizes.fill(0);
        for (std::size_t i = 0; i < count; ++i)
            ++sizes[keyByte(first[i], byte)];
        if (sizes[keyByte(first[0], byte)] != count)
            break;
        // a byte every item shares sorts nothing: on to the first where two differ
        byte = firstDifferingByte(first, count);
    }
    std::array<std::size_t, 256> next{}, end{};
    std::size_t at = 0;
    for (unsigned b = 0; b < 256; ++b) {
        next[b] = at;
        at += sizes[b];
        end[b] = at;
    }
    // each item swapped straight into its bucket (American flag sort)
    for (unsigned b = 0; b < 256; ++b) {
        while (next[b] < end[b]) {
            Item item = std::move(first[next[b]]);
            unsigned home = keyByte(item, byte);
            while (home != b) {
                std::swap(item, first[next[home]++]);
                home = keyByte(item, byte);
            }
            first[next[b]++] = std::move(item);
        }
    }
    std::size_t start = 0;
    for (unsigned b = 0; b < 256; ++b) {
        if (sizes[b] > 1)
            sortFromByte(first + start, sizes[b], byte + 1, less);
        start += sizes[b];
    }
}

} // namespace radix_detail

template <typename Item, typename Less>
void SortByKeyBytes(Item* first, std::size_t count, Less less) {
    radix_detail::sortFromByte(first, count, 0, less);
}

} // namespace lexmora
