// The Windows-1252, UTF-8, UTF-16 and code page 437 conversions, over every byte where it matters.
#include "core/text_codec.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

using namespace std::string_literals;

TEST(TextCodecCp1252, EveryByteSurvivesARoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_TRUE(checkUtf8(utf8).valid);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    for (int b = 0; b < 256; ++b) {
        const char32_t cp = cp1252ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(unicodeToCp1252(cp), b) << b;
    }
}

// Plain runs are copied eight bytes at a time: a letter to convert at any place around them.
TEST(TextCodecCp1252, LettersAmongPlainRunsOfEveryLength) {
    for (std::size_t n = 1; n <= 19; ++n)
        for (std::size_t at = 0; at < n; ++at) {
            std::string text(n, 'a'), expected;
            text[at] = '\xE9';
            text[n - 1] = at + 1 < n ? '\x80' : text[n - 1];
            for (const char c : text)
                expected += cp1252ToUtf8(std::string(1, c));
            EXPECT_EQ(cp1252ToUtf8(text), expected) << n << " " << at;
        }
}

TEST(TextCodecCp1252, KnownLettersAndTheFiveUndefinedBytes) {
    struct Case {
        unsigned char byte;
        char32_t cp;
        const char* utf8;
    };
    const Case cases[] = {
        {0x41, U'A', "A"},
        {0x80, 0x20AC, "\xE2\x82\xAC"}, // euro sign
        {0x8C, 0x0152, "\xC5\x92"},     // OE ligature
        {0x92, 0x2019, "\xE2\x80\x99"}, // right single quotation mark
        {0x9C, 0x0153, "\xC5\x93"},
        {0x9F, 0x0178, "\xC5\xB8"},
        {0xA0, 0x00A0, "\xC2\xA0"},
        {0xE9, 0x00E9, "\xC3\xA9"},
        {0xFF, 0x00FF, "\xC3\xBF"},
        // Undefined in the code page: kept as the C1 control of the same number.
        {0x81, 0x0081, "\xC2\x81"},
        {0x8D, 0x008D, "\xC2\x8D"},
        {0x8F, 0x008F, "\xC2\x8F"},
        {0x90, 0x0090, "\xC2\x90"},
        {0x9D, 0x009D, "\xC2\x9D"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp1252ToUnicode(c.byte), c.cp) << int(c.byte);
        EXPECT_EQ(cp1252ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8);
    }
    // C1 controls that Windows-1252 uses for letters have no byte of their own.
    EXPECT_EQ(unicodeToCp1252(0x0080), -1);
    EXPECT_EQ(unicodeToCp1252(0x0092), -1);
    EXPECT_EQ(unicodeToCp1252(0x0100), -1);
    EXPECT_EQ(unicodeToCp1252(0x1F600), -1);
}

TEST(TextCodecUtf8, CharactersOutsideTheCodePageAndInvalidBytes) {
    struct Case {
        std::string utf8;
        std::string cp1252;
    };
    const Case cases[] = {
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xE9 \x80"},
        {"\xC4\x80 \xD0\x96 \xE4\xB8\xAD", "? ? ?"}, // A macron, Cyrillic, Chinese
        {"\xF0\x9F\x98\x80!", "?!"},                 // outside the BMP
        {"l\xE9t\xE9", "l\xE9t\xE9"},                // Windows-1252 bytes pass as they are
        {"\xC3", "\xC3"},                            // cut sequence at the end
        {"\xC3(", "\xC3("},                          // lead byte without continuation
        {"\x80\xBF", "\x80\xBF"},                    // lone continuation bytes
        {"\xC0\xAF", "\xC0\xAF"},                    // overlong "/"
        {"\xED\xA0\x80", "\xED\xA0\x80"},            // a surrogate written in UTF-8
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},    // beyond U+10FFFF
        {"\xFE\xFF", "\xFE\xFF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
    EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD", '_'), "_");
}

TEST(TextCodecUtf8, CheckWithASequenceCutAtTheEnd) {
    struct Case {
        std::string text;
        bool mayBeCut;
        bool valid;
        bool multiByte;
    };
    const Case cases[] = {
        {"plain", false, true, false},
        {"", false, true, false},
        {"\xC3\xA9t\xC3\xA9", false, true, true},
        {"ab\xE2\x82", false, false, false}, // cut: invalid in a whole file
        {"ab\xE2\x82", true, true, false},   // but not at the end of a first block
        {"\xC3\xA9 \xF0\x9F\x98", true, true, true},
        {"\xE2\x82x", true, false, false}, // a broken sequence is broken anywhere
        {"caf\xE9s", true, false, false},  // Windows-1252, not UTF-8
        {"caf\xE9", true, true, false},    // at the very end it may still be a cut letter
        {"\xC0\x80", false, false, false},
    };
    for (const Case& c : cases) {
        const Utf8Check check = checkUtf8(c.text, c.mayBeCut);
        EXPECT_EQ(check.valid, c.valid) << c.text;
        if (check.valid) {
            EXPECT_EQ(check.hasMultiByte, c.multiByte) << c.text;
        }
    }
}

TEST(TextCodecUtf16, LittleAndBigEndianWithSurrogates) {
    struct Case {
        std::string bytes;
        bool bigEndian;
        std::string cp1252;
    };
    const Case cases[] = {
        {"A\0\xE9\0\xAC\x20"s, false, "A\xE9\x80"},
        {"\0A\0\xE9\x20\xAC"s, true, "A\xE9\x80"},
        {"\x3D\xD8\x00\xDE!\0"s, false, "?!"}, // a surrogate pair is one character
        {"\xD8\x3D\xDE\x00\0!"s, true, "?!"},
        {"\x3D\xD8!\0"s, false, "?!"}, // high surrogate without its low one
        {"\x00\xDE!\0"s, false, "?!"}, // low surrogate alone
        {"!\0\x3D\xD8"s, false, "!?"}, // high surrogate at the very end
        {"\xFF\xFEx\0"s, false, "?x"}, // a mark is converted like any character
        {"A\0B"s, false, "A"},         // odd last byte
        {"\x16\x04"s, false, "?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf16ToCp1252(c.bytes, c.bigEndian), c.cp1252);
    EXPECT_EQ(utf16ToCp1252("\x16\x04"s, false, '#'), "#");
}

TEST(TextCodecCp437, LettersAndBoxDrawing) {
    struct Case {
        unsigned char dos;
        unsigned char ansi;
    };
    const Case cases[] = {
        {0x41, 'A'},
        {0x80, 0xC7},
        {0x81, 0xFC},
        {0x82, 0xE9},
        {0x84, 0xE4},
        {0x85, 0xE0},
        {0x87, 0xE7},
        {0x8A, 0xE8},
        {0x94, 0xF6},
        {0x99, 0xD6},
        {0x9A, 0xDC},
        {0xA4, 0xF1},
        {0xA5, 0xD1},
        {0xE1, 0xDF},
        {0x9F, 0x83},
        {0xFF, 0xA0},
        {0xF8, 0xB0},
        // Box drawing as + - |
        {0xB3, '|'},
        {0xBA, '|'},
        {0xC4, '-'},
        {0xCD, '-'},
        {0xDA, '+'},
        {0xBF, '+'},
        {0xC0, '+'},
        {0xD9, '+'},
        {0xC5, '+'},
        {0xCE, '+'},
        {0xB4, '+'},
        {0xC3, '+'},
        // No Windows-1252 letter: "?"
        {0xB0, '?'},
        {0xDB, '?'},
        {0xE0, '?'},
        {0x9E, '?'},
        {0xF9, '?'},
        {0xFA, 0xB7}, // bullet operator; middle dot
    };
    for (const Case& c : cases)
        EXPECT_EQ(cp437ByteToCp1252(c.dos), c.ansi) << std::hex << int(c.dos);
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(cp437ByteToCp1252(static_cast<unsigned char>(b)), b);
}

} // namespace
} // namespace lexmora
