// How a file's words are told apart: the word characters in their two modes and the characters
// that end a clause.
#pragma once

#include "core/program_state.h"

namespace lexmora {

// The word characters of IsWordChar in its two modes, and the characters that end a clause
// (where a walk from word to word stops).
struct WordClasses {
    bool word1[256] = {};  // mode 1: digits are word characters
    bool word2[256] = {};  // mode 2: they are not
    bool clause[256] = {}; // ends a walk between words
};
WordClasses MakeWordClasses(const ProgramState& state, int codeIndex);

// Entries 23 and 24 of each case of a code table (0..51) hold the apostrophe and the hyphen,
// which are not letters.
inline bool isApostropheOrHyphenEntry(int entry) {
    const int pos = entry % 26;
    return pos == 23 || pos == 24;
}

} // namespace lexmora
