#include "search/compile_keyword.h"

#include "codes/code_tables.h"
#include "codes/cp1252_case.h"

#include <algorithm>

namespace lexmora {

namespace {

constexpr char kMarker = '\\'; // a place where the text must have a word boundary
constexpr char kSentinel = '\0';

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Pass 1: marks the required word boundaries and turns wildcard words into a Next Word Match
// condition. `t` ends with the sentinel, which is its only NUL.
class BoundaryPass {
public:
    BoundaryPass(std::string& text, const CompileOptions& options)
        : m_t(text), m_open(options.openBracket), m_close(options.closeBracket),
          m_taggedSearch(options.taggedSearch) {}

    void run() {
        std::size_t p = 0;
        while (p < m_t.size()) {
            const char c = m_t[p];
            if (c == kSentinel) {
                if (m_pending)
                    m_t.insert(p, 1, kMarker);
                return;
            }
            if (c == '*')
                p = onStar(p);
            else if (c == m_open)
                p = onCondition(p);
            else if (c == ' ')
                p = onBlank(p);
            else
                p = onWordCharacter(p, c);
        }
    }

private:
    // Marks a boundary at p when one is pending (and returns the position after the marker),
    // else makes one pending.
    std::size_t markIfPending(std::size_t p) {
        if (m_pending) {
            m_t.insert(p, 1, kMarker);
            return p + 1;
        }
        m_pending = true;
        return p;
    }

    std::size_t onStar(std::size_t p) {
        const char next = m_t[p + 1]; // c is not the sentinel, so there is a next character
        if (p == 0 && !m_afterBlank) {
            m_pending = false;
            if (next == ' ' || next == kSentinel)
                return p + 1; // a wildcard word
            m_t.erase(p, 1);  // glued to the word: no start boundary
            return p;
        }
        if (m_afterBlank) {
            if (next == ' ' && p > 0 && m_t[p - 1] == ' ')
                return joinWildcardWords(p);
            m_pending = false;
            return p + 1;
        }
        if (m_inWord && (next == ' ' || next == m_open || next == kSentinel)) {
            m_afterBlank = true;
            m_pending = false;
            m_t.erase(p, 1); // ends the word: no end boundary
            return p;
        }
        return p + 1; // an inner wildcard
    }

    // Wildcard words " * * " become one condition: the next word is the (k + 1)-th.
    std::size_t joinWildcardWords(std::size_t p) {
        std::size_t last = p;
        int k = 1;
        while (m_t[last + 1] == ' ' && m_t[last + 2] == '*' && m_t[last + 3] == ' ') {
            ++k;
            last += 2;
        }
        const std::string condition =
            std::string(1, m_open) + "=" + std::to_string(k + 1) + std::string(1, m_close);
        m_t.replace(p - 1, last + 2 - (p - 1), condition);
        return p - 1 + condition.size();
    }

    std::size_t onCondition(std::size_t p) {
        if (m_pending) {
            m_t.insert(p, 1, kMarker);
            ++p;
        }
        m_pending = true;
        m_inWord = false;
        m_afterBlank = true;
        const std::size_t end = m_t.find(m_close, p + 1);
        // An unclosed condition runs to the end of the text.
        return end == std::string::npos ? m_t.size() - 1 : end + 1;
    }

    std::size_t onBlank(std::size_t p) {
        if (!m_inTag) {
            if (m_inWord)
                p = markIfPending(p);
            m_inWord = false;
            m_afterBlank = true;
        }
        return p + 1;
    }

    std::size_t onWordCharacter(std::size_t p, char c) {
        if ((c == '\'' || c == '-') && !m_afterBlank)
            m_pending = false;
        if (m_taggedSearch) {
            if (c == '<')
                m_inTag = true;
            else if (c == '>')
                m_inTag = false;
        }
        if (!m_inWord) {
            p = markIfPending(p);
            m_inWord = true;
            m_afterBlank = false;
        } else {
            m_pending = true;
        }
        return p + 1;
    }

    std::string& m_t;
    const char m_open, m_close;
    const bool m_taggedSearch;
    bool m_inWord = false;
    bool m_afterBlank = false;
    bool m_pending = true;
    bool m_inTag = false;
};

void markBoundaries(std::string& t, const CompileOptions& options) {
    BoundaryPass(t, options).run();
}

class ElementPass {
public:
    ElementPass(std::string& t, const CompileOptions& options, const std::string& specials,
                CompiledPattern& out)
        : m_t(t), m_options(options), m_specials(specials), m_out(out) {}

    void run();

private:
    void closeRun() {
        if (m_runOpen) {
            m_out.ElementKind[m_runStart] = kLiteralRun;
            m_out.ElementLength[m_runStart] = m_runLength;
            m_runOpen = false;
        }
    }
    void closeGap() {
        if (m_gapOpen) {
            m_out.ElementKind[m_gapStart] = kGap;
            m_out.ElementLength[m_gapStart] = 1;
            m_gapOpen = false;
        }
    }
    void extendRun(std::size_t p) {
        closeGap();
        if (!m_runOpen) {
            m_runOpen = true;
            m_runStart = p;
            m_runLength = 0;
        }
        ++m_runLength;
    }
    void element(std::size_t p, int kind, int length, int arg) {
        m_out.ElementKind[p] = kind;
        m_out.ElementLength[p] = length;
        m_out.ElementArg[p] = arg;
    }
    int specialIndex(char c) const {
        const std::size_t j = m_specials.find(c);
        return j == std::string::npos ? 0 : static_cast<int>(j) + 1;
    }
    // A special character with index j, covering `length` positions from p.
    void special(std::size_t p, int j, int length) {
        const bool starts = m_out.ElementBoundary[p] == kBoundaryBefore ||
                            (!m_runOpen && !m_wildcardSeen && m_operator == 0);
        closeRun();
        closeGap();
        element(p, starts ? kSpecialStart : kSpecialInWord, length, j);
    }
    void condition(std::size_t p);
    std::size_t step(std::size_t p, char c);
    std::size_t onMarker(std::size_t p);
    std::size_t onStar(std::size_t p);
    std::size_t onPlus(std::size_t p);
    std::size_t onEndingSeparator(std::size_t p, int endings);
    std::size_t onSingleWildcard(std::size_t p);
    std::size_t onBlank(std::size_t p);
    std::size_t onCharacter(std::size_t p, char c);

    std::string& m_t;
    const CompileOptions& m_options;
    const std::string& m_specials;
    CompiledPattern& m_out;
    bool m_runOpen = false;
    std::size_t m_runStart = 0;
    int m_runLength = 0;
    bool m_gapOpen = false;
    std::size_t m_gapStart = 0;
    int m_operator = 0;
    bool m_wildcardSeen = false;
    bool m_inTag = false;
};

// A Next Word Match condition: open bracket, "<" or "=", digits, close bracket.
void ElementPass::condition(std::size_t p) {
    closeRun();
    closeGap();
    std::size_t q = p + 1;
    int arg = kNextWordDirect;
    if (m_t[q] == '<') {
        arg = kNextWordWithin;
        ++q;
    } else if (m_t[q] == '=') {
        arg = kNextWordExactly;
        ++q;
    }
    int n = 0;
    const std::size_t sentinel = m_t.size() - 1;
    while (q < sentinel && m_t[q] != m_options.closeBracket) {
        if (isDigit(m_t[q]))
            n = std::min(kNextWordCountMask, n * 10 + (m_t[q] - '0')); // never spills into 128
        ++q;
    }
    const std::size_t end = q < sentinel ? q + 1 : q;
    if (arg != kNextWordDirect)
        arg += n;
    element(p, kGap, 1, arg);
    m_t.replace(p, end - p, " ");
    m_gapOpen = true;
    m_gapStart = p;
}

void ElementPass::run() {
    std::size_t p = 0;
    while (p < m_t.size()) {
        const char c = m_t[p];
        if (c == kSentinel) {
            closeRun();
            closeGap();
            element(p, kEndOfPattern, 1, 0);
            return;
        }
        p = step(p, c);
    }
}

// Gives the element of position p its kind and returns the position to go on from.
std::size_t ElementPass::step(std::size_t p, char c) {
    if (c == kMarker)
        return onMarker(p);
    if (c == m_options.openBracket) {
        condition(p);
        return p + 1;
    }
    if (c == '*')
        return onStar(p);
    if (c == '+')
        return onPlus(p);
    if (c == ',' && m_operator != 0)
        return onEndingSeparator(p, m_operator);
    if (c == '/')
        return onEndingSeparator(p, kOptionalEndings);
    if (c == m_options.singleWildcard)
        return onSingleWildcard(p);
    if (c == ' ')
        return onBlank(p);
    return onCharacter(p, c);
}

std::size_t ElementPass::onMarker(std::size_t p) {
    if (p == 0 || m_gapOpen) {
        closeGap();
        m_out.ElementBoundary[p] = kBoundaryBefore;
        m_t.erase(p, 1);
        return p;
    }
    m_t[p] = ' ';
    closeRun();
    element(p, kGap, 1, 0);
    m_out.ElementBoundary[p] = kBoundaryAfterWord;
    return p + 1;
}

std::size_t ElementPass::onStar(std::size_t p) {
    if (p == 0) {
        element(p, kLeadingWildcardWord, 1, 0);
    } else {
        const bool hadRun = m_runOpen;
        closeRun();
        if (!hadRun && m_t[p - 1] == ' ')
            m_operator = 0;
        element(p, kGap, 1, kInnerWildcard);
    }
    return p + 1;
}

std::size_t ElementPass::onPlus(std::size_t p) {
    if (m_operator != 0) {
        // a+b+c: the second "+" joins b and c into one ending.
        m_operator = 0;
        m_t.erase(p, 1);
        return p;
    }
    return onEndingSeparator(p, kRequiredEndings);
}

// "+" and "/" before the first ending, "," between endings: `endings` is what they begin.
std::size_t ElementPass::onEndingSeparator(std::size_t p, int endings) {
    closeRun();
    closeGap();
    element(p, kGap, 1, endings);
    m_operator = endings;
    return p + 1;
}

std::size_t ElementPass::onSingleWildcard(std::size_t p) {
    if (p == 0 || m_gapOpen) {
        m_out.ElementBoundary[p] = kBoundaryWildcardBefore;
        const char next = m_t[p + 1];
        if (next == kMarker || next == ' ' || next == '?') {
            closeGap();
            element(p, kSingleWildcard, 1, 0);
            m_out.ElementBoundary[p] = kBoundaryBefore;
            return p + 1;
        }
        m_t.erase(p, 1); // the word that follows carries the wildcard before it
        return p;
    }
    closeRun();
    m_wildcardSeen = true;
    element(p, kSingleWildcard, 1, 0);
    return p + 1;
}

std::size_t ElementPass::onBlank(std::size_t p) {
    if (m_runOpen && m_inTag && m_options.taggedSearch) {
        extendRun(p);
    } else {
        if (!m_gapOpen) {
            m_gapOpen = true;
            m_gapStart = p;
        }
        closeRun();
    }
    return p + 1;
}

// A letter, digit or punctuation: a special character, or part of a literal run.
std::size_t ElementPass::onCharacter(std::size_t p, char c) {
    const auto uc = static_cast<unsigned char>(c);
    if (uc >= 128 || c == '\'' || c == '-') {
        if (const int j = specialIndex(c)) {
            special(p, j, 1);
            return p + 1;
        }
    } else {
        if (m_options.taggedSearch) {
            if (c == '<')
                m_inTag = true;
            else if (c == '>')
                m_inTag = false;
        }
        // French "oe" is the ligature where the special characters hold it.
        if (m_options.languageIndex == 1 && (c == 'o' || c == 'O') &&
            lowerCp1252(static_cast<unsigned char>(m_t[p + 1])) == 'e') {
            if (const int j = specialIndex(c == 'o' ? '\x9C' : '\x8C')) {
                special(p, j, 2);
                return p + 2;
            }
        }
    }
    if (c == ',')
        m_out.HasLiteralComma = true;
    extendRun(p);
    if (m_out.Punctuation[uc])
        m_out.ElementBoundary[p] = kBoundaryPunctuation;
    return p + 1;
}

bool hasMatchingElement(const CompiledPattern& pattern) {
    for (int kind : pattern.ElementKind)
        if (kind == kLiteralRun || kind == kSpecialInWord || kind == kSpecialStart ||
            kind == kSingleWildcard || kind == kLeadingWildcardWord)
            return true;
    return false;
}

std::string gapArgText(int arg) {
    switch (arg) {
    case kNextWordDirect:
        return "next word";
    case kInnerWildcard:
        return "* inside word";
    case kRequiredEndings:
        return "+ required endings";
    case kOptionalEndings:
        return "/ optional endings";
    default:
        break;
    }
    const int n = arg & kNextWordCountMask;
    if ((arg & ~kNextWordCountMask) == kNextWordWithin)
        return "<" + std::to_string(n) + " within " + std::to_string(n) + " words";
    if ((arg & ~kNextWordCountMask) == kNextWordExactly)
        return "=" + std::to_string(n) + " exactly word " + std::to_string(n);
    return std::to_string(arg);
}

const char* kindName(int kind) {
    switch (kind) {
    case kLiteralRun:
        return "literal";
    case kGap:
        return "gap";
    case kSpecialInWord:
        return "special";
    case kSpecialStart:
        return "special-start";
    case kSingleWildcard:
        return "wildcard";
    case kLeadingWildcardWord:
        return "wildcard-word";
    case kEndOfPattern:
        return "end";
    default:
        return "?";
    }
}

const char* boundaryName(int boundary) {
    switch (boundary) {
    case kBoundaryBefore:
        return "before";
    case kBoundaryAfterWord:
        return "word end";
    case kBoundaryWildcardBefore:
        return "wildcard before";
    case kBoundaryPunctuation:
        return "punctuation";
    default:
        return "-";
    }
}

std::string padRight(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

} // namespace

std::array<bool, 256> PunctuationClass(char singleWildcard) {
    std::array<bool, 256> member{};
    for (unsigned char c : std::string_view("!&'()+-./,:;<=>@[\\]_{}\xAD\xA8\xAB\xBB"))
        member[c] = true;
    if (singleWildcard == '@')
        member[static_cast<unsigned char>('?')] = true;
    return member;
}

bool CompileKeywordText(std::string_view keyword, const CompileOptions& options,
                        CompiledPattern& out) {
    out.clear();
    // "\" alone asks for nothing but a word boundary; it is refused before the implicit
    // wildcards would turn it into "*\*".
    if (keyword.empty() || keyword == "\\")
        return false;
    out.Punctuation = PunctuationClass(options.singleWildcard);
    out.CaseSensitive = options.caseSensitive;
    std::string t = options.caseSensitive ? std::string(keyword) : toLowerCp1252(keyword);
    // Control characters (and a NUL, which would end the pattern early) count as blanks.
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
    if (out.Punctuation[static_cast<unsigned char>(t.front())])
        t.insert(t.begin(), '*');
    if (out.Punctuation[static_cast<unsigned char>(t.back())])
        t.push_back('*');
    t.push_back(kSentinel);

    markBoundaries(t, options);

    out.PatternLength = static_cast<int>(t.size());
    const std::size_t slots = t.size() + 1;
    out.ElementKind.assign(slots, 0);
    out.ElementLength.assign(slots, 0);
    out.ElementArg.assign(slots, 0);
    out.ElementBoundary.assign(slots, 0);
    const std::string& specials = options.specialCharRow.size() == kSpecialCharCount
                                      ? options.specialCharRow
                                      : AnsiSpecialLetters();
    ElementPass(t, options, specials, out).run();

    t.pop_back(); // the sentinel
    out.PatternText = std::move(t);
    const std::size_t size = out.PatternText.size() + 1;
    out.ElementKind.resize(size);
    out.ElementLength.resize(size);
    out.ElementArg.resize(size);
    out.ElementBoundary.resize(size);
    if (!hasMatchingElement(out)) {
        out.clear();
        return false;
    }
    return true;
}

CompileOptions CompileOptionsFor(const ProgramState& state, const SearchRequest& request,
                                 std::size_t i) {
    CompileOptions options;
    options.caseSensitive = request.keywords.isCaseSensitive(i);
    options.openBracket = request.keywords.openBracket;
    options.closeBracket = request.keywords.closeBracket;
    options.singleWildcard = request.keywords.singleWildcard;
    options.taggedSearch = request.keywords.tagged;
    options.languageIndex = request.languageIndex;
    options.specialCharRow = state.CodeLetters[0];
    return options;
}

bool CompileKeyword(const ProgramState& state, const SearchRequest& request, std::size_t i,
                    CompiledPattern& out) {
    if (i >= request.keywords.size()) {
        out.clear();
        return false;
    }
    return CompileKeywordText(request.keywords.texts[i], CompileOptionsFor(state, request, i), out);
}

bool CompileKeyword(const ProgramState& state, std::size_t i, CompiledPattern& out) {
    return CompileKeyword(state, SearchChoicesIn(state), i, out);
}

std::vector<std::string> DescribeCompiledPattern(const CompiledPattern& pattern) {
    std::vector<std::string> lines;
    lines.push_back("pos  kind           len  arg                     boundary  text");
    for (std::size_t p = 0; p < pattern.ElementKind.size(); ++p) {
        const int kind = pattern.ElementKind[p];
        if (kind == 0)
            continue;
        const int length = pattern.ElementLength[p];
        const int arg = pattern.ElementArg[p];
        std::string argText = "-";
        if (kind == kGap && pattern.ElementBoundary[p] == kBoundaryAfterWord)
            argText = std::to_string(arg);
        else if (kind == kGap)
            argText = std::to_string(arg) + " (" + gapArgText(arg) + ")";
        else if (kind == kSpecialInWord || kind == kSpecialStart)
            argText = std::to_string(arg);
        std::string text;
        if (kind != kEndOfPattern && p < pattern.PatternText.size())
            text = pattern.PatternText.substr(p, static_cast<std::size_t>(std::max(length, 0)));
        std::string line = padLeft(std::to_string(p + 1), 3) + "  " + padRight(kindName(kind), 15) +
                           padLeft(std::to_string(length), 3) + "  " + padRight(argText, 24) +
                           padRight(boundaryName(pattern.ElementBoundary[p]), 10) +
                           (text.empty() ? "" : "\"" + text + "\"");
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace lexmora
