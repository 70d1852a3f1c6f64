// The matcher: where a compiled keyword may start in the searched text, and whether it matches
// there. It runs once per candidate hit and recurses through the pattern's tokens, so it is
// defined here, where the scanner's loop can inline it.
#pragma once

#include "core/program_state.h"
#include "search/scan_pattern.h"
#include "search/text_fold.h"
#include "search/word_classes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string.h> // memmem
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_set>
#include <vector>

namespace lexmora {

// Every representation of each special letter in a file's code, folded as its text is.
struct LetterRepresentations {
    std::vector<std::vector<std::string>> special; // entry j - 1: special letter j (1..52)
    std::vector<std::string> anyLetter;            // what the single-letter wildcard also takes
};
LetterRepresentations MakeLetterRepresentations(const ProgramState& state, int codeIndex,
                                                const Fold& fold, bool caseSensitive);

// The tokens still to match after a sub-sequence (the endings of "+" and "/").
struct Continuation {
    const std::vector<ScanToken>* tokens;
    std::size_t index;
    bool requireWordEnd; // a required ending counts only when no word character follows it
    const Continuation* next;
    std::uint32_t id = 0; // the same for every continuation of the same rest (0: none)
};

class Matcher {
public:
    Matcher(const ScanPattern& pattern, const WordClasses& classes,
            const LetterRepresentations& representations, bool htmlMode, unsigned char tagOpen,
            unsigned char tagClose)
        : m_pattern(pattern), m_classes(classes), m_reps(representations.special),
          m_letterReps(representations.anyLetter), m_html(htmlMode), m_tagOpen(tagOpen),
          m_tagClose(tagClose), m_memoStars(countStars(pattern.tokens) >= 2) {}

    // The text matched in; `endIsFinal`: the file ends where the text does.
    void setText(const char* text, std::size_t size, bool endIsFinal) {
        m_text = reinterpret_cast<const unsigned char*>(text);
        m_size = size;
        m_final = endIsFinal;
    }

    enum class Outcome { Match, NoMatch, NeedMore };

    // Tries the whole pattern with its first token at `start`; `end` is set on a match.
    Outcome matchAt(std::size_t start, std::size_t& end) {
        m_needMore = false;
        if (!m_failed.empty())
            m_failed.clear();
        bool matched;
        if (m_pattern.start == ScanStart::WildcardWord) {
            const std::size_t wordEnd = skipWord(start);
            matched = !m_needMore && wordEnd > start && run(m_pattern.tokens, 0, wordEnd, nullptr);
        } else {
            matched = run(m_pattern.tokens, 0, start, nullptr);
        }
        if (matched) {
            end = m_end;
            return Outcome::Match;
        }
        return m_needMore ? Outcome::NeedMore : Outcome::NoMatch;
    }

    // The next place where the pattern may start, from `from`; npos when there is none in the
    // text (or, when `needMore`, none that can be told before more text is read).
    std::size_t findCandidate(std::size_t from, bool& needMore) {
        needMore = false;
        const char* base = reinterpret_cast<const char*>(m_text);
        switch (m_pattern.start) {
        case ScanStart::Literal: // found in the text as read, by a LiteralFinder
            return std::string::npos;
        case ScanStart::Special: {
            std::size_t best = std::string::npos;
            const int j = m_pattern.tokens.front().special;
            if (j < 1 || j > 52)
                return best;
            for (const std::string& rep : m_reps[static_cast<std::size_t>(j - 1)]) {
                if (from >= m_size)
                    break;
                const std::size_t limit = best == std::string::npos ? m_size : best;
                if (limit <= from)
                    break;
                const void* hit = memmem(base + from, limit - from, rep.data(), rep.size());
                if (hit)
                    best = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
            }
            return best;
        }
        case ScanStart::AnyLetter:
            for (std::size_t p = from; p < m_size; ++p) {
                const unsigned char c = m_text[p];
                if (m_classes.word1[c] && c != '#' && c != '$' && c != '%' &&
                    !(c >= '0' && c <= '9'))
                    return p;
            }
            return std::string::npos;
        case ScanStart::WildcardWord:
        case ScanStart::EachWord: {
            std::size_t p = from;
            // A search that resumes inside a word goes on at the next word.
            if (p > 0 && p < m_size && m_classes.word1[m_text[p - 1]])
                while (p < m_size && m_classes.word1[m_text[p]])
                    ++p;
            while (p < m_size && !m_classes.word1[m_text[p]])
                ++p;
            if (p >= m_size) {
                needMore = !m_final;
                return std::string::npos;
            }
            return p;
        }
        }
        return std::string::npos;
    }

private:
    // -1 past the end of the text (and a note that more text is wanted when there is more).
    int at(std::size_t p) {
        if (p < m_size)
            return m_text[p];
        if (!m_final)
            m_needMore = true;
        return -1;
    }
    bool word1(std::size_t p) {
        const int c = at(p);
        return c >= 0 && m_classes.word1[c];
    }
    bool word2(std::size_t p) {
        const int c = at(p);
        return c >= 0 && m_classes.word2[c];
    }
    bool wordBefore(std::size_t p) { // the character before p is a word character
        return p > 0 && m_classes.word1[m_text[p - 1]];
    }

    bool startHolds(WordStart start, std::size_t p) {
        switch (start) {
        case WordStart::None:
            return true;
        case WordStart::Boundary:
            return !wordBefore(p);
        case WordStart::AfterOneLetter:
            return wordBefore(p) && !wordBefore(p - 1);
        }
        return true;
    }

    bool textAt(std::size_t p, std::string_view s) {
        if (p + s.size() > m_size) {
            if (!m_final)
                m_needMore = true;
            return false;
        }
        return std::memcmp(m_text + p, s.data(), s.size()) == 0;
    }

    std::size_t skipWord(std::size_t p) {
        while (word1(p))
            ++p;
        return p;
    }

    // From p to the start of the next word: npos when a clause ends first or the text ends.
    std::size_t skipSeparators(std::size_t p) {
        for (;;) {
            const int c = at(p);
            if (c < 0)
                return std::string::npos;
            if (m_classes.word1[c])
                return p;
            if (m_classes.clause[c] && !m_pattern.hasLiteralComma)
                return std::string::npos;
            const unsigned char close = (m_html && c == '<')                 ? '>'
                                        : (m_tagOpen != 0 && c == m_tagOpen) ? m_tagClose
                                                                             : 0;
            if (close != 0) {
                // Mark-up and tags are not words: the walk goes on behind them.
                std::size_t q = p + 1;
                while (true) {
                    const int d = at(q);
                    if (d < 0)
                        return std::string::npos;
                    if (d == close)
                        break;
                    ++q;
                }
                p = q + 1;
                continue;
            }
            ++p;
        }
    }

    bool proceed(const Continuation* k, std::size_t p) {
        if (!k)
            return false; // a sub-sequence always has its continuation
        if (k->requireWordEnd && word1(p))
            return false;
        return run(*k->tokens, k->index, p, k->next);
    }

    bool run(const std::vector<ScanToken>& tokens, std::size_t i, std::size_t p,
             const Continuation* k) {
        while (true) {
            if (i >= tokens.size())
                return proceed(k, p);
            const ScanToken& t = tokens[i];
            switch (t.kind) {
            case ScanTokenKind::End:
                m_end = p;
                return true;
            case ScanTokenKind::Literal:
                if (!startHolds(t.start, p) || !textAt(p, t.text))
                    return false;
                p += t.text.size();
                ++i;
                continue;
            case ScanTokenKind::Special: {
                if (!startHolds(t.start, p) || t.special < 1 || t.special > 52)
                    return false;
                for (const std::string& rep : m_reps[static_cast<std::size_t>(t.special - 1)])
                    if (textAt(p, rep) && run(tokens, i + 1, p + rep.size(), k))
                        return true;
                return false;
            }
            case ScanTokenKind::AnyLetter: {
                if (!startHolds(t.start, p))
                    return false;
                const int c = at(p);
                if (c < 0)
                    return false;
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                    ++p;
                    ++i;
                    continue;
                }
                for (const std::string& rep : m_letterReps)
                    if (textAt(p, rep) && run(tokens, i + 1, p + rep.size(), k))
                        return true;
                return false;
            }
            case ScanTokenKind::InnerStar: {
                const std::size_t wordEnd = skipWord(p);
                if (m_needMore || wordEnd == p)
                    return false;
                // The rest lines up with the end of this word: the longest fill first.
                for (std::size_t q = wordEnd + 1; q-- > p;) {
                    if (failedBefore(tokens, i + 1, q, k))
                        continue;
                    if (run(tokens, i + 1, q, k))
                        return true;
                    noteFailure(tokens, i + 1, q, k);
                }
                return false;
            }
            case ScanTokenKind::WordEnd:
                if (word2(p))
                    return false;
                ++i;
                continue;
            case ScanTokenKind::NextWord: {
                std::size_t q = skipSeparators(p);
                if (q == std::string::npos)
                    return false;
                if (t.within)
                    return runWithinWords(t.words, tokens, i + 1, q, k);
                for (int w = 1; w < t.words; ++w) {
                    q = skipSeparators(skipWord(q));
                    if (q == std::string::npos)
                        return false;
                }
                p = q;
                ++i;
                continue;
            }
            case ScanTokenKind::Endings:
                return runEndings(t, tokens, i + 1, p, k);
            }
            return false;
        }
    }

    // The rest of the pattern from token i at the start of any of the next `words` words, the
    // first of which starts at q.
    bool runWithinWords(int words, const std::vector<ScanToken>& tokens, std::size_t i,
                        std::size_t q, const Continuation* k) {
        for (int w = 1;; ++w) {
            if (run(tokens, i, q, k))
                return true;
            if (w >= words)
                return false;
            q = skipSeparators(skipWord(q));
            if (q == std::string::npos)
                return false;
        }
    }

    // Several "*" in one word try every split of the word between them: without remembering
    // which rest of the pattern already failed where, that costs the word's length to the power
    // of the number of stars (a search that never ends on a long "word"). A rest is the token
    // list, the token and the continuation after it, which is told by its id.
    static int countStars(const std::vector<ScanToken>& tokens) {
        int stars = 0;
        for (const ScanToken& t : tokens) {
            stars += t.kind == ScanTokenKind::InnerStar ? 1 : 0;
            for (const auto& ending : t.endings)
                stars += countStars(ending);
        }
        return stars;
    }
    struct Rest {
        const void* tokens;
        std::size_t index;
        std::size_t position;
        std::uint32_t continuation;
        bool operator==(const Rest&) const = default;
    };
    struct RestHash {
        std::size_t operator()(const Rest& r) const {
            std::uint64_t h = reinterpret_cast<std::uintptr_t>(r.tokens);
            h = h * 0x9E3779B97F4A7C15ULL + r.index;
            h = h * 0x9E3779B97F4A7C15ULL + r.position;
            h = h * 0x9E3779B97F4A7C15ULL + r.continuation;
            return static_cast<std::size_t>(h ^ (h >> 29));
        }
    };
    bool failedBefore(const std::vector<ScanToken>& tokens, std::size_t i, std::size_t p,
                      const Continuation* k) const {
        return m_memoStars && m_failed.count(Rest{&tokens, i, p, k ? k->id : 0}) > 0;
    }
    void noteFailure(const std::vector<ScanToken>& tokens, std::size_t i, std::size_t p,
                     const Continuation* k) {
        if (m_memoStars)
            m_failed.insert(Rest{&tokens, i, p, k ? k->id : 0});
    }
    // The id of a continuation: one per distinct rest, kept for the pattern's life.
    std::uint32_t continuationId(const Continuation& c) {
        if (!m_memoStars)
            return 0;
        const auto key =
            std::make_tuple(c.next ? c.next->id : 0u, static_cast<const void*>(c.tokens), c.index,
                            c.requireWordEnd);
        const auto [it, added] = m_continuationIds.emplace(
            key, static_cast<std::uint32_t>(m_continuationIds.size() + 1));
        return it->second;
    }

    // A stem's endings at p, each followed by the rest of the pattern from token i.
    bool runEndings(const ScanToken& t, const std::vector<ScanToken>& tokens, std::size_t i,
                    std::size_t p, const Continuation* k) {
        if (!t.required && !word1(p))
            return run(tokens, i, p, k); // the stem alone is the word
        Continuation rest{&tokens, i, t.required, k};
        rest.id = continuationId(rest);
        for (const auto& ending : t.endings) {
            if (ending.empty()) {
                if (proceed(&rest, p))
                    return true;
                continue;
            }
            if (run(ending, 0, p, &rest))
                return true;
        }
        return false;
    }

    const ScanPattern& m_pattern;
    const WordClasses& m_classes;
    const std::vector<std::vector<std::string>>& m_reps;
    const std::vector<std::string>& m_letterReps;
    bool m_html;
    unsigned char m_tagOpen, m_tagClose;
    const unsigned char* m_text = nullptr;
    std::size_t m_size = 0;
    bool m_final = true;
    bool m_needMore = false;
    std::size_t m_end = 0;
    bool m_memoStars;
    std::unordered_set<Rest, RestHash> m_failed; // rests that failed at a position
    std::map<std::tuple<std::uint32_t, const void*, std::size_t, bool>, std::uint32_t>
        m_continuationIds;
};

} // namespace lexmora
