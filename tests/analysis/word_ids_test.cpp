// Word ids: a word numbered as the cutter gives it gets the id of its folded spelling, short and
// long words alike, across the table's growth, a batch at a time.
#include "analysis/word_ids.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {
namespace {

// The id of one word, numbered alone; none for a word that is no token.
std::optional<std::uint32_t> idOfWord(WordIds& ids, std::string_view word) {
    WordIdBatch batch;
    std::vector<std::uint32_t> out;
    if (!batch.add(word, ids))
        return std::nullopt;
    batch.flushInto(ids, out);
    return out.at(0);
}

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
        const std::optional<std::uint32_t> id = idOfWord(ids, c.word);
        ASSERT_EQ(id.has_value(), c.folded != nullptr);
        if (!id)
            continue;
        EXPECT_EQ(ids.spelling(*id), c.folded);
        EXPECT_EQ(idOfWord(ids, c.folded), id);
    }
    // the, eight888, ninebytes, oeuvre, été, 12, a, ab, abababababab
    EXPECT_EQ(ids.size(), 9u);
}

TEST(WordIds, IdsStayAsTheTableGrows) {
    WordIds ids;
    std::vector<std::string> words;
    for (int i = 0; i < 5000; ++i) // short and long, through several growths
        words.push_back("w" + std::to_string(i) + (i % 3 == 0 ? "longertail" : ""));
    for (std::size_t i = 0; i < words.size(); ++i)
        ASSERT_EQ(idOfWord(ids, words[i]), i);
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(idOfWord(ids, words[i]), i);
        EXPECT_EQ(ids.spelling(static_cast<std::uint32_t>(i)), words[i]);
    }
    EXPECT_EQ(ids.size(), words.size());
}

// Numbered a batch at a time, a stream of words (short, long, a first OE, no token, repeats,
// through the table's growth and many a full batch) gets its folded spellings' ids in the
// order they are first met, the marks kept in their places.
TEST(WordIds, ABatchNumbersFoldedSpellingsInTheOrderFirstMet) {
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
    std::map<std::string, std::uint32_t> firstMet;
    std::vector<std::string> spellings;
    std::vector<std::uint32_t> expected;
    std::string folded;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (FoldWord(words[i], folded)) {
            const auto [at, fresh] =
                firstMet.emplace(folded, static_cast<std::uint32_t>(spellings.size()));
            if (fresh)
                spellings.push_back(folded);
            expected.push_back(at->second);
        }
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
    ASSERT_EQ(batched.size(), spellings.size());
    for (std::uint32_t id = 0; id < spellings.size(); ++id)
        EXPECT_EQ(batched.spelling(id), spellings[id]);
}

} // namespace
} // namespace lexmora
