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

RegexMatcher::RegexMatcher(std::shared_ptr<const RegexKeyword> keyword)
    : m_keyword(std::move(keyword)) {
    m_data = pcre2_match_data_create_from_pattern(m_keyword->code(), nullptr);
    m_context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(m_context, kRegexMatchLimit);
    pcre2_set_depth_limit(m_context, kRegexDepthLimit);
    m_stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    if (m_stack)
        pcre2_jit_stack_assign(m_context, nullptr, m_stack);
    // A literal that starts every match is looked for as the plain keywords' is; the anchored
    // expression is tried only where it stands.
    if (!m_keyword->literalPrefix().empty() && m_keyword->anchored()) {
        const Fold fold = makeFold(m_keyword->caseSensitive() ? FoldMode::None : FoldMode::Cp1252);
        m_prefix.emplace(foldText(fold, m_keyword->literalPrefix()), fold.map);
    }
}

RegexMatcher::~RegexMatcher() {
    pcre2_match_data_free(m_data);
    pcre2_match_context_free(m_context);
    pcre2_jit_stack_free(m_stack);
}

RegexMatcher::Outcome RegexMatcher::find(const char* text, std::size_t size, std::size_t from,
                                         RegexWindow window, std::size_t& start, std::size_t& end) {
    if (!m_prefix)
        return run(m_keyword->code(), text, size, from, window, start, end);
    for (std::size_t pos = from;;) {
        const std::size_t s = m_prefix->find(text, size, pos);
        if (s == std::string::npos) {
            // The window's end may have cut the literal: its last bytes are looked at again.
            const std::size_t cut = m_keyword->literalPrefix().size() - 1;
            start = window.final ? size : std::max(pos, size - std::min(size, cut));
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
    if (!window.atFileStart)
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
