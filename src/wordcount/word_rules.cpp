#include "wordcount/word_rules.h"

#include "core/cpu_features.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LEXMORA_X86_MARKS 1
#endif

namespace lexmora {

namespace {

// ", .?/:;()!&*[]{}<>=%#+\@_`~¡$£§«»¿×¤¦¨©" soft-hyphen "®¯°±·¹º", in Windows-1252.
constexpr unsigned char kFixedDelimiters[] = {
    ',', ' ', '.', '?', '/', ':', ';',  '(', ')', '!', '&', '*', '[', ']', '{', '}',
    '<', '>', '=', '%', '#', '+', '\\', '@', '_', '`', '~', 161, '$', 163, 167, 171,
    187, 191, 215, 164, 166, 168, 169,  173, 174, 175, 176, 177, 183, 185, 186};
constexpr unsigned char kOtherDelimiters[] = {127, 128, 129, 141, 142, 143, 144, 157, 158, 160, 0};

constexpr CharTables makeTables() {
    CharTables r;
    for (int c = 0; c < 256; ++c) {
        r.lower[c] = static_cast<unsigned char>(c);
        r.piece[c] = 1;
    }
    for (int c = 'A'; c <= 'Z'; ++c)
        r.lower[c] = static_cast<unsigned char>(c + 32);
    for (int c = 192; c <= 222; ++c)
        if (c != 215)
            r.lower[c] = static_cast<unsigned char>(c + 32);
    r.lower[138] = 154;
    r.lower[140] = 156;
    r.lower[142] = 158;
    r.lower[159] = 255;

    for (int c = 0; c < 26; ++c) {
        r.bucket['A' + c] = r.bucket['a' + c] = static_cast<std::uint8_t>(c + 1);
        r.piece['A' + c] = r.piece['a' + c] = static_cast<std::uint8_t>(c + 2);
    }
    auto both = [&r](std::initializer_list<int> codes, char letter) constexpr {
        for (int c : codes) {
            r.bucket[c] = static_cast<std::uint8_t>(letter - 'a' + 1);
            r.piece[c] = static_cast<std::uint8_t>(letter - 'a' + 2);
        }
    };
    both({224, 225, 226, 228, 192, 193, 194, 196, 198, 230}, 'a');
    both({231, 199}, 'c');
    both({232, 233, 234, 235, 200, 201, 202, 203}, 'e');
    both({236, 237, 238, 239, 204, 205, 206, 207}, 'i');
    both({241, 209}, 'n');
    both({242, 243, 244, 246, 210, 211, 212, 214}, 'o');
    both({249, 250, 251, 252, 217, 218, 219, 220}, 'u');
    both({140, 156}, 'o');
    r.bucket[140] = r.bucket[156] = kOeBucket;
    r.piece[223] = 's' - 'a' + 2; // ß splits under s but starts no listed word
    for (int c = '0'; c <= '9'; ++c)
        r.bucket[c] = kDigitBucket;
    return r;
}

void markPlain(const WordRules& rules, const unsigned char* p, std::size_t blocks,
               std::uint64_t* out) {
    const std::uint8_t* const mark = rules.mark.data();
    for (std::size_t b = 0; b < blocks; ++b, p += 64) {
        std::uint64_t words = 0, general = 0, apostrophes = 0;
        for (unsigned j = 0; j < 64; ++j) {
            const std::uint64_t m = mark[p[j]];
            words |= (m & 1) << j;
            general |= ((m >> 1) & 1) << j;
            apostrophes |= (m >> 2) << j;
        }
        out[kMarkWords * b] = words;
        out[kMarkWords * b + 1] = general;
        out[kMarkWords * b + 2] = apostrophes;
    }
}

#ifdef LEXMORA_X86_MARKS

// Set membership of 32 bytes at once for an arbitrary set of the 256 codes: the low nibble
// picks a row of the table (the byte's top bit the half of it), the high nibble a bit of the
// row.
struct Avx2Marks {
    __attribute__((target("avx2"))) explicit Avx2Marks(const WordRules& rules) {
        const auto* rows = reinterpret_cast<const __m128i*>(rules.markRows.data());
        wordsLow = _mm256_broadcastsi128_si256(_mm_loadu_si128(rows));
        wordsHigh = _mm256_broadcastsi128_si256(_mm_loadu_si128(rows + 1));
        generalLow = _mm256_broadcastsi128_si256(_mm_loadu_si128(rows + 2));
        generalHigh = _mm256_broadcastsi128_si256(_mm_loadu_si128(rows + 3));
        apostrophe = _mm256_set1_epi8(rules.apostropheRule ? '\'' : 0);
        bits = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4,
                                8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    }

    // A word, a general and an apostrophe mark of 32 bytes. Without the apostrophe rule the
    // apostrophe compared with is NUL, never a word byte.
    __attribute__((target("avx2"))) void mark(const unsigned char* p, std::uint32_t& words,
                                              std::uint32_t& general,
                                              std::uint32_t& apostrophes) const {
        const __m256i nibble = _mm256_set1_epi8(0x0F);
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i low = _mm256_and_si256(v, nibble);
        const __m256i bit =
            _mm256_shuffle_epi8(bits, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
        const __m256i w = _mm256_blendv_epi8(_mm256_shuffle_epi8(wordsLow, low),
                                             _mm256_shuffle_epi8(wordsHigh, low), v);
        const __m256i g = _mm256_blendv_epi8(_mm256_shuffle_epi8(generalLow, low),
                                             _mm256_shuffle_epi8(generalHigh, low), v);
        words = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(w, bit), bit)));
        general = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(g, bit), bit)));
        apostrophes =
            static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, apostrophe))) &
            words;
    }

    __m256i wordsLow, wordsHigh, generalLow, generalHigh, apostrophe, bits;
};

__attribute__((target("avx2"))) void markAvx2(const WordRules& rules, const unsigned char* p,
                                              std::size_t blocks, std::uint64_t* out) {
    const Avx2Marks marks(rules);
    for (std::size_t b = 0; b < blocks; ++b, p += 64) {
        std::uint32_t w0, g0, a0, w1, g1, a1;
        marks.mark(p, w0, g0, a0);
        marks.mark(p + 32, w1, g1, a1);
        out[kMarkWords * b] = w0 | (static_cast<std::uint64_t>(w1) << 32);
        out[kMarkWords * b + 1] = g0 | (static_cast<std::uint64_t>(g1) << 32);
        out[kMarkWords * b + 2] = a0 | (static_cast<std::uint64_t>(a1) << 32);
    }
}

#endif

} // namespace

void MarkWordBytes(const WordRules& rules, const unsigned char* p, std::size_t blocks,
                   std::uint64_t* out, bool vector) {
#ifdef LEXMORA_X86_MARKS
    if (vector && CpuHasAvx2()) {
        markAvx2(rules, p, blocks, out);
        return;
    }
#endif
    (void)vector;
    markPlain(rules, p, blocks, out);
}

constinit const CharTables kCharTables = makeTables();

std::string WordDelimiters(const ProgramState& state, bool hyphenBreaks) {
    std::string d(std::begin(kFixedDelimiters), std::end(kFixedDelimiters));
    d += '"';
    d += state.SymbolChars;
    for (int c = 1; c <= 31; ++c)
        d += static_cast<char>(c);
    d.append(std::begin(kOtherDelimiters), std::end(kOtherDelimiters));
    if (hyphenBreaks) {
        d += '-';
        d += static_cast<char>(173);
    }
    return d;
}

std::string_view SingleLetterWords(int languageIndex) {
    static constexpr std::string_view kWords[] = {
        "aAI",
        "a\xE0"
        "c\xE7"
        "djlmn\xF4styA\xC0"
        "C\xC7"
        "DJLMNO\xD4STY",
        "oO",
        "acde\xE8ilosvACDE\xC8ILOSV",
        "aeouyAEOUY",
    };
    if (languageIndex < 0 || languageIndex > 4)
        return kWords[0];
    return kWords[languageIndex];
}

std::string LowerCp1252(std::string_view text) {
    const auto& lower = kCharTables.lower;
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
    return out;
}

bool IsHyphenKeepingCapital(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 192 && c <= 221 && c != 215);
}

int CompareTypes(std::string_view a, std::string_view b) {
    const CharTables& t = kCharTables;
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const std::size_t n = std::min(a.size(), b.size());
    // 1: base letters (the order splitting gives); a word that ends first comes first
    for (std::size_t i = 0; i < n; ++i) {
        const int x = t.piece[pa[i]], y = t.piece[pb[i]];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    // 2: accents and other characters, case ignored
    for (std::size_t i = 0; i < n; ++i) {
        const int x = t.lower[pa[i]], y = t.lower[pb[i]];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

int CompareWords(std::string_view a, std::string_view b) {
    if (const int order = CompareTypes(a, b); order != 0)
        return order;
    // 3: the lower-case spelling first
    const CharTables& t = kCharTables;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return x == t.lower[x] ? -1 : 1;
    }
    return 0;
}

void SortWords(const std::string& arena, std::span<WordEntry> entries,
               std::vector<KeyedWord>& keys) {
    const CharTables& t = kCharTables;
    keys.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(arena.data() + entries[i].offset);
        const std::size_t n = std::min<std::size_t>(entries[i].length, 8);
        // Base letters are 1 and up: a spelling that ends first has 0 where the other goes on.
        std::uint64_t key = 0;
        for (std::size_t j = 0; j < n; ++j)
            key |= std::uint64_t{t.piece[p[j]]} << (56 - 8 * j);
        keys[i] = {key, entries[i]};
    }
    std::sort(keys.begin(), keys.end(), [&arena](const KeyedWord& a, const KeyedWord& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return CompareWords(a.entry.in(arena), b.entry.in(arena)) < 0;
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = keys[i].entry;
}

bool SameType(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto& lower = kCharTables.lower;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

WordRules MakeWordRules(const ProgramState& state) {
    WordRules rules;
    rules.languageIndex = state.LanguageIndex;
    rules.french = state.LanguageIndex == static_cast<int>(LanguageId::French);
    rules.apostropheRule = rules.french && state.WordbreakAtApostrophe;
    for (unsigned char c : WordDelimiters(state, state.WordbreakAtHyphen))
        rules.cls[c] = 1;
    for (const char* d = kLateWordBreakDigits; *d; ++d)
        rules.cls[static_cast<unsigned char>(*d)] = 2;
    if (rules.french)
        rules.cls[140] = rules.cls[156] = 3;
    if (state.WordbreakAtApostrophe)
        rules.cls[146] = 4;
    for (int c = 0; c < 256; ++c) {
        const std::uint8_t k = rules.cls[static_cast<std::size_t>(c)];
        const bool apostrophe = c == '\'' && k == 0 && rules.apostropheRule;
        rules.mark[static_cast<std::size_t>(c)] =
            static_cast<std::uint8_t>((k != 1 ? 1 : 0) | (k >= 2 ? 2 : 0) | (apostrophe ? 4 : 0));
        for (int set = 0; set < 2; ++set)
            if (rules.mark[static_cast<std::size_t>(c)] & (1 << set))
                rules.markRows[static_cast<std::size_t>(32 * set + 16 * (c >> 7) + (c & 15))] |=
                    static_cast<std::uint8_t>(1 << ((c >> 4) & 7));
    }
    rules.singleLetters = std::string(SingleLetterWords(state.LanguageIndex));
    for (unsigned char c : rules.singleLetters)
        rules.singleLetter[c] = true;
    return rules;
}

} // namespace lexmora
