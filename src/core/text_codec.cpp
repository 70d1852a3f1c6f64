#include "core/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace lexmora {
namespace {

// 0x80 to 0x9F; the rest of the code page is ISO 8859-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Code page 437, 0x80 to 0xFF.
constexpr std::array<char16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// Best fit for the characters of code page 437 that Windows-1252 lacks.
unsigned char bestFitCp437(char32_t cp) {
    if (cp == 0x2502 || cp == 0x2551 || cp == 0x2524 || cp == 0x2561 || cp == 0x2562 ||
        cp == 0x2563 || cp == 0x251C || cp == 0x255E || cp == 0x255F || cp == 0x2560)
        return (cp == 0x2502 || cp == 0x2551) ? '|' : '+';
    if (cp == 0x2500 || cp == 0x2550)
        return '-';
    if (cp >= 0x2500 && cp <= 0x257F)
        return '+';
    if (cp == 0x03B2 || cp == 0x00DF)
        return 0xDF;
    return '?';
}

std::array<unsigned char, 128> makeCp437Table() {
    std::array<unsigned char, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const char32_t cp = kCp437High[i];
        const int mapped = unicodeToCp1252(cp);
        table[i] = mapped >= 0 ? static_cast<unsigned char>(mapped) : bestFitCp437(cp);
    }
    return table;
}

} // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kCp1252High[byte - 0x80];
    return byte;
}

int unicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == cp)
            return static_cast<int>(0x80 + i);
    return -1;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// Where the run of ASCII bytes from `pos` ends, eight bytes at a time: most of any text in
// the five languages is ASCII, and it converts as it stands.
std::size_t asciiRunEnd(std::string_view text, std::size_t pos) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (pos + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        if (word & kHighBits)
            break;
        pos += 8;
    }
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80)
        ++pos;
    return pos;
}

} // namespace

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t ascii = asciiRunEnd(text, pos);
        out.append(text.data() + pos, ascii - pos);
        if (ascii < text.size())
            appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(text[ascii])));
        pos = ascii + 1;
    }
    return out;
}

namespace {

// Decodes one UTF-8 sequence at `pos`; returns its length, 0 when malformed, -1 when the text
// ends inside an otherwise well-formed sequence.
int decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    int length;
    char32_t min;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (pos + static_cast<std::size_t>(i) >= text.size())
            return -1;
        const auto next = static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string utf8ToCp1252(std::string_view text, char replacement) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t ascii = asciiRunEnd(text, pos);
        if (ascii > pos) {
            out.append(text.data() + pos, ascii - pos);
            pos = ascii;
            continue;
        }
        char32_t cp = 0;
        const int length = decodeUtf8(text, pos, cp);
        if (length <= 0) {
            out += text[pos];
            ++pos;
            continue;
        }
        const int mapped = unicodeToCp1252(cp);
        out += mapped >= 0 ? static_cast<char>(mapped) : replacement;
        pos += static_cast<std::size_t>(length);
    }
    return out;
}

Utf8Check checkUtf8(std::string_view text, bool mayBeCut) {
    Utf8Check check;
    std::size_t pos = 0;
    while (pos < text.size()) {
        pos = asciiRunEnd(text, pos);
        if (pos == text.size())
            break;
        char32_t cp = 0;
        const int length = decodeUtf8(text, pos, cp);
        if (length == -1 && mayBeCut)
            break;
        if (length <= 0)
            return check;
        if (length > 1)
            check.hasMultiByte = true;
        pos += static_cast<std::size_t>(length);
    }
    check.valid = true;
    return check;
}

std::string utf16ToCp1252(std::string_view bytes, bool bigEndian, char replacement) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? static_cast<char32_t>((a << 8) | b)
                         : static_cast<char32_t>((b << 8) | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                out += replacement; // outside the Basic Multilingual Plane: never in Windows-1252
                continue;
            }
        }
        const int mapped = unicodeToCp1252(cp);
        out += mapped >= 0 ? static_cast<char>(mapped) : replacement;
    }
    return out;
}

unsigned char cp437ByteToCp1252(unsigned char byte) {
    static const std::array<unsigned char, 128> table = makeCp437Table();
    return byte < 0x80 ? byte : table[byte - 0x80];
}

} // namespace lexmora
