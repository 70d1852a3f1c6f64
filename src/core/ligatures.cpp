#include "core/ligatures.h"

namespace lexmora {

std::string SpellOutOeLigatures(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\x9C')
            out += "oe";
        else if (c == '\x8C')
            out += "OE";
        else
            out += c;
    }
    return out;
}

} // namespace lexmora
