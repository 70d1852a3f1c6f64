// A regular-expression keyword matched over the scanner's windows.
//
// The search reads a file through a window that slides on (see SourceText), so an expression is
// matched within each window, never over the whole file at once. The window is made to give the
// same matches as the whole file would:
// - matching is "partial, hard" while more of the file is to come: a match that reaches the
//   window's end (a greedy repeat, a lookahead, a word bound there) is not taken but reported
//   as partial, and the caller refills the window from where that match starts and tries again;
// - a window keeps the bytes a lookbehind or a word bound may look back on before the place the
//   search resumes at, and "^" does not match at the window's start unless the file starts there;
// - the window ends at the file's end, so no match spans two files.
// A match of length 0 is never taken (PCRE2_NOTEMPTY): the search moves on to a real one.
//
// Where every match begins with one of some literals, or holds one literal inside, the literals
// are looked for first and the expression tried only around them (the same matches, sooner).
#pragma once

#include "search/literal_finder.h"
#include "search/regex_keyword.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lexmora {

// Where a window stands in its file.
struct RegexWindow {
    std::uint64_t start = 0; // the window's first byte in the file (0: it starts the file)
    bool final = false;      // the file ends where the window does
};

// Whether the literals of an expression are looked for first (None: the expression alone, the
// reference the literals must agree with).
enum class RegexPrefilter { Literals, None };

class RegexMatcher {
public:
    explicit RegexMatcher(std::shared_ptr<const RegexKeyword> keyword,
                          RegexPrefilter prefilter = RegexPrefilter::Literals);
    ~RegexMatcher();
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    enum class Outcome {
        Match,        // [start, end) is the first match at or after `from`
        NoMatch,      // none in the window: the search resumes at `start` in the next one
        NeedMore,     // a match may start at `start` but the window ends too soon
        LimitReached, // the expression needs more work than its limits allow (pathological)
    };

    // The first non-empty match beginning at or after `from` in text[0, size).
    Outcome find(const char* text, std::size_t size, std::size_t from, RegexWindow window,
                 std::size_t& start, std::size_t& end);

    // The bytes a window must keep before the place the search resumes at.
    std::size_t lookBack() const { return m_keyword->lookBehind() + 1; }

private:
    Outcome run(pcre2_real_code_8* code, const char* text, std::size_t size, std::size_t from,
                RegexWindow window, std::size_t& start, std::size_t& end);

    std::shared_ptr<const RegexKeyword> m_keyword;
    Outcome findAroundInner(const char* text, std::size_t size, std::size_t from,
                            RegexWindow window, std::size_t& start, std::size_t& end);
    Outcome findFromStarts(const char* text, std::size_t size, std::size_t from, RegexWindow window,
                           std::size_t& start, std::size_t& end);

    // The literals one of which begins every match, looked for as the plain keywords' are; the
    // next place of each in the window at hand is kept from call to call.
    std::vector<LiteralFinder> m_starts;
    std::vector<std::size_t> m_next;
    std::size_t m_longestStart = 0;
    // The literal every match holds, when there are no literal starts.
    std::unique_ptr<LiteralFinder> m_inner;
    std::uint64_t m_cachedWindow = UINT64_MAX;
    std::size_t m_cachedSize = 0, m_cachedFrom = 0;
    pcre2_real_match_data_8* m_data = nullptr;
    pcre2_real_match_context_8* m_context = nullptr; // the limits and the JIT's stack
    pcre2_real_jit_stack_8* m_stack = nullptr;
};

} // namespace lexmora
