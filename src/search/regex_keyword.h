// Keywords that are regular expressions: Perl-compatible (PCRE2 with its JIT) over the text as
// the search reads it, Windows-1252, with character tables made from the program's own letters
// and cases so that \w, \b, [[:alpha:]] and case-blind matching know "é" and "É" as the keyword
// language does.
#pragma once

#include "core/message.h"
#include "core/program_state.h"
#include "core/result.h"
#include "search/literal_finder.h"
#include "search/scan_pattern.h"
#include "search/search_request.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;
struct pcre2_real_match_context_8;
struct pcre2_real_jit_stack_8;
struct pcre2_real_compile_context_8;

namespace lexmora {

// The longest expression taken, as a keyword file's longest line.
inline constexpr std::size_t kMaxRegexLength = 255;
// Work allowed for one search of a window before an expression is judged pathological
// (catastrophic backtracking): PCRE2's match limit and its depth limit.
inline constexpr std::uint32_t kRegexMatchLimit = 10'000'000;
inline constexpr std::uint32_t kRegexDepthLimit = 100'000;

// PCRE2's character tables (1088 bytes: lower case, case flip, class bitmaps, types) for
// Windows-1252: word characters as the search's word bounds take them in ANSI text, letters and
// their cases as the program's case tables pair them.
using RegexTables = std::array<std::uint8_t, 1088>;

// The layout of PCRE2's tables (pcre2_maketables): 256 bytes of lower case, 256 of the other
// case, ten 32-byte class bitmaps, then 256 bytes of character types.
namespace regex_layout {
inline constexpr std::size_t kLowerCase = 0;
inline constexpr std::size_t kFlipCase = 256;
inline constexpr std::size_t kClassBits = 512;
inline constexpr std::size_t kTypes = 832;
enum ClassBitmap : std::size_t {
    kSpaceBits = 0,
    kXdigitBits = 32,
    kDigitBits = 64,
    kUpperBits = 96,
    kLowerBits = 128,
    kWordBits = 160,
    kGraphBits = 192,
    kPrintBits = 224,
    kPunctBits = 256,
    kCntrlBits = 288,
};
} // namespace regex_layout
RegexTables MakeRegexTables(const ProgramState& state);

// What is wrong with an expression: PCRE2's message (or the program's) and the offset in the
// expression where the fault was seen (npos when it concerns the whole expression).
struct RegexFault {
    std::string reason;
    std::size_t offset = std::string::npos;
};

class RegexKeyword {
public:
    ~RegexKeyword();
    RegexKeyword(const RegexKeyword&) = delete;
    RegexKeyword& operator=(const RegexKeyword&) = delete;

    // Compiles `expression` (Windows-1252, as typed): the keyword, or what is wrong with it.
    static std::shared_ptr<const RegexKeyword> compile(std::string_view expression,
                                                       bool caseSensitive,
                                                       const ProgramState& state,
                                                       RegexFault& fault);

    const std::string& expression() const { return m_expression; }
    bool caseSensitive() const { return m_caseSensitive; }
    // The literals one of which begins every match, as typed (none: nothing to look for first).
    const std::vector<std::string>& literalStarts() const { return m_starts; }
    // How far back a lookbehind may look from where a match starts.
    std::size_t lookBehind() const { return m_lookBehind; }

    pcre2_real_code_8* code() const { return m_code; }
    // The same expression anchored where it is tried (null without literal starts).
    pcre2_real_code_8* anchored() const { return m_anchored; }

    // Without literal starts: a literal every match holds (regex_inner_literal.h), folded by
    // innerFold(), the bytes a match may consume, and the expression compiled to take a limit
    // on where a match may start (null without such a literal).
    const std::string& innerLiteral() const { return m_innerLiteral; }
    const FoldTable& innerFold() const { return m_innerFold; }
    const std::bitset<256>& innerBytes() const { return m_innerBytes; }
    pcre2_real_code_8* inner() const { return m_inner; }

private:
    RegexKeyword() = default;
    std::string m_expression;
    bool m_caseSensitive = false;
    std::vector<std::string> m_starts;
    std::size_t m_lookBehind = 0;
    // The compiled codes point into the tables: they live as long as the keyword.
    std::unique_ptr<RegexTables> m_tables;
    pcre2_real_code_8* m_code = nullptr;
    pcre2_real_code_8* m_anchored = nullptr;
    std::string m_innerLiteral;
    FoldTable m_innerFold{};
    std::bitset<256> m_innerBytes;
    pcre2_real_code_8* m_inner = nullptr;

    void findInnerLiteral(std::uint32_t options, pcre2_real_compile_context_8* context);
};

// The literal every match of `expression` must begin with: the plain characters before its
// first special one (less the last when a quantifier follows it); empty when the expression has
// an alternative ("|") anywhere, or begins with anything else.
std::string RegexLiteralPrefix(std::string_view expression);

// The literals one of which every match of `expression` begins with, after any leading word
// bounds: its literal prefix, or the prefixes of the alternatives of a leading group
// ("\b(walk|talk)(ed|ing)?" gives "walk" and "talk"). None when that cannot be told.
std::vector<std::string> RegexLiteralStarts(std::string_view expression);

// Compiles keyword i of the request as a regular expression (the state gives the code rows its
// character tables come from): the keyword, or the message naming what is wrong with it.
Result<std::shared_ptr<const RegexKeyword>>
CompileRegexKeyword(const ProgramState& state, const SearchRequest& request, std::size_t i);

// Keyword i of the request compiled for the scanner, a regular expression or a plain keyword
// (CompileKeyword). False when there is nothing to search for: a plain keyword that compiles to
// nothing, or an expression that does not compile (refused before the run already).
bool CompileSearchPattern(const ProgramState& state, const SearchRequest& request, std::size_t i,
                          ScanPattern& out);

// The message for a fault of `expression` (for the live check of the keyword window too).
Message RegexFaultMessage(std::string_view expression, const RegexFault& fault);

} // namespace lexmora
