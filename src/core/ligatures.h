// The French ligatures of Windows-1252 written out as two letters, where a name on disk wants
// plain letters (a result file named after a keyword, a word list named by the user).
#pragma once

#include <string>
#include <string_view>

namespace lexmora {

// `text` (Windows-1252) with every "œ" (156) written "oe" and every "Œ" (140) "OE".
std::string SpellOutOeLigatures(std::string_view text);

} // namespace lexmora
