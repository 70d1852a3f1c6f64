#include "search/regex_keyword.h"

#include "codes/code_tables.h"
#include "codes/cp1252_case.h"
#include "search/compile_keyword.h"
#include "search/messages.h"
#include "search/regex_inner_literal.h"
#include "search/word_classes.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstring>

namespace lexmora {

namespace {

using namespace regex_layout;

constexpr std::uint8_t kTypeSpace = 0x01, kTypeLetter = 0x02, kTypeLowerLetter = 0x04,
                       kTypeDigit = 0x08, kTypeWord = 0x10;

// What each byte is, in Windows-1252 as the program reads it.
struct ByteFacts {
    bool word, letter, upper, lower, digit, space, graph, control;
};

bool isUndefinedCp1252(int c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

ByteFacts factsOf(int c, const WordClasses& classes) {
    const unsigned char b = static_cast<unsigned char>(c);
    ByteFacts f{};
    f.word = classes.word1[b];
    f.digit = c >= '0' && c <= '9';
    // "#", "$" and "%" belong to words but are no letters.
    f.letter = classes.word2[b] && !(c >= '#' && c <= '%');
    f.upper = f.letter && lowerCp1252(b) != b;
    f.lower = f.letter && !f.upper;
    f.space = (c >= 9 && c <= 13) || c == ' ' || c == 0xA0;
    f.control = c < 32 || c == 127;
    f.graph = !f.space && !f.control && !isUndefinedCp1252(c);
    return f;
}

// The other case of a letter, when the case tables pair the two both ways.
unsigned char otherCase(unsigned char c) {
    const unsigned char lower = lowerCp1252(c), upper = upperCp1252(c);
    if (lower != c && upperCp1252(lower) == c)
        return lower;
    if (upper != c && lowerCp1252(upper) == c)
        return upper;
    return c;
}

void setBit(RegexTables& t, std::size_t bitmap, int c) {
    t[kClassBits + bitmap + static_cast<std::size_t>(c) / 8] |=
        static_cast<std::uint8_t>(1u << (c & 7));
}

void markClasses(RegexTables& t, int c, const ByteFacts& f) {
    const bool xdigit = f.digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    const std::pair<bool, std::size_t> bits[] = {
        {f.space, kSpaceBits},
        {xdigit, kXdigitBits},
        {f.digit, kDigitBits},
        {f.upper, kUpperBits},
        {f.lower, kLowerBits},
        {f.word, kWordBits},
        {f.graph, kGraphBits},
        {f.graph || c == ' ' || c == 0xA0, kPrintBits},
        {f.graph && !f.letter && !f.digit, kPunctBits},
        {f.control, kCntrlBits},
    };
    for (const auto& [on, bitmap] : bits)
        if (on)
            setBit(t, bitmap, c);
}

// An alternative anywhere, or a quantifier right after the run, ends the literal search.
bool isSpecialInExpression(char c) {
    return std::strchr("\\^$.|?*+()[]{}", c) != nullptr;
}

pcre2_code* compileCode(std::string_view expression, std::uint32_t options,
                        pcre2_compile_context* context, RegexFault& fault) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()),
                                     expression.size(), options, &error, &offset, context);
    if (!code) {
        PCRE2_UCHAR text[256];
        pcre2_get_error_message(error, text, sizeof text);
        fault = {reinterpret_cast<const char*>(text), offset};
        return nullptr;
    }
    // Without a JIT (a system without one) the interpreter serves, only slower.
    pcre2_jit_compile(code, PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD);
    return code;
}

// Whether the expression can match nothing but the empty string, found by trying it on a text
// that holds every byte: it matches there (or in an empty text), but never with a character.
bool matchesOnlyEmpty(pcre2_code* code) {
    std::string probe = "Aa Zz \xC9\xE9 09, x.\r\n";
    for (int c = 1; c < 256; ++c)
        probe.push_back(static_cast<char>(c));
    probe += " word WORD mot \xE9t\xE9 end\r\n";
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const auto tryOn = [&](std::string_view text, std::uint32_t options) {
        return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, options,
                           data, nullptr) >= 0;
    };
    const bool matches = tryOn(probe, 0) || tryOn("", 0);
    const bool onlyEmpty = matches && !tryOn(probe, PCRE2_NOTEMPTY);
    pcre2_match_data_free(data);
    return onlyEmpty;
}

} // namespace

RegexTables MakeRegexTables(const ProgramState& state) {
    const WordClasses classes = MakeWordClasses(state, kCodeAnsi);
    RegexTables t{};
    for (int c = 0; c < 256; ++c) {
        const unsigned char b = static_cast<unsigned char>(c);
        const ByteFacts f = factsOf(c, classes);
        t[kLowerCase + b] = f.letter ? lowerCp1252(b) : b;
        t[kFlipCase + b] = f.letter ? otherCase(b) : b;
        markClasses(t, c, f);
        std::uint8_t type = 0;
        if (f.space)
            type |= kTypeSpace;
        if (f.letter)
            type |= kTypeLetter;
        if (f.lower)
            type |= kTypeLowerLetter;
        if (f.digit)
            type |= kTypeDigit;
        if (f.word)
            type |= kTypeWord;
        t[kTypes + b] = type;
    }
    return t;
}

std::string RegexLiteralPrefix(std::string_view expression) {
    if (expression.find('|') != std::string_view::npos)
        return {};
    std::size_t n = 0;
    while (n < expression.size() && !isSpecialInExpression(expression[n]))
        ++n;
    // A quantifier makes the character before it optional or repeated.
    if (n < expression.size() && n > 0 && std::strchr("?*+{", expression[n]) != nullptr)
        --n;
    return std::string(expression.substr(0, n));
}

namespace {

// Where the character class opened at `open` closes, or npos.
std::size_t endOfClass(std::string_view e, std::size_t open) {
    std::size_t i = open + 1;
    if (i < e.size() && e[i] == '^')
        ++i;
    if (i < e.size() && e[i] == ']')
        ++i; // a "]" first in a class is one of its characters
    for (; i < e.size(); ++i) {
        if (e[i] == '\\') {
            ++i;
        } else if (e[i] == '[' && i + 1 < e.size() && e[i + 1] == ':') {
            const std::size_t close = e.find(":]", i + 2);
            if (close == std::string_view::npos)
                return close;
            i = close + 1;
        } else if (e[i] == ']') {
            return i;
        }
    }
    return std::string_view::npos;
}

// Walks the expression's structure: `onChar(i, depth)` for every character outside escapes and
// classes, with the group depth before it. False when the expression is not well formed.
template <typename OnChar> bool walkStructure(std::string_view e, OnChar onChar) {
    int depth = 0;
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (e[i] == '\\') {
            ++i;
            continue;
        }
        if (e[i] == '[') {
            i = endOfClass(e, i);
            if (i == std::string_view::npos)
                return false;
            continue;
        }
        if (!onChar(i, depth))
            return true;
        depth += e[i] == '(' ? 1 : e[i] == ')' ? -1 : 0;
    }
    return true;
}

// The leading group's alternatives (from its "(" at `open`), or none when an alternative stands
// outside it or a quantifier follows it.
std::vector<std::string_view> leadingGroupAlternatives(std::string_view e, std::size_t open) {
    std::vector<std::string_view> alternatives;
    std::size_t start = open + 1, close = std::string_view::npos;
    bool outsideAlternative = false;
    const bool formed = walkStructure(e, [&](std::size_t i, int depth) {
        if (i < open)
            return true;
        if (e[i] == '|' && depth == 1 && close == std::string_view::npos) {
            alternatives.push_back(e.substr(start, i - start));
            start = i + 1;
        } else if (e[i] == ')' && depth == 1 && close == std::string_view::npos) {
            alternatives.push_back(e.substr(start, i - start));
            close = i;
        } else if (e[i] == '|' && depth == 0) {
            outsideAlternative = true;
        }
        return true;
    });
    if (!formed || outsideAlternative || close == std::string_view::npos ||
        (close + 1 < e.size() && std::strchr("?*+{", e[close + 1]) != nullptr))
        return {};
    if (!alternatives.empty() && alternatives.front().starts_with("?:"))
        alternatives.front().remove_prefix(2); // a group that does not capture
    return alternatives;
}

} // namespace

std::vector<std::string> RegexLiteralStarts(std::string_view expression) {
    std::size_t at = 0;
    while (expression.substr(at).starts_with("\\b"))
        at += 2; // a word bound is tried where the literal stands
    if (at < expression.size() && expression[at] == '(') {
        std::vector<std::string> starts;
        for (const std::string_view alternative : leadingGroupAlternatives(expression, at)) {
            std::string prefix = RegexLiteralPrefix(alternative);
            if (prefix.empty())
                return {};
            starts.push_back(std::move(prefix));
        }
        return starts;
    }
    std::string prefix = RegexLiteralPrefix(expression.substr(at));
    if (prefix.empty() || expression.find('|') != std::string_view::npos)
        return {};
    return {std::move(prefix)};
}

RegexKeyword::~RegexKeyword() {
    pcre2_code_free(m_code);
    pcre2_code_free(m_anchored);
    pcre2_code_free(m_inner);
}

void RegexKeyword::findInnerLiteral(std::uint32_t options, pcre2_compile_context* context) {
    const RegexInnerLiteral found = FindRegexInnerLiteral(m_expression, *m_tables, m_caseSensitive);
    if (found.literal.empty())
        return;
    RegexFault ignored; // the expression compiled already: it does again, with the limit
    m_inner = compileCode(m_expression, options | PCRE2_USE_OFFSET_LIMIT, context, ignored);
    if (!m_inner)
        return;
    m_innerFold = m_caseSensitive ? IdentityFold() : RegexCaseFold(*m_tables);
    for (const char c : found.literal)
        m_innerLiteral.push_back(static_cast<char>(m_innerFold[static_cast<unsigned char>(c)]));
    m_innerBytes = found.bytes;
}

std::shared_ptr<const RegexKeyword> RegexKeyword::compile(std::string_view expression,
                                                          bool caseSensitive,
                                                          const ProgramState& state,
                                                          RegexFault& fault) {
    if (expression.empty()) {
        fault = {"the expression is empty", std::string::npos};
        return nullptr;
    }
    if (expression.size() > kMaxRegexLength) {
        fault = {"the expression is longer than " + std::to_string(kMaxRegexLength) + " characters",
                 kMaxRegexLength};
        return nullptr;
    }
    if (const std::size_t nul = expression.find('\0'); nul != std::string_view::npos) {
        fault = {"the expression holds a NUL character (write \\x00 to look for one)", nul};
        return nullptr;
    }
    std::shared_ptr<RegexKeyword> keyword(new RegexKeyword);
    keyword->m_expression = std::string(expression);
    keyword->m_caseSensitive = caseSensitive;
    keyword->m_tables = std::make_unique<RegexTables>(MakeRegexTables(state));
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_character_tables(context, keyword->m_tables->data());
    // Any of CR LF, CR and LF ends a line, for "." and for "^" and "$" (which stand at the
    // start and end of every line of a file).
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    const std::uint32_t options = PCRE2_MULTILINE | (caseSensitive ? 0 : PCRE2_CASELESS);
    keyword->m_code = compileCode(expression, options, context, fault);
    if (keyword->m_code) {
        keyword->m_starts = RegexLiteralStarts(expression);
        if (!keyword->m_starts.empty())
            keyword->m_anchored = compileCode(expression, options | PCRE2_ANCHORED, context, fault);
        else
            keyword->findInnerLiteral(options, context);
    }
    pcre2_compile_context_free(context);
    if (!keyword->m_code || (!keyword->m_starts.empty() && !keyword->m_anchored))
        return nullptr;
    std::uint32_t lookBehind = 0;
    pcre2_pattern_info(keyword->m_code, PCRE2_INFO_MAXLOOKBEHIND, &lookBehind);
    keyword->m_lookBehind = lookBehind;
    if (matchesOnlyEmpty(keyword->m_code)) {
        fault = {"the expression matches only the empty string, and such matches are skipped",
                 std::string::npos};
        return nullptr;
    }
    return keyword;
}

Result<std::shared_ptr<const RegexKeyword>>
CompileRegexKeyword(const ProgramState& state, const SearchRequest& request, std::size_t i) {
    const SearchKeywords& keywords = request.keywords;
    const std::string& expression = i < keywords.size() ? keywords.texts[i] : "";
    const bool caseSensitive = keywords.isCaseSensitive(i);
    RegexFault fault;
    auto keyword = RegexKeyword::compile(expression, caseSensitive, state, fault);
    if (!keyword)
        return RegexFaultMessage(expression, fault);
    return keyword;
}

bool CompileSearchPattern(const ProgramState& state, const SearchRequest& request, std::size_t i,
                          ScanPattern& out) {
    if (request.keywords.isRegex(i)) {
        auto keyword = CompileRegexKeyword(state, request, i);
        if (!keyword)
            return false;
        out = ScanPattern();
        out.patternText = (*keyword)->expression();
        out.start = ScanStart::EachWord;
        out.tokens.resize(1); // End
        out.regex = std::move(*keyword);
        return true;
    }
    CompiledPattern compiled;
    if (!CompileKeyword(state, request, i, compiled))
        return false;
    out = MakeScanPattern(compiled);
    return true;
}

Message RegexFaultMessage(std::string_view expression, const RegexFault& fault) {
    return search::msg::BadRegex(std::string(expression), fault.reason, fault.offset);
}

} // namespace lexmora
