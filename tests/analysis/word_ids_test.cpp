// Word ids: a word numbered as the cutter gives it gets the id of its folded spelling, short and
// long words alike, across the table's growth.
#include "analysis/word_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexmora {
namespace {

TEST(WordIds, AWordAndItsFoldedSpellingShareTheirId) {
    struct Case {
        const char* word;
        const char* folded; // nullptr: no token
    };
    const Case cases[] = {
        {"The", "the"},
        {"THE", "the"},
        {"the", "the"},
        {"Eight888", "eight888"},   // eight bytes: the longest short word
        {"Ninebytes", "ninebytes"}, // nine: a long one
        {"NINEBYTES", "ninebytes"}, //
        {"\x8C"
         "uvre",
         "oeuvre"},                       // a first OE ligature written "oe"
        {"\xC9t\xC9", "\xE9t\xE9"},       // accented capitals folded
        {"12", "12"},                     // a digit first is a token
        {"-x", nullptr},                  // no letter or digit first: none
        {"a", "a"},                       //
        {"ab", "ab"},                     // shorter than another word's start
        {"abababababab", "abababababab"}, //
    };
    WordIds ids;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        std::uint32_t id = 0xDEAD;
        const bool token = ids.idOfWord(c.word, id);
        ASSERT_EQ(token, c.folded != nullptr);
        if (!token)
            continue;
        EXPECT_EQ(ids.spelling(id), c.folded);
        EXPECT_EQ(ids.idOf(c.folded), id);
    }
    // the, eight888, ninebytes, oeuvre, été, 12, a, ab, abababababab
    EXPECT_EQ(ids.size(), 9u);
}

TEST(WordIds, IdsStayAsTheTableGrows) {
    WordIds ids;
    std::vector<std::string> words;
    for (int i = 0; i < 5000; ++i) // short and long, through several growths
        words.push_back("w" + std::to_string(i) + (i % 3 == 0 ? "longertail" : ""));
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::uint32_t id = 0;
        ASSERT_TRUE(ids.idOfWord(words[i], id));
        ASSERT_EQ(id, i);
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::uint32_t id = 0;
        ASSERT_TRUE(ids.idOfWord(words[i], id));
        EXPECT_EQ(id, i);
        EXPECT_EQ(ids.spelling(static_cast<std::uint32_t>(i)), words[i]);
    }
    EXPECT_EQ(ids.size(), words.size());
}

} // namespace
} // namespace lexmora
