#include "viewer/keyword_span.h"

#include <algorithm>

namespace lexmora {

namespace {

bool isBreak(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

} // namespace

int KeywordWordCount(std::string_view keyword) {
    int words = 0;
    bool inWord = false;
    for (const char c : keyword) {
        if (c != ' ' && !inWord)
            ++words;
        inWord = c != ' ';
    }
    return std::max(words, 1);
}

bool IsTrailingMark(unsigned char c) {
    switch (c) {
    case '.':
    case ',':
    case ';':
    case ':':
    case '!':
    case '?':
    case ')':
    case ']':
    case '}':
    case '"':
    case '\'':
    case 0x85: // ellipsis
    case 0x92: // right single quote
    case 0x94: // right double quote
    case 0xBB: // right guillemet
        return true;
    default:
        return false;
    }
}

std::size_t KeywordLength(std::string_view text, int words) {
    std::size_t end = 0; // just after the last word taken
    for (int word = 0; word < std::max(words, 1); ++word) {
        std::size_t at = end;
        while (word > 0 && at < text.size() && isBreak(text[at]))
            ++at;
        if (at == text.size() || (word == 0 && isBreak(text[at])))
            break;
        while (at < text.size() && !isBreak(text[at]))
            ++at;
        end = at;
    }
    std::size_t last = end;
    while (last > 0 && IsTrailingMark(static_cast<unsigned char>(text[last - 1])))
        --last;
    return last == 0 ? end : last;
}

} // namespace lexmora
