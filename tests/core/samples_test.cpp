// The shipped sample texts are what the demo and other tests expect: Windows-1252 with CR LF,
// the demo words, hyphenated line ends, and a UTF-16 copy of the first French section.
#include "core/file_utils.h"
#include "core/text_codec.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace lexmora {
namespace {

std::string samplePath(const std::string& name) {
    return test::sourceDir() + "/data/samples/" + name;
}

TEST(Samples, Windows1252WithCrLfAndTheDemoWords) {
    struct Case {
        const char* file;
        const char* word;
        const char* letters; // accented letters the text must hold
    };
    const Case cases[] = {
        {"english.txt", "house", "\xE9\xEF\xE7'"},
        {"francais.txt", "maison",
         "\xE9\xE8\xEA\xE0\xE7\x9C"
         "l'homme"},
        {"deutsch.txt", "Haus", "\xE4\xF6\xFC\xDF\xC4"},
        {"italiano.txt", "casa",
         "\xE0\xE8\xF2\xF9"
         "l'anno"},
        {"espanol.txt", "casa", "\xF1\xE1\xE9\xED\xF3\xFA\xBF\xA1"},
    };
    for (const Case& c : cases) {
        const std::string text = ReadWholeFile(samplePath(c.file));
        ASSERT_GE(text.size(), 4000u) << c.file;
        EXPECT_LE(text.size(), 8192u) << c.file;
        EXPECT_FALSE(IsBinaryText(text, text.size())) << c.file;
        EXPECT_FALSE(checkUtf8(text).valid) << c.file << " must not be UTF-8";
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << c.file;
        std::size_t lineEnds = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ASSERT_GT(i, 0u);
                EXPECT_EQ(text[i - 1], '\r') << c.file << " at " << i;
                ++lineEnds;
            } else if (text[i] == '\r') {
                EXPECT_EQ(text[i + 1], '\n') << c.file << " at " << i;
            }
        }
        EXPECT_EQ(SplitText(text).size(), lineEnds);
        EXPECT_GE(std::count(text.begin(), text.end(), '\n'), 60) << c.file;
        std::size_t uses = 0;
        for (auto at = text.find(c.word); at != std::string::npos; at = text.find(c.word, at + 1))
            ++uses;
        EXPECT_GE(uses, 4u) << c.file << ": " << c.word;
        for (const char* letter = c.letters; *letter; ++letter)
            EXPECT_NE(text.find(*letter), std::string::npos) << c.file << ": " << int(*letter);
        // At least one word broken across a line end with a hyphen.
        bool hyphenated = false;
        for (auto at = text.find("-\r\n"); at != std::string::npos && !hyphenated;
             at = text.find("-\r\n", at + 1))
            hyphenated = at > 0 && std::isalpha(static_cast<unsigned char>(text[at - 1])) &&
                         at + 3 < text.size() &&
                         std::islower(static_cast<unsigned char>(text[at + 3]));
        EXPECT_TRUE(hyphenated) << c.file;
    }
    const std::string french = ReadWholeFile(samplePath("francais.txt"));
    EXPECT_NE(french.find("aujourd'hui"), std::string::npos);
    EXPECT_NE(french.find("l'homme"), std::string::npos);
    EXPECT_NE(ReadWholeFile(samplePath("italiano.txt")).find("L'anno"), std::string::npos);
}

TEST(Samples, Utf16FileIsTheFirstFrenchSection) {
    const std::string bytes = ReadWholeFile(samplePath("francais_utf16le.txt"));
    ASSERT_TRUE(IsUnicodeText(bytes));
    EXPECT_FALSE(IsBinaryText(bytes, bytes.size()));
    const std::string copy = utf16ToCp1252(std::string_view(bytes).substr(2), false);
    const std::string french = ReadWholeFile(samplePath("francais.txt"));
    ASSERT_GT(copy.size(), 1000u);
    EXPECT_EQ(copy, french.substr(0, copy.size()));
    EXPECT_EQ(french.substr(copy.size(), 4), "II\r\n");
}

} // namespace
} // namespace lexmora
