// Sorts on up to three words: each level's word alone, ties by the next level, then by record
// number; checked by hand on keys with shared starts, accents, case and ties, and against a
// reference sort that takes the words from the hits as written.
#include "viewer/result_viewer.h"
#include "viewer/sort_keys.h"

#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace lexmora {
namespace {

using test::Hit;

std::vector<Hit> houses() {
    return {
        {"a.txt", "b ", "cat", " la maison bleue"},  // record 2
        {"a.txt", "a ", "cat", " La maison rouge"},  // 3
        {"a.txt", "c ", "cat", " la maisonnette x"}, // 4
        {"a.txt", "a ", "cat", " l\xE0 maison x"},   // 5
        {"a.txt", "z ", "cat", " la maison bleue"},  // 6
        {"a.txt", "b ", "cat", " la mais x"},        // 7
        {"a.txt", "a ", "cat", " la maison bleue"},  // 8
    };
}

TEST(ResultViewerSortLevels, WorkedOrders) {
    struct Case {
        const char* what;
        std::vector<SortLevel> levels;
        std::vector<std::uint32_t> order;
    };
    const SortMode forwards = SortMode::WordBeginning, backwards = SortMode::WordEnd;
    const Case cases[] = {
        // la/La tie (case), la before l\xE0 (accent), mais < maison < maisonnette (shared
        // starts), then the left word, then the record: 3 before 8 (both "a").
        {"1R, 2R, 1L",
         {{forwards, 0, 1}, {forwards, 0, 2}, {forwards, 1, 0}},
         {1, 7, 3, 8, 2, 6, 4, 5}},
        // the second word read backwards: ettennosiam < nosiam < siam
        {"1R, 2R backwards", {{forwards, 0, 1}, {backwards, 0, 2}}, {1, 4, 2, 3, 6, 8, 7, 5}},
        // the left word first: a (3, 5, 8), b (2, 7), c (4), z (6); then 1R and 2R
        {"1L, 1R, 2R",
         {{forwards, 1, 0}, {forwards, 0, 1}, {forwards, 0, 2}},
         {1, 3, 8, 5, 7, 2, 4, 6}},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = test::writeResultFile(dir, "h.dmp", houses());
        SilentPrompter prompter;
        auto viewer = ResultViewer::open(path, prompter);
        ASSERT_TRUE(viewer.ok());
        viewer->Sort(c.levels, test::kRight);
        EXPECT_EQ(viewer->RecordIndex(), c.order) << c.what;
        EXPECT_EQ(viewer->sortLevels(), c.levels) << c.what;
        // Collocation counts the first level's word.
        auto collocation = viewer->Collocate();
        ASSERT_TRUE(collocation.ok()) << c.what;
        EXPECT_FALSE(collocation->collocates.empty());
        for (const auto& collocate : collocation->collocates)
            EXPECT_EQ(collocate.word.find(' '), std::string::npos) << c.what;
    }
}

TEST(ResultViewerSortLevels, CollocationUsesTheFirstLevel) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "h.dmp", houses());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter);
    ASSERT_TRUE(viewer.ok());
    viewer->Sort({{SortMode::WordBeginning, 0, 2}, {SortMode::WordBeginning, 1, 0}}, test::kRight);
    auto collocation = viewer->Collocate();
    ASSERT_TRUE(collocation.ok());
    std::vector<std::pair<std::string, std::int64_t>> counts;
    for (const auto& c : collocation->collocates)
        counts.emplace_back(c.word, c.count);
    EXPECT_EQ(counts, (std::vector<std::pair<std::string, std::int64_t>>{
                          {"mais", 1}, {"maison", 5}, {"maisonnette", 1}}));
}

// The reference: the words as the hits were written, each level compared on its own.
struct Written {
    std::string left;
    std::vector<std::string> right;
};

std::string wordAt(const Written& w, const SortLevel& level) {
    if (level.leftPos > 0)
        return w.left;
    if (level.rightPos > 0)
        return w.right[static_cast<std::size_t>(level.rightPos - 1)];
    return "cat";
}

TEST(ResultViewerSortLevels, AgreesWithAReferenceSort) {
    // Shared starts, accents and case variants, short enough for three in the right context.
    const std::vector<std::string> vocabulary = {
        "la", "La", "l\xE0", "LA", "le", "les", "lesqu", "l\xE9", "mais", "Mais", "ma", "m\xE2is"};
    std::mt19937 random(20261207);
    const auto pick = [&] { return vocabulary[random() % vocabulary.size()]; };
    std::vector<Hit> hits;
    std::vector<Written> written;
    for (int i = 0; i < 400; ++i) {
        Written w{pick(), {pick(), pick(), pick()}};
        hits.push_back(
            {"a.txt", w.left + " ", "cat", " " + w.right[0] + " " + w.right[1] + " " + w.right[2]});
        written.push_back(w);
    }
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "r.dmp", hits);
    SilentPrompter prompter;
    const std::vector<SortLevel> places = {{SortMode::WordBeginning, 0, 1},
                                           {SortMode::WordBeginning, 0, 2},
                                           {SortMode::WordBeginning, 0, 3},
                                           {SortMode::WordBeginning, 1, 0}};
    for (int round = 0; round < 24; ++round) {
        std::vector<SortLevel> levels;
        for (int n = 0; n < 2 + round % 2; ++n) {
            SortLevel level = places[random() % places.size()];
            if (random() % 3 == 0)
                level.mode = SortMode::WordEnd;
            levels.push_back(level);
        }
        std::vector<std::uint32_t> expected(hits.size());
        for (std::size_t i = 0; i < hits.size(); ++i)
            expected[i] = static_cast<std::uint32_t>(i + 2);
        std::sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (const SortLevel& level : levels) {
                std::string wa = wordAt(written[a - 2], level), wb = wordAt(written[b - 2], level);
                int c = 0;
                if (level.mode == SortMode::WordEnd) {
                    std::reverse(wa.begin(), wa.end());
                    std::reverse(wb.begin(), wb.end());
                    c = wa.compare(wb);
                } else {
                    c = CompareText(wa, wb);
                }
                if (c != 0)
                    return c < 0;
            }
            return a < b;
        });
        expected.insert(expected.begin(), 1);
        auto viewer = ResultViewer::open(path, prompter);
        ASSERT_TRUE(viewer.ok());
        viewer->Sort(levels, test::kRight);
        ASSERT_EQ(viewer->RecordIndex(), expected) << "round " << round;
    }
}

TEST(ResultViewerSortLevels, OneLevelIsTheSingleSort) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "h.dmp", houses());
    SilentPrompter prompter;
    auto single = ResultViewer::open(path, prompter);
    auto level = ResultViewer::open(path, prompter);
    ASSERT_TRUE(single.ok() && level.ok());
    single->Sort(SortMode::WordBeginning, 0, 1, test::kRight);
    level->Sort({{SortMode::WordBeginning, 0, 1}}, test::kRight);
    EXPECT_EQ(level->RecordIndex(), single->RecordIndex());
    // the whole rest of the line decides a one-level sort: "la maison bleue" before "La maison
    // rouge" before "l\xE0 maison x" before "la maisonnette"
    EXPECT_EQ(single->RecordIndex(), (std::vector<std::uint32_t>{1, 7, 2, 6, 8, 3, 5, 4}));
}

// A level's packed word orders against another as the level's own comparison does, whatever
// the case, accents, ligatures and lengths: words without accents are packed short, and must
// still come before their accented twins and after nothing that should follow them.
TEST(ResultViewerSortLevels, PackedWordsOrderAsTheirComparison) {
    const std::vector<std::string> words = {
        "",      "e",        "E",      "\xE9",    "\xC9", "ete",  "\xE9t\xE9", "Et\xE9",  "etes",
        "\x9C",  "\x8Cuvre", "oeuvre", "oe",      "\xE6", "ae",   "\xDF",      "ss",      "s",
        "\x9A",  "\x8A",     "\x83",   "f",       "F",    "\xFF", "y",         "\x9F",    "\xFD",
        "d\xF0", "d",        "ma",     "m\xE2is", "mais", "Mais", "MAIS",      "ma\xEFs", "la",
        "l\xE0", "La",       "LA",     "\xE0",    "a",    "A"};
    const auto sign = [](int c) { return (c > 0) - (c < 0); };
    for (const std::string& a : words)
        for (const std::string& b : words) {
            std::string packedA, packedB;
            AppendPackedLevel(packedA, a, SortMode::WordBeginning);
            AppendPackedLevel(packedB, b, SortMode::WordBeginning);
            EXPECT_EQ(sign(CompareBinary(packedA, packedB)), sign(CompareText(a, b)))
                << "\"" << a << "\" against \"" << b << "\"";
        }
}

} // namespace
} // namespace lexmora
