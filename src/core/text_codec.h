// Conversions between the program's Windows-1252 text and Unicode (UTF-8, UTF-16) and from DOS
// code page 437, each from a 256-entry table of our own.
#pragma once

#include <string>
#include <string_view>

namespace lexmora {

// The Unicode code point of a Windows-1252 byte. The five bytes the code page leaves undefined
// map to the C1 control of the same number, so that every byte survives a round trip.
char32_t cp1252ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point, or -1 when the code page cannot hold it.
int unicodeToCp1252(char32_t codePoint);

std::string cp1252ToUtf8(std::string_view text);

// Characters Windows-1252 cannot hold become `replacement`. A byte that is not part of a valid
// UTF-8 sequence is taken as a Windows-1252 byte, so nothing is dropped.
std::string utf8ToCp1252(std::string_view text, char replacement = '?');

// UTF-16 bytes (no byte-order mark expected; one is converted like any other character).
std::string utf16ToCp1252(std::string_view bytes, bool bigEndian, char replacement = '?');

// DOS code page 437 as Windows-1252: exact where the letter exists, box drawing as + - |,
// anything else as "?".
unsigned char cp437ByteToCp1252(unsigned char byte);

struct Utf8Check {
    bool valid = false;        // no malformed sequence
    bool hasMultiByte = false; // at least one sequence of two bytes or more
};
// `mayBeCut`: the text is the first block of a longer file, so a sequence cut at its very end
// does not make it invalid.
Utf8Check checkUtf8(std::string_view text, bool mayBeCut = false);

void appendUtf8(std::string& out, char32_t codePoint);

} // namespace lexmora
