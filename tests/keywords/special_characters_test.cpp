// The special-character table per language: letters, their order and Alt codes.
#include "keywords/special_characters.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

std::string letters(std::span<const SpecialCharEntry> list) {
    std::string out;
    for (const auto& e : list)
        out += static_cast<char>(e.code);
    return out;
}

std::string codes(std::span<const SpecialCharEntry> list) {
    std::string out;
    for (const auto& e : list)
        out += std::string(out.empty() ? "" : " ") + e.altCode;
    return out;
}

TEST(SpecialCharacters, TablePerLanguage) {
    struct Row {
        LanguageId language;
        std::string lower, upper, lowerCodes, upperCodes;
    };
    const Row rows[] = {
        {LanguageId::English, "", "", "", ""},
        {LanguageId::French, "\xE2\xE0\xE9\xEA\xE8\xEB\xEE\xEF\xF4\xFB\xF9\xE7\x9C",
         "\xC2\xC0\xC9\xCA\xC8\xCB\xCE\xCF\xD4\xDB\xD9\xC7\x8C",
         "131 133 130 136 138 137 140 139 147 150 151 135 0156",
         "0194 0192 144 0202 0200 0203 0206 0207 0212 0219 0217 128 0140"},
        {LanguageId::German, "\xE4\xF6\xFC\xDF", "\xC4\xD6\xDC\xDF", "132 148 129 225",
         "142 153 154 225"},
        {LanguageId::Italian, "\xE0\xE8\xEC\xF2\xF9", "\xC0\xC8\xCC\xD2\xD9", "133 138 141 149 151",
         "0192 0200 0204 0210 0217"},
        {LanguageId::Spanish, "\xE1\xE9\xED\xF3\xFA\xF1", "\xC1\xC9\xCD\xD3\xDA\xD1",
         "160 130 161 162 163 164", "0193 144 0205 0211 0218 165"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.language));
        const SpecialCharTable table = SpecialCharactersFor(row.language);
        EXPECT_EQ(letters(table.lower), row.lower);
        EXPECT_EQ(letters(table.upper), row.upper);
        EXPECT_EQ(codes(table.lower), row.lowerCodes);
        EXPECT_EQ(codes(table.upper), row.upperCodes);
    }
}

TEST(SpecialCharacters, Caption) {
    EXPECT_EQ(LanguageCaption("English"), " Language: English");
}

} // namespace
} // namespace lexmora
