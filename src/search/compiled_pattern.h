// A keyword compiled for the scanner: the pattern text with its word boundaries resolved, and
// four parallel arrays that split it into elements.
//
// Reading it: positions are 0-based indexes into PatternText. Every array has
// PatternText.size() + 1 entries; ElementKind is non-zero only at the first position of an
// element, and the last entry is always kEndOfPattern. Walk from position 0 and step by
// ElementLength of the element at hand (a gap or operator covers 1 position; a literal run its
// length; a French "oe" pair 2); the elements are contiguous, so the next element starts at
// p + ElementLength[p]. The four arrays are plain ints: no per-element allocation, no virtual
// calls, so the scanner can read them in its inner loop.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace lexmora {

// ElementKind values.
inline constexpr int kLiteralRun = 1;          // ElementLength characters of PatternText
inline constexpr int kGap = 2;                 // gap between words, operator, or inner "*"
inline constexpr int kSpecialInWord = 3;       // special character inside a word
inline constexpr int kSpecialStart = 4;        // special character that starts an element
inline constexpr int kSingleWildcard = 5;      // one arbitrary letter
inline constexpr int kLeadingWildcardWord = 6; // the pattern begins with any one word
inline constexpr int kEndOfPattern = 9;

// ElementArg of a gap. The Next Word Match count n is the low 7 bits (0..127).
inline constexpr int kNextWordDirect = 0;    // the next word follows directly
inline constexpr int kNextWordWithin = 256;  // + n: within the next n words ("<" n)
inline constexpr int kNextWordExactly = 512; // + n: exactly the n-th word ("=" n)
inline constexpr int kInnerWildcard = 128;   // a "*" kept inside a word or glued to its front
inline constexpr int kRequiredEndings = -1;  // "+": one of the endings that follow must come
inline constexpr int kOptionalEndings = -2;  // "/": the endings that follow may come
inline constexpr int kNextWordCountMask = 127;
// ElementArg of a special character (kinds 3, 4): its index 1..52 in the special-character row
// (entries 1-26 lower case, 27-52 the same letters in upper case).

// ElementBoundary values.
inline constexpr int kBoundaryBefore = 1;         // a word boundary must come before
inline constexpr int kBoundaryAfterWord = 2;      // on the gap that ends a word
inline constexpr int kBoundaryWildcardBefore = 3; // one arbitrary character precedes the word
inline constexpr int kBoundaryPunctuation = 4;    // the literal character is punctuation

struct CompiledPattern {
    std::string PatternText; // Windows-1252; lower case unless the keyword is case-sensitive
    int PatternLength = 0;   // length at the start of the element pass, end sentinel included
    std::vector<int> ElementKind;
    std::vector<int> ElementLength;
    std::vector<int> ElementArg;
    std::vector<int> ElementBoundary;
    bool HasLiteralComma = false; // a "," stands outside any operator: punctuation does not
                                  // stop a walk from word to word
    bool CaseSensitive = false;   // false: the text is to be compared in lower case
    // The punctuation class the pattern was compiled with, by byte value.
    std::array<bool, 256> Punctuation{};

    bool empty() const { return ElementKind.empty(); }
    void clear() { *this = CompiledPattern(); }
};

} // namespace lexmora
