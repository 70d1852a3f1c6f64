// The accented letters of each language offered in the keyword window's panel, with the Alt
// codes that type them on a numeric keypad, in the order they are shown.
#pragma once

#include "core/program_state.h"

#include <span>
#include <string>

namespace lexmora {

struct SpecialCharEntry {
    unsigned char code;  // the letter, Windows-1252
    const char* altCode; // three digits: the DOS code; four starting with 0: the Windows code
};

struct SpecialCharTable {
    std::span<const SpecialCharEntry> lower;
    std::span<const SpecialCharEntry> upper; // as many rows as `lower`
};

// English has none.
SpecialCharTable SpecialCharactersFor(LanguageId language);

// " Language: " and the name, the caption of lblLanguage.
std::string LanguageCaption(const std::string& languageName);

} // namespace lexmora
