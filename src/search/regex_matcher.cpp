#include "search/regex_matcher.h"

#include "search/text_fold.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>

namespace lexmora {

namespace {

constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 8 * 1024 * 1024;

} // namespace

RegexMatcher::RegexMatcher(std::shared_ptr<const RegexKeyword> keyword, RegexPrefilter prefilter)
    : m_keyword(std::move(keyword)) {
    m_data = pcre2_match_data_create_from_pattern(m_keyword->code(), nullptr);
    m_context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(m_context, kRegexMatchLimit);
    pcre2_set_depth_limit(m_context, kRegexDepthLimit);
    m_stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (m_stack)
        pcre2_jit_stack_assign(m_context, nullptr, m_stack);
    // The literals that start every match are looked for as the plain keywords' are; the
    // anchored expression is tried only where one stands.
    if (prefilter == RegexPrefilter::None)
        return;
    if (m_keyword->inner())
        m_inner =
            std::make_unique<LiteralFinder>(m_keyword->innerLiteral(), m_keyword->innerFold());
    if (m_keyword->anchored()) {
        const Fold fold = makeFold(m_keyword->caseSensitive() ? FoldMode::None : FoldMode::Cp1252);
        for (const std::string& literal : m_keyword->literalStarts()) {
            m_starts.emplace_back(foldText(fold, literal), fold.map);
            m_longestStart = std::max(m_longestStart, literal.size());
        }
        m_next.assign(m_starts.size(), 0);
    }
}

RegexMatcher::~RegexMatcher() {
    pcre2_match_data_free(m_data);
    pcre2_match_context_free(m_context);
    pcre2_jit_stack_free(m_stack);
}

RegexMatcher::Outcome RegexMatcher::find(const char* text, std::size_t size, std::size_t from,
                                         RegexWindow window, std::size_t& start, std::size_t& end) {
    if (m_inner)
        return findAroundInner(text, size, from, window, start, end);
    if (m_starts.empty())
        return run(m_keyword->code(), text, size, from, window, start, end);
    return findFromStarts(text, size, from, window, start, end);
}

// Every match holds the literal and consumes only bytes of innerBytes(), so a match holding the
// literal found at p starts in the run of such bytes that ends at p, and none starts before that
// run unless it holds an earlier place of the literal. Each place is tried from its run's start
// with the start limited to p: the first match found is the first of the whole window.
RegexMatcher::Outcome RegexMatcher::findAroundInner(const char* text, std::size_t size,
                                                    std::size_t from, RegexWindow window,
                                                    std::size_t& start, std::size_t& end) {
    const std::bitset<256>& bytes = m_keyword->innerBytes();
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text);
    const auto runStart = [&](std::size_t at, std::size_t floor) {
        while (at > floor && bytes[b[at - 1]])
            --at;
        return at;
    };
    for (std::size_t pos = from;;) {
        const std::size_t p = m_inner->find(text, size, pos);
        if (p == std::string::npos) {
            // A match yet to be found holds a literal the window's end cuts or that lies beyond
            // it: it starts in the run that ends the window, and needs more of the file.
            const std::size_t tail = window.final ? size : runStart(size, pos);
            if (tail >= size) {
                start = size;
                return Outcome::NoMatch;
            }
            pcre2_set_offset_limit(m_context, PCRE2_UNSET);
            return run(m_keyword->inner(), text, size, tail, window, start, end);
        }
        pcre2_set_offset_limit(m_context, p);
        const Outcome outcome =
            run(m_keyword->inner(), text, size, runStart(p, pos), window, start, end);
        if (outcome != Outcome::NoMatch)
            return outcome;
        pos = p + 1;
    }
}

RegexMatcher::Outcome RegexMatcher::findFromStarts(const char* text, std::size_t size,
                                                   std::size_t from, RegexWindow window,
                                                   std::size_t& start, std::size_t& end) {
    // The places found stay good while the window is the same and the search goes forward.
    // A file's first call starts afresh: the file before may have had a window of the same size.
    if (window.start != m_cachedWindow || size != m_cachedSize || from < m_cachedFrom ||
        (window.start == 0 && from == 0))
        std::fill(m_next.begin(), m_next.end(), std::size_t{0});
    m_cachedWindow = window.start;
    m_cachedSize = size;
    m_cachedFrom = from;
    bool first = true;
    for (std::size_t pos = from;; first = false) {
        std::size_t s = std::string::npos;
        for (std::size_t i = 0; i < m_starts.size(); ++i) {
            if (m_next[i] != std::string::npos && (m_next[i] < pos || (first && m_next[i] == 0)))
                m_next[i] = m_starts[i].find(text, size, pos);
            s = std::min(s, m_next[i]);
        }
        if (s == std::string::npos) {
            // The window's end may have cut a literal: its last bytes are looked at again.
            start = window.final ? size : std::max(pos, size - std::min(size, m_longestStart - 1));
            return Outcome::NoMatch;
        }
        const Outcome outcome = run(m_keyword->anchored(), text, size, s, window, start, end);
        if (outcome != Outcome::NoMatch)
            return outcome;
        pos = s + 1;
    }
}

RegexMatcher::Outcome RegexMatcher::run(pcre2_real_code_8* code, const char* text, std::size_t size,
                                        std::size_t from, RegexWindow window, std::size_t& start,
                                        std::size_t& end) {
    std::uint32_t options = PCRE2_NOTEMPTY;
    if (window.start != 0)
        options |= PCRE2_NOTBOL;
    if (!window.final)
        options |= PCRE2_PARTIAL_HARD;
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(m_data);
    while (from <= size) {
        const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text), size, from, options,
                                   m_data, m_context);
        if (rc == PCRE2_ERROR_NOMATCH) {
            start = size;
            return Outcome::NoMatch;
        }
        if (rc == PCRE2_ERROR_PARTIAL) {
            start = std::min<std::size_t>(ovector[0], size);
            return Outcome::NeedMore;
        }
        if (rc < 0)
            return Outcome::LimitReached;
        start = ovector[0];
        end = ovector[1];
        if (end > start)
            return Outcome::Match;
        // "\K" can leave a match that ends where it starts: it is passed over as an empty one.
        from = std::max(from, start) + 1;
    }
    start = size;
    return Outcome::NoMatch;
}

} // namespace lexmora
