// The fixed layout of a KWIC line: hit number field, right-aligned left context, matched text,
// left-aligned right context. The matched text starts in column LeftContext + 6.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lexmora {

inline constexpr int kHitNumberFieldWidth = 5;

// Appends the line to `out` from contexts already cleaned: the left context keeps only its last
// `leftWidth` characters and is blank-padded on the left; the right context is blank-padded or
// cut to `rightWidth`; the hit number is written flush left in 5 characters (cut to 5).
void AppendKwicLine(std::string& out, std::int64_t hitNumber, std::string_view leftContext,
                    std::string_view matchedText, std::string_view rightContext, int leftWidth,
                    int rightWidth);

// The same line as the whole of `line` (the scanner's buffer, kept from hit to hit).
void WriteKwicLine(std::string& line, std::int64_t hitNumber, std::string_view leftContext,
                   std::string_view matchedText, std::string_view rightContext, int leftWidth,
                   int rightWidth);

std::string AssembleKwicLine(std::int64_t hitNumber, std::string_view leftContext,
                             std::string_view matchedText, std::string_view rightContext,
                             int leftWidth, int rightWidth);

} // namespace lexmora
