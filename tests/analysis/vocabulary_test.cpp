// The vocabulary: spellings numbered in the order first met, one at a time or a run at a time
// (the walk numbers a file's words in one run, each lookup asked for ahead).
#include "analysis/vocabulary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lexmora {
namespace {

TEST(Vocabulary, ARunGetsTheIdsOneByOneGives) {
    // short and long spellings, repeats, one that shares another's first eight bytes, through
    // several growths of the table, in runs shorter and longer than the look-ahead
    std::vector<std::string> words;
    for (int i = 0; i < 6000; ++i) {
        words.push_back("w" + std::to_string(i % 2500));
        words.push_back(i % 3 == 0 ? "eightbyt" : "eightbytes-and-more" + std::to_string(i % 7));
    }
    Vocabulary single;
    std::vector<std::uint32_t> expected;
    for (const std::string& w : words)
        expected.push_back(single.idOf(w));

    for (const std::size_t run : {std::size_t{1}, std::size_t{5}, std::size_t{8}, words.size()}) {
        SCOPED_TRACE(run);
        Vocabulary batched;
        std::vector<std::uint32_t> got(words.size());
        for (std::size_t from = 0; from < words.size(); from += run) {
            const std::size_t count = std::min(run, words.size() - from);
            batched.idsOf(
                count, [&](std::size_t i) -> std::string_view { return words[from + i]; },
                got.data() + from);
        }
        EXPECT_EQ(got, expected);
        ASSERT_EQ(batched.size(), single.size());
        for (std::uint32_t id = 0; id < single.size(); ++id)
            EXPECT_EQ(batched.spelling(id), single.spelling(id));
        EXPECT_EQ(batched.find("eightbyt"), single.find("eightbyt"));
        EXPECT_FALSE(batched.find("never-met").has_value());
    }
}

} // namespace
} // namespace lexmora
