// The literal every match of a regular expression holds somewhere inside ("ment" of
// "\b\w+ment\b"), and the bytes a match may consume. With both the search looks for the literal
// first, as plain keywords are looked for, and tries the expression only from where a match
// holding it could start: after the last byte before the literal that no match may consume.
#pragma once

#include "search/literal_finder.h"
#include "search/regex_keyword.h"

#include <bitset>
#include <string>
#include <string_view>

namespace lexmora {

using ByteSet = std::bitset<256>;

struct RegexInnerLiteral {
    std::string literal; // as typed; empty when none can be told safely
    ByteSet bytes;       // every byte a match may consume (never fewer, maybe more)
};

// Reads the expression conservatively: only a literal of two or more plain characters standing,
// unrepeated, in the expression's top-level sequence (no alternative outside a group), and only
// when every construct of the expression is one this reading knows (no back references, inline
// options, verbs, \K, \G...). Otherwise, or when a match may consume any byte, the literal is
// empty and the expression is matched as it stands.
RegexInnerLiteral FindRegexInnerLiteral(std::string_view expression, const RegexTables& tables,
                                        bool caseSensitive);

// A fold under which two bytes are equal whenever case-blind matching with `tables` may take one
// for the other (a letter, its lower case and its other case fold alike).
FoldTable RegexCaseFold(const RegexTables& tables);

} // namespace lexmora
