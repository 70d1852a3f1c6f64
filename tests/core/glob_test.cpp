// The shared wildcard rule, under both of its uses' notions of the same character.
#include "core/glob.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(Glob, StarQuestionMarkAndBackTracking) {
    struct Case {
        const char* pattern;
        const char* text;
        bool exact;     // characters compared as they stand
        bool foldAscii; // ASCII letters compared without regard to case
    };
    const Case cases[] = {
        {"", "", true, true},
        {"", "x", false, false},
        {"*", "", true, true},
        {"?", "", false, false},
        {"*", "anything", true, true},
        {"a?c", "abc", true, true},
        {"a?c", "ac", false, false},
        {"A?C", "abc", false, true},
        {"*abc*x", "abcabcx", true, true}, // backs up to the latest star
        {"*abc*x", "abcabcy", false, false},
        {"a*b*c", "aXbYbZc", true, true},
        {"a*", "b", false, false},
        {"**a**", "a", true, true},
        {"<N*>", "<NNS>", true, true},
        {"<N?>", "<NNS>", false, false},
        {"<n?>", "<NN>", false, true},
        {"?*?", "x", false, false},
        {"\xC9*", "\xE9t\xE9", false, false}, // only ASCII letters fold here
    };
    const auto exact = [](char a, char b) { return a == b; };
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    const auto foldAscii = [&](char a, char b) { return fold(a) == fold(b); };
    for (const Case& c : cases) {
        EXPECT_EQ(GlobMatch(c.pattern, c.text, exact), c.exact) << c.pattern << " ~ " << c.text;
        EXPECT_EQ(GlobMatch(c.pattern, c.text, foldAscii), c.foldAscii)
            << c.pattern << " ~ " << c.text;
    }
}

} // namespace
} // namespace lexmora
