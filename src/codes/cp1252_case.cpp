#include "codes/cp1252_case.h"

#include <array>

namespace lexmora {

namespace {

struct CaseTables {
    std::array<unsigned char, 256> lower{};
    std::array<unsigned char, 256> upper{};
    CaseTables() {
        for (int c = 0; c < 256; ++c) {
            lower[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
            upper[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c);
        }
        auto pair = [this](int up, int low) {
            lower[static_cast<std::size_t>(up)] = static_cast<unsigned char>(low);
            upper[static_cast<std::size_t>(low)] = static_cast<unsigned char>(up);
        };
        for (int c = 'A'; c <= 'Z'; ++c)
            pair(c, c + 32);
        // The accented capitals À..Þ, except the multiplication sign; ß has no capital.
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7)
                pair(c, c + 32);
        pair(0x8A, 0x9A); // Š š
        pair(0x8C, 0x9C); // Œ œ
        pair(0x8E, 0x9E); // Ž ž
        pair(0x9F, 0xFF); // Ÿ ÿ
    }
};

const CaseTables& tables() {
    static const CaseTables instance;
    return instance;
}

} // namespace

unsigned char lowerCp1252(unsigned char c) {
    return tables().lower[c];
}

unsigned char upperCp1252(unsigned char c) {
    return tables().upper[c];
}

std::string toLowerCp1252(std::string_view text) {
    const auto& table = tables().lower;
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

} // namespace lexmora
