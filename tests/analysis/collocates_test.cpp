// Collocates: the measures against worked figures, and whole tables from real result files
// (windows at file and sentence ends, overlapping windows, the node as a collocate, the stop list,
// thresholds, a corpus of other texts).
#include "analysis/collocates.h"

#include "codes/code_tables.h"
#include "core/os_calls.h"
#include "support/english_state.h"
#include "support/saved_search.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace lexmora {
namespace {

std::vector<std::vector<std::int64_t>> hitsOf(const RowHits& hits) {
    std::vector<std::vector<std::int64_t>> out;
    for (std::size_t r = 0; r < hits.size(); ++r)
        out.push_back(hits[r]);
    return out;
}

TEST(CollocateScores, WorkedFigures) {
    struct Case {
        CollocateCounts counts;
        double expected, mi, mi3, t, z, ll, logDice, logRatio;
    };
    // The second row's figures are worked by hand; the others complete the issue's first
    // example (N 9, node cat, 1L-1R) from the same formulas.
    const std::vector<Case> cases = {
        {{10, 200, 100, 1000, 100000},
         2.0,
         2.321928,
         8.965784,
         2.529822,
         5.656854,
         16.581382,
         10.093109,
         2.381429},
        {{2, 3, 2, 4, 9},
         1.333333,
         0.584963,
         2.584963,
         0.471405,
         0.577350,
         0.908053,
         13.678072,
         1.321928},
        {{1, 1, 2, 4, 9},
         0.444444,
         1.169925,
         1.169925,
         0.555556,
         0.833333,
         1.780297,
         13.415037,
         1.321928},
    };
    for (const Case& c : cases) {
        const auto s = ScoreCollocate(c.counts);
        ASSERT_TRUE(s);
        EXPECT_NEAR(s->expected, c.expected, 5e-7);
        EXPECT_NEAR(s->mi, c.mi, 5e-7);
        EXPECT_NEAR(s->mi3, c.mi3, 5e-7);
        EXPECT_NEAR(s->t, c.t, 5e-7);
        EXPECT_NEAR(s->z, c.z, 5e-7);
        EXPECT_NEAR(s->ll, c.ll, 5e-7);
        EXPECT_NEAR(s->logDice, c.logDice, 5e-7);
        EXPECT_NEAR(s->logRatio, c.logRatio, 5e-7);
    }
}

TEST(CollocateScores, SignsAndZeroCells) {
    // O below E: every score that compares them is negative, LL too.
    const auto below = ScoreCollocate({1, 500, 10, 1000, 10000});
    ASSERT_TRUE(below);
    EXPECT_LT(below->mi, 0);
    EXPECT_LT(below->t, 0);
    EXPECT_LT(below->z, 0);
    EXPECT_LT(below->ll, 0);
    // O equal to E: nothing either way.
    const auto even = ScoreCollocate({2, 20, 5, 100, 1000});
    ASSERT_TRUE(even);
    EXPECT_DOUBLE_EQ(even->expected, 2.0);
    EXPECT_DOUBLE_EQ(even->mi, 0.0);
    EXPECT_DOUBLE_EQ(even->ll, 0.0);
    // Every window word is the collocate (O12 = 0) and it stands nowhere else (O21 = 0):
    // 0 ln 0 counts 0, and LogRatio takes 0.5 for O21.
    const auto zero = ScoreCollocate({4, 4, 2, 4, 9});
    ASSERT_TRUE(zero);
    EXPECT_NEAR(zero->ll, 2 * (4 * std::log(4 / (16.0 / 9)) + 5 * std::log(5 / (25.0 / 9))), 1e-12);
    EXPECT_NEAR(zero->logRatio, std::log2((4 / 4.0) / (0.5 / 5)), 1e-12);
    // A corpus that holds the word less often than the windows: no negative cell is computed.
    EXPECT_FALSE(ScoreCollocate({5, 4, 2, 10, 100}));
    EXPECT_FALSE(ScoreCollocate({2, 95, 2, 10, 100})); // O22 = 90 - 93
    EXPECT_FALSE(ScoreCollocate({1, 1, 1, 1, 0}));
}

TEST(CollocateScores, MeasureNames) {
    for (const char* name : {"mi", "mi3", "t", "z", "ll", "logdice", "logratio", "freq"})
        EXPECT_STREQ(CollocateMeasureName(*CollocateMeasureNamed(name)), name);
    EXPECT_FALSE(CollocateMeasureNamed("MI"));
    EXPECT_FALSE(CollocateMeasureNamed("dice"));
}

TEST(CollocatesRequestCheck, Spans) {
    const std::vector<std::pair<std::pair<int, int>, bool>> cases = {
        {{5, 5}, true},   {{0, 1}, true},   {{25, 25}, true}, {{0, 0}, false},
        {{26, 1}, false}, {{1, 26}, false}, {{-1, 2}, false},
    };
    for (const auto& [span, ok] : cases) {
        CollocatesRequest request;
        request.left = span.first;
        request.right = span.second;
        EXPECT_EQ(CheckCollocatesRequest(request).ok(), ok) << span.first << "," << span.second;
    }
}

// A row as "word O left right range fc E MI", reals to 4 places.
std::string rowText(const Row& row) {
    std::string out = std::get<std::string>(row[0]);
    for (std::size_t k = 1; k <= 5; ++k)
        out += " " + std::to_string(std::get<std::int64_t>(row[k]));
    for (std::size_t k = 6; k <= 7; ++k) {
        char figure[32];
        std::snprintf(figure, sizeof figure, " %.4f", std::get<double>(row[k]));
        out += figure;
    }
    return out;
}

std::vector<std::string> rowsOf(const CollocatesResult& result) {
    std::vector<std::string> rows;
    for (const Row& row : result.table.rows)
        rows.push_back(rowText(row));
    return rows;
}

class CollocatesTables : public ::testing::Test {
protected:
    // Searches the files (name, text) for the keyword and asks for its collocates.
    CollocatesRequest requestFor(const std::vector<std::pair<std::string, std::string>>& files,
                                 const std::string& keyword) {
        std::vector<std::string> names;
        for (const auto& [name, text] : files) {
            dir.write("src/" + name, text);
            names.push_back(name);
        }
        CollocatesRequest request;
        request.resultPath = test::SearchAndSave(dir.path() + "/src/", names, keyword,
                                                 dir.makeFolder("out") + "/", 20);
        request.state = &state;
        request.minFreq = request.minCollFreq = 1;
        return request;
    }
    test::TempDir dir;
    ProgramState state = test::EnglishState();
};

TEST_F(CollocatesTables, TheIssuesWorkedExample) {
    CollocatesRequest request =
        requestFor({{"a.txt", "the cat sat on the mat the cat ran"}}, "cat");
    request.left = request.right = 1;
    request.measure = CollocateMeasure::MI;
    const auto result = ComputeCollocates(request);
    ASSERT_TRUE(result.ok()) << result.error().text;
    EXPECT_EQ(result->corpusTokens, 9);
    EXPECT_EQ(result->windowTokens, 4);
    EXPECT_EQ(result->hitCount, 2);
    // MI descending; ran and sat tie on MI and O, and go alphabetically
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"ran 1 0 1 1 1 0.4444 1.1699",
                                                         "sat 1 0 1 1 1 0.4444 1.1699",
                                                         "the 2 2 0 1 3 1.3333 0.5850"}));
    ASSERT_EQ(result->table.columns.size(), 14u);
    EXPECT_EQ(result->table.columns[13].name, "LogRatio");
    EXPECT_EQ(result->table.notes,
              (std::vector<std::string>{"The corpus is the files with hits: files without hits "
                                        "are left out of it."}));
    EXPECT_EQ(hitsOf(result->hits), (std::vector<std::vector<std::int64_t>>{{2}, {1}, {1, 2}}));
}

TEST_F(CollocatesTables, FileEndsSentenceEndsAndTheNodeAsCollocate) {
    // hits at words 0, 1 and 3; sentences begin at words 3 and 7; 15 words
    CollocatesRequest request = requestFor(
        {{"a.txt", "cat cat dog. Cat bird dog bird. dog dog and some more words here now"},
         {"b.txt", "dog"}},
        "cat");
    request.left = request.right = 2;
    request.measure = CollocateMeasure::Freq;
    request.stopAtSentence = true;
    auto result = ComputeCollocates(request);
    ASSERT_TRUE(result.ok()) << result.error().text;
    EXPECT_EQ(result->corpusTokens, 15); // b.txt has no hits: not in the corpus
    EXPECT_EQ(result->windowTokens, 6);
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"dog 3 0 3 1 4 1.6000 0.9069",
                                                         "cat 2 1 1 1 3 1.2000 0.7370",
                                                         "bird 1 0 1 1 2 0.8000 0.3219"}));
    using Profile = std::array<std::int64_t, 10>;
    EXPECT_EQ(result->profiles[0], (Profile{0, 0, 0, 0, 0, 1, 2, 0, 0, 0}));
    EXPECT_EQ(result->profiles[1], (Profile{0, 0, 0, 0, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(hitsOf(result->hits),
              (std::vector<std::vector<std::int64_t>>{{1, 2, 3}, {1, 2}, {3}}));

    // Across the sentence ends the windows overlap: cat fills 4 window places, 3 of them
    // distinct, as often as the text holds it: it is listed with O21 taken as 0.
    request.stopAtSentence = false;
    result = ComputeCollocates(request);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->windowTokens, 9);
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"cat 4 2 2 1 3 1.8000 1.1520",
                                                         "dog 4 1 3 1 4 2.4000 0.7370",
                                                         "bird 1 0 1 1 2 1.2000 -0.2630"}));
    ASSERT_EQ(result->table.notes.size(), 2u);
    EXPECT_EQ(result->table.notes[1], "1 collocate is counted in overlapping windows more often "
                                      "than the corpus holds it: O21 is taken as 0.");
    EXPECT_NEAR(std::get<double>(result->table.rows[0][11]), // LL, O21 = 0
                2 * (4 * std::log(4 / 1.8) + 5 * std::log(5 / (9 * 12 / 15.0)) +
                     6 * std::log(6 / (6 * 12 / 15.0))),
                1e-9);
}

TEST_F(CollocatesTables, StopListThresholdsSignificanceAndTop) {
    CollocatesRequest request = requestFor(
        {{"a.txt", "the cat sat on the mat the cat ran"}, {"b.txt", "a cat ran off"}}, "cat");
    request.left = request.right = 1;
    request.measure = CollocateMeasure::Freq;
    auto result = ComputeCollocates(request);
    ASSERT_TRUE(result.ok());
    // the corpus is both files: N 13
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{
                                   "ran 2 0 2 2 2 0.9231 1.1155", "the 2 2 0 1 3 1.3846 0.5305",
                                   "a 1 1 0 1 1 0.4615 1.1155", "sat 1 0 1 1 1 0.4615 1.1155"}));
    request.stopWords = {"THE", "nothing"};
    request.minFreq = 2;
    request.minRange = 2;
    result = ComputeCollocates(request);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"ran 2 0 2 2 2 0.9231 1.1155"}));
    request.minRange = 1;
    request.minCollFreq = 3;
    request.stopWords.clear();
    result = ComputeCollocates(request);
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"the 2 2 0 1 3 1.3846 0.5305"}));
    request.minCollFreq = request.minFreq = 1;
    request.significantOnly = true; // LL: ran 3.52, the 0.67, a and sat 1.64
    result = ComputeCollocates(request);
    EXPECT_TRUE(result->table.rows.empty());
    request.measure = CollocateMeasure::LL;
    request.significantOnly = false;
    result = ComputeCollocates(request);
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{
                                   "ran 2 0 2 2 2 0.9231 1.1155", "a 1 1 0 1 1 0.4615 1.1155",
                                   "sat 1 0 1 1 1 0.4615 1.1155", "the 2 2 0 1 3 1.3846 0.5305"}));
    request.significantOnly = false;
    request.top = 1;
    result = ComputeCollocates(request);
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"ran 2 0 2 2 2 0.9231 1.1155"}));
}

TEST_F(CollocatesTables, ACorpusOfOtherTexts) {
    CollocatesRequest request =
        requestFor({{"a.txt", "the cat sat on the mat the cat ran"}}, "cat");
    request.left = request.right = 1;
    request.measure = CollocateMeasure::Freq;
    request.corpusFiles = {dir.write("other/b.txt", "the dog sat on a mat; the end, the sat"),
                           dir.path() + "/other/none.txt"};
    const auto result = ComputeCollocates(request);
    ASSERT_TRUE(result.ok()) << result.error().text;
    EXPECT_EQ(result->corpusTokens, 10);
    EXPECT_EQ(rowsOf(*result), (std::vector<std::string>{"the 2 2 0 1 3 1.2000 0.7370",
                                                         "sat 1 0 1 1 2 0.8000 0.3219"}));
    ASSERT_EQ(result->table.notes.size(), 2u);
    EXPECT_EQ(result->table.notes[0], "Cannot read the corpus file " + dir.path() +
                                          "/other/none.txt\r\nNo such file or directory");
    EXPECT_EQ(result->table.notes[1].substr(result->table.notes[1].size() - 10), " out: ran.");
}

// The corpus files are counted on a thread of its own while the hits are walked, and what it
// has not taken on the calling thread: without a thread the same figures and the same notes,
// in the files' order, come of the calling thread alone.
TEST_F(CollocatesTables, ACorpusCountedOnTwoThreadsIsCountedAsOnOne) {
    CollocatesRequest request =
        requestFor({{"a.txt", "the cat sat on the mat the cat ran"}}, "cat");
    request.left = request.right = 1;
    request.measure = CollocateMeasure::Freq;
    request.corpusFiles = {dir.path() + "/other/first-missing.txt",
                           dir.write("other/b.txt", "the dog sat on a mat; the end, the sat"),
                           dir.write("other/c.txt", "The Sat sat; the cat"),
                           dir.path() + "/other/second-missing.txt",
                           dir.write("other/d.txt", "a mat, the mat")};
    std::vector<std::vector<std::string>> rows, notes;
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads);
        struct Restore {
            ~Restore() { resetOsCalls(); }
        } restore;
        if (!threads)
            osCalls().threadAvailable = [] { return false; };
        const auto result = ComputeCollocates(request);
        ASSERT_TRUE(result.ok()) << result.error().text;
        EXPECT_EQ(result->corpusTokens, 10 + 5 + 4); // "a" is an English word
        rows.push_back(rowsOf(*result));
        notes.push_back(result->table.notes);
    }
    EXPECT_EQ(rows[0], rows[1]);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"the 2 2 0 1 6 1.2632 0.6630",
                                                 "sat 1 0 1 1 4 0.8421 0.2479"}));
    EXPECT_EQ(notes[0], notes[1]);
    ASSERT_EQ(notes[0].size(), 3u);
    EXPECT_NE(notes[0][0].find("first-missing"), std::string::npos);
    EXPECT_NE(notes[0][1].find("second-missing"), std::string::npos);
}

TEST_F(CollocatesTables, BadInput) {
    CollocatesRequest request = requestFor({{"a.txt", "the cat"}}, "cat");
    request.wordList = dir.path() + "/none.lst";
    EXPECT_FALSE(ComputeCollocates(request).ok());
    request.wordList.clear();
    request.left = request.right = 0;
    EXPECT_EQ(ComputeCollocates(request).code(), FailureCode::InvalidInput);
    EXPECT_EQ(ReadStopList(dir.path() + "/none.txt").code(), FailureCode::CannotOpen);
    const auto stop = ReadStopList(dir.write("stop.txt", "the\r\n\r\n  of \nAnd"));
    ASSERT_TRUE(stop.ok());
    EXPECT_EQ(*stop, (std::vector<std::string>{"the", "of", "And"}));
}

} // namespace
} // namespace lexmora
