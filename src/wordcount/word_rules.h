// How the word counter cuts text into words and files them: the delimiter tables, the one-letter
// words of each language, the bucket of a word's first letter, the piece of a letter further in,
// and the one comparison that sorting and collapsing share.
#pragma once

#include "core/program_state.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
bool SameType(std::string_view a, std::string_view b);

// Everything the word cutter needs, built once per run from the state.
struct WordRules {
    // 0 word character, 1 delimiter, 2 a late word-break digit (a delimiter from the fourth
    // character of a word on), 3 œ or Œ expanded to "oe" / "OE" (French), 4 the right single
    // quotation mark read as an apostrophe (apostrophe word-break on).
    std::array<std::uint8_t, 256> cls{};
    std::string singleLetters;
    std::array<bool, 256> singleLetter{};
    bool plainAsciiLetters = false; // every letter A-Z, a-z is a plain word character (class 0)
    bool french = false;
    bool apostropheRule = false; // French with the apostrophe word-break
    int languageIndex = 0;
};
WordRules MakeWordRules(const ProgramState& state);

// The bytes past a text that the cutter may read (never use): 16 at a time.
inline constexpr std::size_t kCutterSlack = 16;

// Where the run of ASCII letters from `p` ends: 16 bytes compared at once, the whole loop of
// most words. The run must end before the readable memory does.
inline const unsigned char* SkipAsciiLetters(const unsigned char* p) {
#ifdef __SSE2__
    const __m128i caseBit = _mm_set1_epi8(0x20);
    // a..z (with the case bit set) moved to the bottom of the signed range: -128 .. -103
    const __m128i shift = _mm_set1_epi8(static_cast<char>(0x80 - 'a'));
    const __m128i limit = _mm_set1_epi8(static_cast<char>(-128 + 26));
    for (;;) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i folded = _mm_add_epi8(_mm_or_si128(v, caseBit), shift);
        const auto letters =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(folded, limit)));
        if (letters != 0xFFFF)
            return p + __builtin_ctz(~letters);
        p += 16;
    }
#else
    while (((*p | 0x20) - 'a') < 26u)
        ++p;
    return p;
#endif
}

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
    // not stay where it is. The byte after them is overwritten with a mark that stops both
    // scanning loops (a late digit: neither a delimiter nor a plain word character), so that
    // they need no bounds check per byte.
    // Kept out of its caller, so that the loop has the registers to itself.
    [[gnu::noinline]] void feed(std::string& block, std::size_t size) {
        if (block.size() < size + kCutterSlack)
            block.resize(size + kCutterSlack);
        block[size] = '1';
        const auto* p = reinterpret_cast<const unsigned char*>(block.data());
        // held in registers: the sink's stores might otherwise be taken to change them
        const std::uint8_t* const cls = m_rules.cls.data();
        const bool asciiRuns = m_rules.plainAsciiLetters;
        std::size_t i = 0;
        if (!m_word.empty())
            i = continueWord(p, size, 0);
        while (i < size) {
            while (cls[p[i]] == 1)
                ++i;
            if (i >= size)
                return;
            const std::size_t start = i;
            if (asciiRuns) {
                // The common word: ASCII letters up to a delimiter (never the end mark, a
                // digit), recorded without the general loop's checks.
                const std::size_t end = static_cast<std::size_t>(SkipAsciiLetters(p + i) - p);
                if (cls[p[end]] == 1) {
                    endWord<false>(
                        std::string_view(reinterpret_cast<const char*>(p + start), end - start));
                    i = end + 1;
                    continue;
                }
                i = end;
            }
            std::uint8_t k;
            for (;;) {
                if (asciiRuns)
                    i = static_cast<std::size_t>(SkipAsciiLetters(p + i) - p);
                while ((k = cls[p[i]]) == 0)
                    ++i;
                if (k != 2 || i >= size || i - start >= 3)
                    break;
                ++i; // a digit among a word's first three characters
            }
            if (i >= size || k >= 3) {
                m_word.assign(reinterpret_cast<const char*>(p + start), std::min(i, size) - start);
                if (i >= size)
                    return;
                i = continueWord(p, size, i);
                continue;
            }
            endWord<false>(std::string_view(reinterpret_cast<const char*>(p + start), i - start));
            if (k == 1)
                ++i;
            // else a late digit, which starts the next word
        }
    }

    void finish() {
        endWord<true>(m_word);
        m_word.clear();
    }

private:
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
        if (word.find('\'') != std::string_view::npos)
            splitAtApostrophes<Copied>(word);
        else
            record<Copied>(word);
    }

    template <bool Copied> void splitAtApostrophes(std::string_view rest) {
        for (std::size_t p = rest.find('\''); p != std::string_view::npos; p = rest.find('\'')) {
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
