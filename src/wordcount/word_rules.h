// How the word counter cuts text into words and files them: the delimiter tables, the one-letter
// words of each language, the bucket of a word's first letter, the piece of a letter further in,
// and the one comparison that sorting and collapsing share.
#pragma once

#include "core/program_state.h"
#include "wordcount/word_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

inline constexpr int kBucketCount = 27;    // a..z, then words beginning with a digit
inline constexpr int kDigitBucket = 27;    // counted as tokens, never listed
inline constexpr int kSubBucketCount = 28; // "_" (word ends), "`" (not a letter), a..z
inline constexpr int kOeBucket = 28;       // first letter Œ or œ: rewritten to "oe", bucket o
inline constexpr const char* kLateWordBreakDigits = "123456789";

// The characters that end a word, as the count run builds them (the hyphen and soft hyphen only
// with the hyphen option).
std::string WordDelimiters(const ProgramState& state, bool hyphenBreaks);

// The one-character words counted for a language (0 English .. 4 Spanish); case-sensitive.
std::string_view SingleLetterWords(int languageIndex);

struct CharTables {
    std::array<std::uint8_t, 256> bucket{};
    std::array<std::uint8_t, 256> piece{};
    std::array<unsigned char, 256> lower{};
};
extern const CharTables kCharTables;

// Bucket of a word by its first character: 1..26 letters, 27 digits, kOeBucket, 0 dropped.
inline int BucketOfFirst(unsigned char c) {
    return kCharTables.bucket[c];
}

// Piece of a bucket being split, by the character at the splitting depth: 1 not a letter,
// 2..27 the letters a..z (accented letters under their base letter, ß under s). Code 0 of the
// table is unused: a word that ends before the depth goes to piece 0.
inline int PieceOf(unsigned char c) {
    return kCharTables.piece[c];
}

// Windows-1252 lower case (A-Z, À-Þ but ×, Š, Œ, Ž, Ÿ).
inline unsigned char LowerCp1252(unsigned char c) {
    return kCharTables.lower[c];
}
std::string LowerCp1252(std::string_view text);
// The upper-case letters that keep a line-end hyphen (A-Z and codes 192-221 but 215).
bool IsHyphenKeepingCapital(unsigned char c);

// The order of the word list within a bucket: letters compared by base letter first (the order
// in which splitting files them), then accents, then lower case before upper case. It is a
// total order; two words are the same type when their lower-case forms are equal.
int CompareWords(std::string_view a, std::string_view b);
// The same order without its last step (lower case before upper case): two spellings of one
// type compare equal.
int CompareTypes(std::string_view a, std::string_view b);
bool SameType(std::string_view a, std::string_view b);

// Spellings in CompareWords order. A spelling's first eight base letters, packed into one
// number, settle most comparisons; only spellings that share them are compared letter by
// letter. `keys` is room the caller keeps from call to call.
struct KeyedWord {
    std::uint64_t key;
    WordEntry entry;
};
void SortWords(const std::string& arena, std::span<WordEntry> entries,
               std::vector<KeyedWord>& keys);

// Everything the word cutter needs, built once per run from the state.
struct WordRules {
    // 0 word character, 1 delimiter, 2 a late word-break digit (a delimiter from the fourth
    // character of a word on), 3 œ or Œ expanded to "oe" / "OE" (French), 4 the right single
    // quotation mark read as an apostrophe (apostrophe word-break on).
    std::array<std::uint8_t, 256> cls{};
    // Per byte: bit 0 not a delimiter (class 0, 2, 3, 4), bit 1 a byte that only the cutter's
    // general path handles (classes 2..4), bit 2 the apostrophe under the apostrophe rule.
    std::array<std::uint8_t, 256> mark{};
    // Bits 0 and 1 of `mark` for the vector test: per bit, the rows of the high nibbles 0..7
    // and 8..15, indexed by the low nibble, bit h of a row standing for high nibble h (mod 8).
    std::array<std::uint8_t, 64> markRows{};
    std::string singleLetters;
    std::array<bool, 256> singleLetter{};
    bool french = false;
    bool apostropheRule = false; // French with the apostrophe word-break
    int languageIndex = 0;
};
WordRules MakeWordRules(const ProgramState& state);

// The bytes past a text that the cutter may read (never use): the marks are taken 64 bytes at
// a time.
inline constexpr std::size_t kCutterSlack = 64;

// The marks of `blocks` blocks of 64 bytes from `p`, three words a block, bit j for byte j:
// the bytes that are no delimiter, those for the general path, the apostrophes (see
// WordRules::mark). `vector` false: byte by byte, as on a processor without AVX2.
inline constexpr std::size_t kMarkWords = 3;
void MarkWordBytes(const WordRules& rules, const unsigned char* p, std::size_t blocks,
                   std::uint64_t* out, bool vector = true);

// Cuts words from `text` as the counter does and calls sink(word) for every word it records
// (after the apostrophe rule and the one-letter test). State is kept across calls, so a text
// may be fed in pieces; finish() ends the last word. Lines joined at a line-end hyphen are
// handled before this by the reader.
template <typename Sink> class WordCutter {
public:
    WordCutter(const WordRules& rules, Sink& sink) : m_rules(rules), m_sink(sink) {
        m_word.reserve(256);
    }

    // Cuts the first `size` bytes of `block`. A word that lies whole in them goes to the sink
    // as a view of the block; only a word that the end cuts, or that has a character to
    // rewrite, is copied first, and goes to sink.copied() where the sink has it, for it will
    // not stay where it is. The byte after them is overwritten with a mark that stops the
    // general path's loops (a late digit: neither a delimiter nor a plain word character), so
    // that they need no bounds check per byte.
    // Kept out of its caller, so that the loop has the registers to itself.
    [[gnu::noinline]] void feed(std::string& block, std::size_t size) {
        if (block.size() < size + kCutterSlack)
            block.resize(size + kCutterSlack);
        block[size] = '1';
        const auto* p = reinterpret_cast<const unsigned char*>(block.data());
        std::size_t i = 0;
        if (!m_word.empty())
            i = continueWord(p, size, 0);
        if (i < size)
            cutRuns(p, size, i);
    }

    void finish() {
        endWord<true>(m_word);
        m_word.clear();
    }

private:
    // The runs of non-delimiters in p[from, size), found from the marks 64 bytes at a time
    // without a branch per byte. A run of plain word bytes that ends before `size` is a word
    // as it stands, split at its apostrophes under the apostrophe rule; any other goes the
    // general way.
    void cutRuns(const unsigned char* p, std::size_t size, std::size_t from) {
        // marked a piece at a time, so that the marks stay in the first-level cache
        constexpr std::size_t kPiece = 64;
        std::array<std::uint64_t, kMarkWords * kPiece> marks;
        const std::size_t n = size - from;
        const std::size_t blocks = (n + 63) / 64;
        const unsigned char* const q = p + from;
        Run run;
        for (std::size_t first = 0; first < blocks; first += kPiece) {
            const std::size_t count = std::min(kPiece, blocks - first);
            MarkWordBytes(m_rules, q + 64 * first, count, marks.data());
            if (first + count == blocks && n % 64 != 0) {
                // the bytes past the end are no part of any run
                const std::uint64_t inside = ~std::uint64_t{0} >> (64 - n % 64);
                for (std::size_t k = 0; k < kMarkWords; ++k)
                    marks[kMarkWords * (count - 1) + k] &= inside;
            }
            for (std::size_t k = 0; k < count; ++k) {
                const std::uint64_t* m = marks.data() + kMarkWords * k;
                const std::size_t b = first + k;
                if ((m[1] | m[2]) == 0 && b + 1 < blocks) [[likely]]
                    cutBlock<false>(q, from, size, 64 * b, m, run);
                else
                    cutBlock<true>(q, from, size, 64 * b, m, run);
            }
        }
        if (run.open)
            cutGenerally(p, size, from + run.start, size);
    }

    // A run of word bytes that the end of a block of marks left open.
    struct Run {
        std::size_t start = 0;
        std::uint64_t general = 0, apostrophes = 0;
        bool open = false;
    };

    // The runs that end in a block of marks, paired with their starts from the bits where runs
    // start and where they stop. `Mixed` false: a block of plain word bytes only, not the last,
    // whose runs are words as they stand; true: any block, each run looked at for the bytes it
    // holds and for the end of the text.
    template <bool Mixed>
    [[gnu::always_inline]] void cutBlock(const unsigned char* q, std::size_t from, std::size_t size,
                                         std::size_t base, const std::uint64_t* m, Run& run) {
        const std::uint64_t words = m[0];
        const std::uint64_t before = (words << 1) | (run.open ? 1 : 0);
        std::uint64_t starts = words & ~before;
        std::uint64_t ends = ~words & before;
        if (run.open) {
            if constexpr (Mixed) {
                const std::uint64_t span = ends == 0 ? ~std::uint64_t{0} : (ends & -ends) - 1;
                run.general |= m[1] & span;
                run.apostrophes |= m[2] & span;
            }
            if (ends == 0)
                return;
            takeRun(q, from, size, run.start,
                    base + static_cast<std::size_t>(std::countr_zero(ends)), run.general,
                    run.apostrophes);
            run.open = false;
            ends &= ends - 1;
        }
        while (ends != 0) {
            const int s = std::countr_zero(starts);
            const int e = std::countr_zero(ends);
            if constexpr (Mixed) {
                const std::uint64_t span = (std::uint64_t{1} << e) - (std::uint64_t{1} << s);
                takeRun(q, from, size, base + static_cast<std::size_t>(s),
                        base + static_cast<std::size_t>(e), m[1] & span, m[2] & span);
            } else {
                record<false>(std::string_view(reinterpret_cast<const char*>(q + base + s),
                                               static_cast<std::size_t>(e - s)));
            }
            starts &= starts - 1;
            ends &= ends - 1;
        }
        if (starts != 0) {
            const int s = std::countr_zero(starts);
            run.open = true;
            run.start = base + static_cast<std::size_t>(s);
            run.general = Mixed ? m[1] >> s : 0;
            run.apostrophes = Mixed ? m[2] >> s : 0;
        }
    }

    // The run q[s, e) (offsets from `from`), its delimiter at q[e] unless it reaches the end.
    [[gnu::always_inline]] void takeRun(const unsigned char* q, std::size_t from, std::size_t size,
                                        std::size_t s, std::size_t e, std::uint64_t general,
                                        std::uint64_t apostrophes) {
        const std::string_view word(reinterpret_cast<const char*>(q + s), e - s);
        if (general != 0 || from + e >= size) [[unlikely]]
            cutGenerally(q - from, size, from + s, from + e);
        else if (apostrophes != 0) [[unlikely]]
            splitAtApostrophes<false>(word);
        else
            record<false>(word);
    }

    // The words of the run p[i, e), e its delimiter or the end, the general way.
    [[gnu::noinline]] void cutGenerally(const unsigned char* p, std::size_t size, std::size_t i,
                                        std::size_t e) {
        do
            i = cutWord(p, size, i);
        while (i < e);
    }

    // One word from p[i], which is no delimiter: late digits, rewritten characters and the end
    // of the block looked at byte by byte. Returns where the next word may start.
    std::size_t cutWord(const unsigned char* p, std::size_t size, std::size_t i) {
        const std::uint8_t* const cls = m_rules.cls.data();
        const std::size_t start = i;
        std::uint8_t k;
        for (;;) {
            while ((k = cls[p[i]]) == 0)
                ++i;
            if (k != 2 || i >= size || i - start >= 3)
                break;
            ++i; // a digit among a word's first three characters
        }
        if (i >= size || k >= 3) {
            m_word.assign(reinterpret_cast<const char*>(p + start), std::min(i, size) - start);
            return i >= size ? size : continueWord(p, size, i);
        }
        endWord<false>(std::string_view(reinterpret_cast<const char*>(p + start), i - start));
        return k == 1 ? i + 1 : i; // a late digit starts the next word
    }

    // Goes on with the word in m_word from p[i]: returns where the word ended (after its
    // delimiter), or `size` when it runs on past the block.
    std::size_t continueWord(const unsigned char* p, std::size_t size, std::size_t i) {
        const auto& cls = m_rules.cls;
        std::size_t start = i;
        while (i < size) {
            const std::uint8_t k = cls[p[i]];
            if (k == 0) {
                ++i;
                continue;
            }
            if (k == 2 && m_word.size() + (i - start) < 3) {
                ++i;
                continue;
            }
            if (k >= 3) {
                m_word.append(reinterpret_cast<const char*>(p + start), i - start);
                if (k == 4)
                    m_word += '\'';
                else
                    m_word += p[i] == 156 ? "oe" : "OE";
                start = ++i;
                continue;
            }
            break;
        }
        m_word.append(reinterpret_cast<const char*>(p + start), i - start);
        if (i < size) {
            endWord<true>(m_word);
            m_word.clear();
            if (cls[p[i]] == 1)
                ++i;
        }
        return i;
    }

    template <bool Copied> [[gnu::always_inline]] void endWord(std::string_view word) {
        if (word.empty())
            return;
        if (m_rules.apostropheRule) [[unlikely]]
            endWordAtApostrophes<Copied>(word);
        else
            record<Copied>(word);
    }

    template <bool Copied> [[gnu::noinline]] void endWordAtApostrophes(std::string_view word) {
        if (apostropheIn(word) != std::string_view::npos)
            splitAtApostrophes<Copied>(word);
        else
            record<Copied>(word);
    }

    // Where the first apostrophe is: words are short, and a call to search them costs more.
    static std::size_t apostropheIn(std::string_view word) {
        for (std::size_t i = 0; i < word.size(); ++i)
            if (word[i] == '\'')
                return i;
        return std::string_view::npos;
    }

    template <bool Copied> void splitAtApostrophes(std::string_view rest) {
        for (std::size_t p = apostropheIn(rest); p != std::string_view::npos;
             p = apostropheIn(rest)) {
            if (p == 7 && LowerCp1252(rest.substr(0, 7)) == "aujourd") {
                record<Copied>(rest);
                return;
            }
            if (p > 0)
                record<Copied>(rest.substr(0, p));
            rest.remove_prefix(p + 1);
        }
        if (!rest.empty())
            record<Copied>(rest);
    }

    template <bool Copied> [[gnu::always_inline]] void record(std::string_view word) {
        if (word.size() == 1 && !m_rules.singleLetter[static_cast<unsigned char>(word[0])])
            return;
        if constexpr (Copied && requires { m_sink.copied(word); })
            m_sink.copied(word);
        else
            m_sink(word);
    }

    const WordRules& m_rules;
    Sink& m_sink;
    std::string m_word;
};

} // namespace lexmora
