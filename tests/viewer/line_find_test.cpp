// Which KWIC lines hold a word: case folded (accents too), whole words only, phrases, and the
// blanks the user typed around the word ignored.
#include "viewer/line_find.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(LineFinder, WholeWordsWithoutRegardToCase) {
    struct Case {
        const char* word;
        const char* line;
        bool holds;
    };
    const Case cases[] = {
        {"art", "the art of it", true},
        {"art", "a party", false},                 // inside a word
        {"art", "art", true},                      // the whole line
        {"art", "Art, then", true},                // capital, punctuation after
        {"art", "l'art", true},                    // an apostrophe is no letter
        {"art", "arts and art", true},             // a later, whole occurrence
        {"art", "art2", false},                    // digits belong to the word
        {"\xC9T\xC9", "un \xE9t\xE9 chaud", true}, // ÉTÉ finds été
        {"\xE9t\xE9", "un \xE9t\xE9s", false},
        {"de la", "pr\xE8s DE LA maison", true},
        {"de la", "de lait", false},
        {"c.", "cf. c. 12", true}, // a mark ending the word needs no bound after it
        {"  cat ", "the cat", true},
        {"", "anything", false},
        {"   ", "anything", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LineFinder(c.word).holds(c.line), c.holds) << c.word << " in " << c.line;
    EXPECT_EQ(LineFinder("  cat ").word(), "cat");
    EXPECT_TRUE(LineFinder(" ").empty());
}

} // namespace
} // namespace lexmora
