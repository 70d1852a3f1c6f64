// The compiled keyword as the scanner walks it: the position-indexed element arrays of the
// compiler turned into a short list of tokens, built once per keyword.
#pragma once

#include "search/compiled_pattern.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

class RegexKeyword;

enum class ScanTokenKind : std::uint8_t {
    Literal,   // a run of characters compared as they stand
    Special,   // one of the 52 special letters, in any representation of the file's code
    AnyLetter, // the single-character wildcard inside a word
    InnerStar, // a "*" kept inside a word: the rest lines up with the end of that word
    WordEnd,   // the word just matched must end here
    NextWord,  // walk to the next word(s); the following token matches there
    Endings,   // "+" (required) or "/" (optional) endings after a stem
    End,
};

enum class WordStart : std::uint8_t {
    None,           // no look-back
    Boundary,       // the character before must not be a word character
    AfterOneLetter, // one word character before, and a non-word character before that
};

struct ScanToken {
    ScanTokenKind kind = ScanTokenKind::End;
    std::string text; // Literal
    int special = 0;  // Special: entry 1..52
    WordStart start = WordStart::None;
    // NextWord: the next token must match at the start of word `words` (exact) or of any of the
    // next `words` words (within).
    int words = 1;
    bool within = false;
    // Endings: tried in order at the end of the stem.
    bool required = false;
    std::vector<std::vector<ScanToken>> endings;
};

enum class ScanStart : std::uint8_t {
    Literal,      // the first token is a literal run: located by substring search
    Special,      // the first token is a special letter: earliest representation wins
    AnyLetter,    // a single-character wildcard standing alone at the start
    WildcardWord, // a leading wildcard word: any word starts the match
    EachWord,     // no token to look for first: the tokens are tried at every word start
};

struct ScanPattern {
    std::string patternText; // the keyword as compiled, as the result files quote it
    ScanStart start = ScanStart::Literal;
    std::vector<ScanToken> tokens; // the first token included; always ends with End
    bool hasLiteralComma = false;
    bool startsWithSingleWildcard = false;
    // Set for a regular expression (patternText is the expression as typed): the tokens are
    // only the End token, and the scanner matches the expression instead.
    std::shared_ptr<const RegexKeyword> regex;
};

// Builds the tokens from the compiler's arrays. Index i of each array describes pattern
// position i + 1; the arrays reach at least one past the end of `patternText` (the end
// element). Characters that no element claims are taken as literal characters.
ScanPattern MakeScanPattern(std::string_view patternText, const std::vector<int>& kinds,
                            const std::vector<int>& lengths, const std::vector<int>& args,
                            const std::vector<int>& boundaries, bool hasLiteralComma);

// The tokens of a compiled keyword.
ScanPattern MakeScanPattern(const CompiledPattern& compiled);

} // namespace lexmora
