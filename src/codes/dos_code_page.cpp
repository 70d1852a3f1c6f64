#include "codes/dos_code_page.h"

#include "core/text_codec.h"

#include <array>
#include <cstddef>

namespace lexmora {

void ToDosCodePage(std::string& text) {
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(c)] = '?';
        // Downwards, so that a Windows character two DOS bytes stand for gets the lower one.
        for (int c = 255; c >= 0; --c)
            t[cp437ByteToCp1252(static_cast<unsigned char>(c))] = static_cast<unsigned char>(c);
        for (int c = 0; c < 128; ++c)
            t[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
        return t;
    }();
    for (char& c : text)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

void FromDosCodePage(std::string& text) {
    for (char& c : text)
        c = static_cast<char>(cp437ByteToCp1252(static_cast<unsigned char>(c)));
}

} // namespace lexmora
