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
    // The weight's place among all weights, 0 for weight 0: eight characters fit one prefix.
    std::array<unsigned char, 256> rank{};
    // Whether the character's folded form is the first of its weight's ("e", not "é"): a word
    // of such letters alone comes first among the words of its weights.
    std::array<bool, 256> plain{};
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
    std::array<unsigned char, 0x400> firstFolded;
    firstFolded.fill(0xFF);
    for (int i = 0; i < 256; ++i)
        firstFolded[t.weight[i]] = std::min(firstFolded[t.weight[i]], t.folded[i]);
    for (int i = 0; i < 256; ++i)
        t.plain[i] = t.folded[i] == firstFolded[t.weight[i]];
    std::array<std::uint16_t, 256> sorted = t.weight;
    std::sort(sorted.begin(), sorted.end());
    const auto distinct = std::unique(sorted.begin(), sorted.end());
    for (int i = 0; i < 256; ++i)
        t.rank[i] = static_cast<unsigned char>(
            std::lower_bound(sorted.begin(), distinct, t.weight[i]) - sorted.begin());
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

// Keys of the same letters and length: an accented letter after the plain one; case is ignored.
int compareSameLetters(std::string_view a, std::string_view b) {
    const auto& folded = tables().folded;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fa = folded[static_cast<unsigned char>(a[i])];
        const auto fb = folded[static_cast<unsigned char>(b[i])];
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return 0;
}

} // namespace

bool IsSortDelimiter(unsigned char c) {
    return tables().delimiter[c];
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
    return compareSameLetters(a, b);
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
    const auto& rank = tables().rank;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < key.size() ? rank[static_cast<unsigned char>(key[i])] : 0u);
    return prefix;
}

namespace {

// A key's character at `depth` as the first level of its comparison sees it: 0 past its end (a
// shorter key comes first), else 1 + the weight's rank (text) or the byte (word ends).
class KeyChars {
public:
    KeyChars(const KeyArena& arena, bool binary) : m_arena(arena), m_binary(binary) {}
    int at(const SortKey& key, std::size_t depth) const {
        if (depth >= key.length)
            return 0;
        const auto c = static_cast<unsigned char>(m_arena.view(key)[depth]);
        return 1 + (m_binary ? c : tables().rank[c]);
    }

private:
    const KeyArena& m_arena;
    bool m_binary;
};

struct SortTask {
    std::size_t from;
    std::size_t count;
    std::size_t depth;
};

void insertionSort(SortKey* keys, std::size_t count, const KeyArena& arena, bool binary) {
    for (std::size_t i = 1; i < count; ++i) {
        const SortKey key = keys[i];
        std::size_t j = i;
        for (; j > 0 && compareKeys(key, keys[j - 1], arena, binary) < 0; --j)
            keys[j] = keys[j - 1];
        keys[j] = key;
    }
}

int medianOfThree(int a, int b, int c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// One step of the multikey quicksort: parts of `task` below, at and above the pivot character;
// the part at the pivot goes on with the next character, the others with the same.
void partitionByCharacter(std::vector<SortKey>& keys, const SortTask& task, const KeyChars& chars,
                          const KeyArena& arena, bool binary, std::vector<SortTask>& pending) {
    SortKey* part = keys.data() + task.from;
    const std::size_t n = task.count;
    const int pivot =
        medianOfThree(chars.at(part[0], task.depth), chars.at(part[n / 2], task.depth),
                      chars.at(part[n - 1], task.depth));
    std::size_t lt = 0, i = 0, gt = n;
    while (i < gt) {
        const int c = chars.at(part[i], task.depth);
        if (c < pivot)
            std::swap(part[lt++], part[i++]);
        else if (c > pivot)
            std::swap(part[i], part[--gt]);
        else
            ++i;
    }
    pending.push_back({task.from, lt, task.depth});
    pending.push_back({task.from + gt, n - gt, task.depth});
    if (pivot != 0)
        pending.push_back({task.from + lt, gt - lt, task.depth + 1});
    else // the same letters and length: the accents and case, then the record decide
        std::sort(part + lt, part + gt, [&](const SortKey& a, const SortKey& b) {
            const int c = binary ? 0 : compareSameLetters(arena.view(a), arena.view(b));
            return c != 0 ? c < 0 : a.record < b.record;
        });
}

} // namespace

void SortKeysQuick(std::vector<SortKey>& keys, const KeyArena& arena, SortMode mode) {
    if (keys.size() < 2)
        return;
    const bool binary = mode == SortMode::WordEnd;
    // The packed prefixes order most keys at once; runs that share one go on character by
    // character, so that a long common beginning is read once per run, not once per comparison.
    std::sort(keys.begin(), keys.end(),
              [](const SortKey& a, const SortKey& b) { return a.prefix < b.prefix; });
    const KeyChars chars(arena, binary);
    std::vector<SortTask> pending;
    for (std::size_t from = 0; from < keys.size();) {
        std::size_t to = from + 1;
        while (to < keys.size() && keys[to].prefix == keys[from].prefix)
            ++to;
        pending.push_back({from, to - from, 0});
        while (!pending.empty()) {
            const SortTask task = pending.back();
            pending.pop_back();
            if (task.count < 12)
                insertionSort(keys.data() + task.from, task.count, arena, binary);
            else
                partitionByCharacter(keys, task, chars, arena, binary, pending);
        }
        from = to;
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

void AppendLevelWord(std::string& out, std::string_view record, std::optional<std::size_t> start,
                     int textWidth, SortMode mode) {
    if (mode == SortMode::WordEnd) {
        AppendKeyText(out, record, start, textWidth, mode); // the word alone, reversed
        return;
    }
    const auto& delim = tables().delimiter;
    const std::size_t width =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(textWidth, 0)), record.size());
    if (!start || *start >= width)
        return;
    std::string_view rest = record.substr(*start, width - *start);
    const auto wordEnd = [&delim](std::string_view text) {
        std::size_t end = 0;
        while (end < text.size() && !delim[static_cast<unsigned char>(text[end])])
            ++end;
        return end;
    };
    std::size_t end = wordEnd(rest);
    // As AppendKeyText moves an elided first word behind the rest: "l'homme" sorts as "homme".
    if (end < rest.size() && rest[end] == '\'') {
        rest.remove_prefix(end + 1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        end = wordEnd(rest);
    }
    out.append(rest.substr(0, end));
}

void AppendPackedLevel(std::string& out, std::string_view word, SortMode mode) {
    const auto& t = tables();
    if (mode == SortMode::WordEnd) {
        out.append(word);
        out += '\0';
        return;
    }
    bool plain = true;
    for (const char c : word) {
        out += static_cast<char>(t.rank[static_cast<unsigned char>(c)]);
        plain = plain && t.plain[static_cast<unsigned char>(c)];
    }
    out += '\0'; // a shorter word first, as CompareText puts it
    // Words of the same weights order by their folded letters. A word of plain letters alone
    // comes first of them, and two such words are the same letters: one byte says so, and the
    // sort need not read the letters again (most words have no accent).
    if (plain) {
        out += '\1';
        return;
    }
    out += '\2';
    for (const char c : word)
        out += static_cast<char>(t.folded[static_cast<unsigned char>(c)]);
    out += '\0';
}

std::size_t FirstPackedLength(std::string_view packed) {
    const std::size_t zero = packed.find('\0');
    return zero == std::string_view::npos ? packed.size() : zero;
}

} // namespace lexmora
