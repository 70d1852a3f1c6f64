// The tags of a tagged search: the shared wildcard rule with Windows-1252 case folding.
#include "search/hit_filters.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(HitFiltersTag, WildcardsAndCase) {
    struct Case {
        const char* tag;
        const char* text;
        bool caseSensitive;
        bool matches;
    };
    const Case cases[] = {
        {"<N*>", "<NNS>", true, true},       {"<N*>", "<N>", true, true},
        {"<N?>", "<NNS>", true, false},      {"<N?>", "<NN>", true, true},
        {"<n?>", "<NN>", false, true},       {"<n?>", "<NN>", true, false},
        {"<\xC9T>", "<\xE9t>", false, true}, // Windows-1252 letters fold too
        {"<\xC9T>", "<\xE9t>", true, false}, {"<*>", "<>", true, true},
        {"<*S>", "<NNS>x", true, false}, // the whole text, not a prefix
        {"[V*]", "[VB]", true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TagMatches(c.tag, c.text, c.caseSensitive), c.matches)
            << c.tag << " ~ " << c.text << (c.caseSensitive ? " (case)" : "");
}

TEST(HitFiltersTag, TagBesideTheMatch) {
    const SearchTag tag{"<N?>", true};
    struct Case {
        const char* text;
        std::size_t start, end;
        bool tagBefore;
        bool misses;
    };
    const Case cases[] = {
        {"love<NN> x", 0, 4, false, false}, {"love  <NN> x", 0, 4, false, false}, // blanks between
        {"love<VB> x", 0, 4, false, true},  {"love x<NN>", 0, 4, false, true},
        {"love<NN", 0, 4, false, true}, // never closed
        {"<NN>love", 4, 8, true, false},    {"<NN> love", 5, 9, true, false},
        {"<NNS>love", 5, 9, true, true},    {"love", 0, 4, true, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MissesTag(c.text, c.start, c.end, tag, c.tagBefore), c.misses) << c.text;
}

TEST(HitFiltersImageTag, OnlyInsideAnOpenImageTag) {
    EXPECT_TRUE(InImageTag("<img alt=\"love\">", 10));
    EXPECT_TRUE(InImageTag("<IMG alt=\"love\">", 10));
    EXPECT_FALSE(InImageTag("<img alt=\"x\"> love", 14));
    EXPECT_FALSE(InImageTag("<a href=\"love\">", 9));
    EXPECT_FALSE(InImageTag("love", 0));
}

} // namespace
} // namespace lexmora
