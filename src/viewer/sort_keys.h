// Sort keys of KWIC records: the word at a distance from the keyword, read forwards or backwards,
// the comparison of each sort, and the non-recursive quicksort that moves keys and record numbers
// together.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// The command values of the sort: -1 by word beginning, 1 by word end, 0 none pending.
enum class SortMode { WordBeginning = -1, None = 0, WordEnd = 1 };

// The ten digits and the punctuation that end a word for sorting (Windows-1252).
extern const std::string_view kSortDelimiters;
bool IsSortDelimiter(unsigned char c);

// A key held in a KeyArena; `prefix` packs the first weights so most comparisons stop there.
struct SortKey {
    std::uint64_t prefix = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t record = 0; // the record the key belongs to; breaks ties, so the order is total
};

// All keys of a sort in blocks of 1 MiB: no allocation per key, and no block ever moves or is
// copied as the keys grow (a single growing buffer held up to twice its bytes while it grew).
class KeyArena {
public:
    static constexpr std::uint32_t kBlockBits = 20;
    static constexpr std::uint32_t kBlockSize = 1u << kBlockBits;

    std::string_view view(const SortKey& key) const {
        if (key.length == 0)
            return {};
        return {m_blocks[key.offset >> kBlockBits].get() + (key.offset & (kBlockSize - 1)),
                key.length};
    }
    // Stores a key (at most kBlockSize bytes: a key is part of one record) and gives its offset.
    std::uint32_t add(std::string_view bytes);
    void clear();
    std::size_t bytesHeld() const { return m_blocks.size() * std::size_t{kBlockSize}; }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::uint32_t m_used = kBlockSize; // in the last block
};

// Where the key of a record starts (0-based index into the record), or nothing when the record
// holds no word at that position. `keywordColumn` is 1-based (LeftContextWidth + 6); the walk to
// the right stops at 1-based column `rightLimitColumn`, and no walk leaves the first
// `textWidth` characters (the record's text field).
std::optional<std::size_t> FindKeyStart(std::string_view record, int keywordColumn, int textWidth,
                                        int leftPos, int rightPos, int rightLimitColumn);

// Appends the key text of a record to `out`: by word end the word at `start` reversed; by word
// beginning the rest of the text field from `start` (trailing blanks removed), an elided first
// word ("l'homme") moved behind the rest.
void AppendKeyText(std::string& out, std::string_view record, std::optional<std::size_t> start,
                   int textWidth, SortMode mode);

// Text comparison (case-insensitive, accents after their base letter) or binary comparison.
int CompareText(std::string_view a, std::string_view b);
int CompareBinary(std::string_view a, std::string_view b);

// The first eight characters of a key packed in one number that orders as the mode compares:
// weights by rank for text, bytes for word ends.
std::uint64_t KeyPrefix(std::string_view key, SortMode mode);

// SortIndex: keys in the order of the mode's comparison, equal keys by record number. The order
// is total, so any sort gives it; this one sorts on the packed prefixes, then each run that
// shares a prefix by a multikey quicksort on the keys' characters.
void SortKeysQuick(std::vector<SortKey>& keys, const KeyArena& arena, SortMode mode);

// The word at the start of a key (up to its first delimiter); by word end the key reversed back.
std::string CollocateWord(std::string_view key, SortMode mode);

// --- sorts on several words ---------------------------------------------------------------------
// One level of a sort: the word at a place (0 0: the keyword), read forwards or backwards.
struct SortLevel {
    SortMode mode = SortMode::WordBeginning;
    int leftPos = 0;
    int rightPos = 0;
    bool operator==(const SortLevel&) const = default;
};
inline constexpr std::size_t kMaxSortLevels = 3;

// A sort of several levels keys each record on the word at each level's place (one level keys on
// the rest of the text from its word). The word of a level: by word beginning the word at
// `start` (an elided first word, "l'homme", gives the word it is joined to), by word end that
// word reversed. Empty when the record holds no word there.
void AppendLevelWord(std::string& out, std::string_view record, std::optional<std::size_t> start,
                     int textWidth, SortMode mode);
// The words of all levels packed so that the binary order of the packed keys is the order of
// the levels, each by its mode's comparison: by word beginning the word's weight ranks, a 0,
// then a 1 when its letters are all the first of their weights (no accent), else a 2, its
// case-folded letters (accents kept) and a 0; by word end its bytes and a 0. SortKeysQuick in
// binary order (SortMode::WordEnd) then sorts a sort of several levels.
void AppendPackedLevel(std::string& out, std::string_view word, SortMode mode);
// The length of the first level's word in a packed key (its bytes up to the first 0).
std::size_t FirstPackedLength(std::string_view packed);

} // namespace lexmora
