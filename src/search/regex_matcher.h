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
#pragma once

#include "search/literal_finder.h"
#include "search/regex_keyword.h"

#include <cstddef>
#include <memory>
#include <optional>

namespace lexmora {

// Where a window stands in its file.
struct RegexWindow {
    bool atFileStart = false; // the window's first byte is the file's
    bool final = false;       // the file ends where the window does
};

class RegexMatcher {
public:
    explicit RegexMatcher(std::shared_ptr<const RegexKeyword> keyword);
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
    std::optional<LiteralFinder> m_prefix; // finds where a match may begin, when it can
    pcre2_real_match_data_8* m_data = nullptr;
    pcre2_real_match_context_8* m_context = nullptr; // the limits and the JIT's stack
    pcre2_real_jit_stack_8* m_stack = nullptr;
};

} // namespace lexmora
