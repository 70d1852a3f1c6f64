#include "search/word_classes.h"

#include "codes/code_tables.h"

namespace lexmora {

namespace {

void markAsciiLetters(WordClasses& w) {
    for (int c = 0; c < 256; ++c) {
        const bool letter = (c >= 65 && c <= 90) || (c >= 97 && c <= 122) || (c >= 35 && c <= 37);
        w.word1[c] = letter || (c >= 48 && c <= 57);
        w.word2[c] = letter;
    }
}

void markLetter(WordClasses& w, unsigned char c) {
    w.word1[c] = w.word2[c] = true;
}

// Sentence punctuation ends a walk from word to word; a line break, a tab and the other
// punctuation only separate words.
void markSentencePunctuation(WordClasses& w) {
    for (int c = 0; c < 32; ++c)
        if (c != '\t' && c != '\n' && c != '\r')
            w.clause[c] = true;
    for (int c : {'!', ',', '.', ':', ';', '?'})
        w.clause[c] = true;
}

void markAnsiLettersAndPunctuation(WordClasses& w) {
    for (int c : {130, 133, 161})
        w.clause[c] = true;
    for (int c : {140, 156, 170, 176, 186})
        markLetter(w, static_cast<unsigned char>(c));
    for (int c = 192; c <= 255; ++c)
        if (c != 215 && c != 247)
            markLetter(w, static_cast<unsigned char>(c));
}

// ANSI and ASCII: the special letters that are one byte in the code's first table.
void markOneByteSpecialLetters(WordClasses& w, const CodeRow& row) {
    for (int e = 0; e < kSpecialCharCount; ++e) {
        const std::string& r = row.CodeTable[0][e];
        if (r.size() == 1 && !isApostropheOrHyphenEntry(e))
            markLetter(w, static_cast<unsigned char>(r[0]));
    }
}

// A code file: the bytes of its special letters belong to words, and its delimiters end a
// clause.
void markCodeFileClasses(WordClasses& w, const CodeRow& row) {
    for (int t = 0; t < 2; ++t)
        for (int e = 0; e < kSpecialCharCount; ++e)
            if (!isApostropheOrHyphenEntry(e))
                for (char ch : row.CodeTable[t][e])
                    markLetter(w, static_cast<unsigned char>(ch));
    for (char ch : row.CodeDelimiters) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c != row.CodeSpaceCode && !w.word1[c])
            w.clause[c] = true;
    }
}

// The code's blank and the apostrophes separate words, whatever the tables above said.
void markBlankAndApostrophes(WordClasses& w, const CodeRow& row, int codeIndex) {
    const unsigned char blank = static_cast<unsigned char>(
        codeIndex <= kCodeAscii ? ' ' : (row.CodeSpaceCode > 0 ? row.CodeSpaceCode : ' '));
    w.word1[blank] = w.word2[blank] = false;
    w.clause[blank] = false;
    for (int c : {39, 146})
        w.word1[c] = w.word2[c] = false;
}

} // namespace

WordClasses MakeWordClasses(const ProgramState& state, int codeIndex) {
    WordClasses w;
    const CodeRow& row = CodeRowOf(state, codeIndex);
    markAsciiLetters(w);
    markSentencePunctuation(w);
    if (codeIndex == kCodeAnsi)
        markAnsiLettersAndPunctuation(w);
    if (codeIndex <= kCodeAscii)
        markOneByteSpecialLetters(w, row);
    else
        markCodeFileClasses(w, row);
    markBlankAndApostrophes(w, row, codeIndex);
    return w;
}

} // namespace lexmora
