#include "search/text_fold.h"

namespace lexmora {

Fold makeFold(FoldMode mode) {
    Fold f;
    for (int c = 0; c < 256; ++c) {
        unsigned char u = static_cast<unsigned char>(c);
        if (mode == FoldMode::Cp1252)
            u = lowerCp1252(u);
        else if (mode == FoldMode::AsciiLetters && c >= 'A' && c <= 'Z')
            u = static_cast<unsigned char>(c + 32);
        f.map[static_cast<std::size_t>(c)] = u;
    }
    f.active = mode != FoldMode::None;
    return f;
}

std::string foldText(const Fold& fold, std::string_view text) {
    std::string out(text);
    if (fold.active)
        for (char& c : out)
            c = static_cast<char>(fold.map[static_cast<unsigned char>(c)]);
    return out;
}

} // namespace lexmora
