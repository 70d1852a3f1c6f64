// How much of a KWIC line is the keyword: all the words of a keyword of several words, without
// the punctuation that follows the last (a comma after "maison" belongs to the sentence).
#pragma once

#include <cstddef>
#include <string_view>

namespace lexmora {

// The number of words of a keyword as typed ("maison de campagne": 3), at least 1.
int KeywordWordCount(std::string_view keyword);

// Marks that follow a word in running text (Windows-1252): full stop, comma, closing quotes...
bool IsTrailingMark(unsigned char c);

// The length of `text` (which starts with the keyword) the keyword takes: `words` words, each
// ended by a blank or a line break, the blanks and breaks between them skipped, the trailing
// marks of the last left out unless the keyword is all marks ("...").
std::size_t KeywordLength(std::string_view text, int words);

} // namespace lexmora
