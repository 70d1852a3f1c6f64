#include "viewer/sort_keys.h"

#include <cstring>

#include <algorithm>
#include <array>
#include <utility>

namespace lexmora {

// Digits, then apostrophe, right single quote, hyphen, soft hyphen, comma, blank and the rest.
const std::string_view kSortDelimiters =
    "0123456789'\x92-\xAD, .?/:;()!&*[]{}<>=%#+\\@_`~\xA1$\xA3\xA7\xAB\xBB\xBF\xD7\xA8";

namespace {

struct Tables {
    std::array<bool, 256> delimiter{};
    std::array<std::uint16_t, 256> weight{};
    std::array<unsigned char, 256> folded{}; // case folded, accents kept
};

// The base letter of a Windows-1252 letter (upper case), 0 for a non-letter, and whether it is a
// ligature or special letter that sorts just after its base.
std::pair<char, int> baseLetter(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return {static_cast<char>(c), 0};
    if (c >= 'a' && c <= 'z')
        return {static_cast<char>(c - 32), 0};
    switch (c) {
    case 0x83:
        return {'F', 0};
    case 0x8A:
    case 0x9A:
        return {'S', 0};
    case 0x8C:
    case 0x9C:
        return {'O', 1}; // OE ligature
    case 0x8E:
    case 0x9E:
        return {'Z', 0};
    case 0x9F:
    case 0xDD:
    case 0xFD:
    case 0xFF:
        return {'Y', 0};
    case 0xC6:
    case 0xE6:
        return {'A', 1}; // AE ligature
    case 0xC7:
    case 0xE7:
        return {'C', 0};
    case 0xD0:
    case 0xF0:
        return {'D', 1};
    case 0xD1:
    case 0xF1:
        return {'N', 0};
    case 0xD8:
    case 0xF8:
        return {'O', 0};
    case 0xDE:
    case 0xFE:
        return {'T', 1};
    case 0xDF:
        return {'S', 1}; // sharp s
    default:
        break;
    }
    if ((c >= 0xC0 && c <= 0xC5) || (c >= 0xE0 && c <= 0xE5))
        return {'A', 0};
    if ((c >= 0xC8 && c <= 0xCB) || (c >= 0xE8 && c <= 0xEB))
        return {'E', 0};
    if ((c >= 0xCC && c <= 0xCF) || (c >= 0xEC && c <= 0xEF))
        return {'I', 0};
    if ((c >= 0xD2 && c <= 0xD6) || (c >= 0xF2 && c <= 0xF6))
        return {'O', 0};
    if ((c >= 0xD9 && c <= 0xDC) || (c >= 0xF9 && c <= 0xFC))
        return {'U', 0};
    return {0, 0};
}

unsigned char foldCase(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return static_cast<unsigned char>(c - 16);
    if (c == 0xFF)
        return 0x9F;
    return c;
}

Tables makeTables() {
    Tables t;
    for (unsigned char c : kSortDelimiters)
        t.delimiter[c] = true;
    for (int i = 0; i < 256; ++i) {
        const auto c = static_cast<unsigned char>(i);
        const auto [base, after] = baseLetter(c);
        if (base != 0)
            t.weight[c] = static_cast<std::uint16_t>(0x300 + (base - 'A') * 4 + after);
        else if (c >= '0' && c <= '9')
            t.weight[c] = static_cast<std::uint16_t>(0x200 + (c - '0'));
        else if (c <= ' ')
            t.weight[c] = c;
        else
            t.weight[c] = static_cast<std::uint16_t>(0x100 + c);
        t.folded[c] = foldCase(c);
    }
    return t;
}

const Tables& tables() {
    static const Tables t = makeTables();
    return t;
}

int compareKeys(const SortKey& a, const SortKey& b, const KeyArena& arena, bool binary) {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    const int c = binary ? CompareBinary(arena.view(a), arena.view(b))
                         : CompareText(arena.view(a), arena.view(b));
    if (c != 0)
        return c;
    return a.record < b.record ? -1 : (a.record > b.record ? 1 : 0);
}

} // namespace

bool IsSortDelimiter(unsigned char c) {
    return tables().delimiter[c];
}

std::uint16_t TextWeight(unsigned char c) {
    return tables().weight[c];
}

std::optional<std::size_t> FindKeyStart(std::string_view record, int keywordColumn, int textWidth,
                                        int leftPos, int rightPos, int rightLimitColumn) {
    const auto& delim = tables().delimiter;
    const long width = std::min<long>(textWidth, static_cast<long>(record.size()));
    // 1-based column access, as the walk is described.
    auto at = [&](long column) { return static_cast<unsigned char>(record[column - 1]); };
    const long c = keywordColumn;
    if (c < 1 || c > width)
        return std::nullopt;
    if (leftPos > 0) {
        long pos = c - 1;
        for (int n = 0; n < leftPos; ++n) {
            while (pos >= 5 && delim[at(pos)])
                --pos;
            if (pos < 5)
                return std::nullopt; // fewer than n words stand left of the keyword
            while (pos >= 1 && !delim[at(pos)])
                --pos;
        }
        return static_cast<std::size_t>(pos); // the word starts in column pos + 1
    }
    if (rightPos > 0) {
        // The walk never passes into the file name field behind the text.
        const long limit = std::min<long>(rightLimitColumn, width);
        long pos = c;
        for (int n = 0; n < rightPos; ++n) {
            while (pos <= width && !delim[at(pos)])
                ++pos;
            while (pos <= limit && delim[at(pos)])
                ++pos;
        }
        if (pos > width)
            return std::nullopt;
        return static_cast<std::size_t>(pos - 1);
    }
    long pos = c - 1;
    while (pos >= 1 && !delim[at(pos)])
        --pos;
    return static_cast<std::size_t>(pos);
}

void AppendKeyText(std::string& out, std::string_view record, std::optional<std::size_t> start,
                   int textWidth, SortMode mode) {
    if (!start)
        return;
    const auto& delim = tables().delimiter;
    const std::size_t width =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(textWidth, 0)), record.size());
    if (*start >= width)
        return;
    std::string_view rest = record.substr(*start, width - *start);
    if (mode == SortMode::WordEnd) {
        std::size_t end = 0;
        while (end < rest.size() && !delim[static_cast<unsigned char>(rest[end])])
            ++end;
        for (std::size_t i = end; i > 0; --i)
            out += rest[i - 1];
        return;
    }
    while (!rest.empty() && rest.back() == ' ')
        rest.remove_suffix(1);
    // An elided first word sorts under the word it is joined to: "l'homme" under "homme".
    std::size_t first = 0;
    while (first < rest.size() && !delim[static_cast<unsigned char>(rest[first])])
        ++first;
    if (first < rest.size() && rest[first] == '\'') {
        std::string_view after = rest.substr(first + 1);
        while (!after.empty() && after.front() == ' ')
            after.remove_prefix(1);
        out.append(after);
        out += ' ';
        out.append(rest.substr(0, first));
        return;
    }
    out.append(rest);
}

int CompareText(std::string_view a, std::string_view b) {
    const auto& t = tables();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto wa = t.weight[static_cast<unsigned char>(a[i])];
        const auto wb = t.weight[static_cast<unsigned char>(b[i])];
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    // Same letters: an accented letter after the plain one; case is ignored.
    for (std::size_t i = 0; i < n; ++i) {
        const auto fa = t.folded[static_cast<unsigned char>(a[i])];
        const auto fb = t.folded[static_cast<unsigned char>(b[i])];
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return 0;
}

int CompareBinary(std::string_view a, std::string_view b) {
    const int c = a.compare(b); // char_traits<char> compares as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::uint64_t KeyPrefix(std::string_view key, SortMode mode) {
    std::uint64_t prefix = 0;
    if (mode == SortMode::WordEnd) {
        for (std::size_t i = 0; i < 8; ++i)
            prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
        return prefix;
    }
    for (std::size_t i = 0; i < 4; ++i)
        prefix =
            (prefix << 16) | (i < key.size() ? TextWeight(static_cast<unsigned char>(key[i])) : 0u);
    return prefix;
}

void SortKeysQuick(std::vector<SortKey>& keys, const KeyArena& arena, SortMode mode) {
    if (keys.size() < 2)
        return;
    const bool binary = mode == SortMode::WordEnd;
    std::vector<std::pair<std::int64_t, std::int64_t>> stack;
    stack.reserve(64);
    stack.emplace_back(0, static_cast<std::int64_t>(keys.size()) - 1);
    while (!stack.empty()) {
        auto [lo, hi] = stack.back();
        stack.pop_back();
        while (lo < hi) {
            const SortKey pivot = keys[static_cast<std::size_t>((lo + hi) / 2)];
            std::int64_t i = lo;
            std::int64_t j = hi;
            while (i <= j) {
                while (compareKeys(keys[static_cast<std::size_t>(i)], pivot, arena, binary) < 0)
                    ++i;
                while (compareKeys(keys[static_cast<std::size_t>(j)], pivot, arena, binary) > 0)
                    --j;
                if (i <= j) {
                    std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(j)]);
                    ++i;
                    --j;
                }
            }
            // The larger part waits on the stack, the smaller is sorted first: the stack stays
            // within log2(n) entries.
            if (j - lo < hi - i) {
                if (i < hi)
                    stack.emplace_back(i, hi);
                hi = j;
            } else {
                if (lo < j)
                    stack.emplace_back(lo, j);
                lo = i;
            }
        }
    }
}

std::string CollocateWord(std::string_view key, SortMode mode) {
    if (mode == SortMode::WordEnd)
        return std::string(key.rbegin(), key.rend());
    std::size_t end = 0;
    while (end < key.size() && !IsSortDelimiter(static_cast<unsigned char>(key[end])))
        ++end;
    return std::string(key.substr(0, end));
}

std::uint32_t KeyArena::add(std::string_view bytes) {
    if (bytes.empty())
        return 0;
    if (m_used + bytes.size() > kBlockSize) {
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
        m_used = 0;
    }
    const auto offset = static_cast<std::uint32_t>(((m_blocks.size() - 1) << kBlockBits) + m_used);
    std::memcpy(m_blocks.back().get() + m_used, bytes.data(), bytes.size());
    m_used += static_cast<std::uint32_t>(bytes.size());
    return offset;
}

void KeyArena::clear() {
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_used = kBlockSize;
}

} // namespace lexmora
