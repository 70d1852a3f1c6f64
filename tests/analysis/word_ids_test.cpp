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

// Numbered a batch at a time, a stream of words (short, long, a first OE, no token, repeats,
// through the table's growth and many a full batch) gets the ids one by one gives, in order,
// the marks kept in their places.
TEST(WordIds, ABatchGivesTheIdsOneByOneGives) {
    const char* kinds[] = {"The",
                           "Ninebytes",
                           "\x8C"
                           "uvre",
                           "\x8C"
                           "uvrestotal",
                           "-x",
                           "\xC9t\xC9"};
    std::vector<std::string> words;
    for (int i = 0; i < 3000; ++i) {
        words.push_back(kinds[i % 6]);
        words.push_back("W" + std::to_string(i % 1700) + (i % 4 == 0 ? "longertail" : ""));
    }
    constexpr std::uint32_t kMark = 0xFFFFFFFFu;
    WordIds single;
    std::vector<std::uint32_t> expected;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::uint32_t id = 0;
        if (single.idOfWord(words[i], id))
            expected.push_back(id);
        if (i % 7 == 0)
            expected.push_back(kMark);
    }
    WordIds batched;
    WordIdBatch batch;
    std::vector<std::uint32_t> got;
    for (std::size_t i = 0; i < words.size(); ++i) {
        batch.add(words[i], batched);
        if (batch.full())
            batch.flushInto(batched, got);
        if (i % 7 == 0)
            batch.addMark(kMark);
        if (batch.full())
            batch.flushInto(batched, got);
    }
    batch.flushInto(batched, got);
    EXPECT_EQ(got, expected);
    ASSERT_EQ(batched.size(), single.size());
    for (std::uint32_t id = 0; id < single.size(); ++id)
        EXPECT_EQ(batched.spelling(id), single.spelling(id));
}

} // namespace
} // namespace lexmora
