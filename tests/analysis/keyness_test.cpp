// Keyness: the worked figures, zero cells, the cuts and corrections, the sort by each measure,
// and the lists refused.
#include "analysis/keyness.h"

#include "analysis/messages.h"
#include "support/test_support.h"
#include "wordcount/frequency_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace lexmora {
namespace {

constexpr double kSix = 5e-7; // the worked figures are given to six decimals

TEST(KeynessScores, WorkedFigures) {
    const KeynessScores s = ScoreWord(50, 20, 100'000, 200'000, 1.0);
    EXPECT_NEAR(s.logLikelihood, 42.332760, kSix);
    EXPECT_NEAR(s.chiSquare, 45.724955, kSix);
    EXPECT_NEAR(s.logRatio, 2.321928, kSix);
    EXPECT_NEAR(s.percentDiff, 400.0, 1e-9);
    EXPECT_NEAR(s.bic, 29.721223, kSix);
    EXPECT_NEAR(s.smp, 4.960396, kSix);
    EXPECT_NEAR(s.p / 7.70e-11, 1.0, 1e-3);
    EXPECT_DOUBLE_EQ(s.normTarget, 500.0);
    EXPECT_DOUBLE_EQ(s.normReference, 100.0);
    EXPECT_EQ(s.direction, KeywordDirection::Positive);

    const KeynessScores absent = ScoreWord(10, 0, 100'000, 200'000, 1.0);
    EXPECT_NEAR(absent.logRatio, 5.321928, kSix); // log2(40): b counted as 0.5
    EXPECT_NEAR(absent.logLikelihood, 21.972912, kSix);
    EXPECT_NEAR(absent.smp, 101.0, 1e-9);
    EXPECT_TRUE(std::isinf(absent.percentDiff) && absent.percentDiff > 0);
}

TEST(KeynessScores, ZeroCellsOnEitherSide) {
    // only in the reference: a counted as 0.5 for the ratio, %DIFF -100
    const KeynessScores onlyReference = ScoreWord(0, 20, 100'000, 200'000, 1.0);
    EXPECT_NEAR(onlyReference.logRatio, std::log2((0.5 / 100'000) / (20.0 / 200'000)), 1e-12);
    EXPECT_DOUBLE_EQ(onlyReference.percentDiff, -100.0);
    EXPECT_EQ(onlyReference.direction, KeywordDirection::Negative);
    EXPECT_GT(onlyReference.logLikelihood, 0.0);
    EXPECT_NEAR(onlyReference.smp, 1.0 / 101.0, 1e-12);

    // the swapped table: the same significance, the opposite log ratio
    const KeynessScores swapped = ScoreWord(20, 50, 200'000, 100'000, 1.0);
    const KeynessScores worked = ScoreWord(50, 20, 100'000, 200'000, 1.0);
    EXPECT_NEAR(swapped.logLikelihood, worked.logLikelihood, 1e-9);
    EXPECT_NEAR(swapped.chiSquare, worked.chiSquare, 1e-9);
    EXPECT_NEAR(swapped.logRatio, -worked.logRatio, 1e-12);

    // a word that is every token of the target: the cell c - a is empty
    const KeynessScores whole = ScoreWord(100, 5, 100, 1000, 1.0);
    EXPECT_TRUE(std::isfinite(whole.logLikelihood) && std::isfinite(whole.chiSquare));
    EXPECT_EQ(whole.direction, KeywordDirection::Positive);

    // every token of both lists: nothing to tell them apart
    const KeynessScores all = ScoreWord(100, 200, 100, 200, 1.0);
    EXPECT_EQ(all.logLikelihood, 0.0);
    EXPECT_EQ(all.chiSquare, 0.0);
    EXPECT_EQ(all.p, 1.0);
    EXPECT_EQ(all.direction, KeywordDirection::Negative); // equal rates are not positive

    // equal rates in large lists stay exactly 0, not a rounding's -1e-9
    EXPECT_EQ(LogLikelihood(123'457, 246'914, 987'654'321, 1'975'308'642), 0.0);
}

TEST(KeynessScores, TinyPValuesKeepTheirDigits) {
    EXPECT_NEAR(PValueOf(200.0) / 2.088487583762545e-45, 1.0, 1e-12); // erfc(10)
    EXPECT_GT(PValueOf(1400.0), 0.0);
    EXPECT_EQ(PValueOf(0.0), 1.0);
    EXPECT_NEAR(PValueOf(3.841459), 0.05, 1e-7);
}

TEST(KeynessScores, CorrectedLevels) {
    EXPECT_DOUBLE_EQ(CorrectedLevel(0.05, PCorrection::None, 100), 0.05);
    EXPECT_DOUBLE_EQ(CorrectedLevel(0.05, PCorrection::Bonferroni, 100), 0.0005);
    EXPECT_NEAR(CorrectedLevel(0.05, PCorrection::Sidak, 100), 0.0005128014162623, 1e-16);
    EXPECT_DOUBLE_EQ(CorrectedLevel(0.01, PCorrection::Sidak, 1), 0.01);
    EXPECT_DOUBLE_EQ(CorrectedLevel(0.01, PCorrection::Bonferroni, 0), 0.01);
}

ComparedList plain(std::string_view text, const std::string& name) {
    Result<ComparedList> list = ParsePlainList(text, name, BadLines::Refuse);
    EXPECT_TRUE(list.ok()) << (list ? "" : list.error().text);
    return list ? std::move(list.value()) : ComparedList{};
}

// c = 1000, d = 2000. Positive: alpha (LL 43.42), gamma (22.04, b = 0), epsilon (6.60, a = 3,
// b = 0, p 0.0102); negative: delta (24.81), eta (24.48, only in the reference), beta and zeta
// (equal rates, LL 0). The reference spells two words in capitals.
struct Lists {
    ComparedList target = plain("# tokens: 1000\nalpha\t50\nbeta\t20\ngamma\t10\ndelta\t5\n"
                                "epsilon\t3\nzeta\t8\n",
                                "target.txt");
    ComparedList reference = plain("# tokens: 2000\nAlpha\t20\nbeta\t40\ndelta\t60\nEta\t30\n"
                                   "zeta\t16\n",
                                   "reference.txt");
};

// "word direction" of each row.
std::vector<std::string> rowsOf(const KeynessResult& result) {
    std::vector<std::string> rows;
    for (const Row& row : result.table.rows)
        rows.push_back(std::get<std::string>(row[0]) + " " + std::get<std::string>(row[12]));
    return rows;
}

KeynessRequest everything() {
    KeynessRequest request;
    request.minTarget = 0;
    request.pLevel.reset();
    return request;
}

TEST(Keyness, CutsAndCorrections) {
    const Lists lists;
    struct Case {
        const char* what;
        KeynessRequest request;
        std::vector<std::string> rows;
        std::int64_t tested;
    };
    auto with = [](auto change) {
        KeynessRequest r = everything();
        change(r);
        return r;
    };
    const std::vector<Case> cases = {
        {"defaults: a >= 5, p < 0.05", KeynessRequest{}, {"alpha +", "gamma +", "delta -"}, 5},
        {"no cut at all",
         everything(),
         {"alpha +", "gamma +", "epsilon +", "delta -", "Eta -", "beta -", "zeta -"},
         7},
        {"p < 0.05 keeps epsilon (p 0.0102)",
         with([](KeynessRequest& r) { r.pLevel = 0.05; }),
         {"alpha +", "gamma +", "epsilon +", "delta -", "Eta -"},
         7},
        {"p < 0.01 drops it",
         with([](KeynessRequest& r) { r.pLevel = 0.01; }),
         {"alpha +", "gamma +", "delta -", "Eta -"},
         7},
        {"Bonferroni over 7 words: 0.05 / 7 drops it",
         with([](KeynessRequest& r) {
             r.pLevel = 0.05;
             r.correction = PCorrection::Bonferroni;
         }),
         {"alpha +", "gamma +", "delta -", "Eta -"},
         7},
        {"Sidak over 7 words drops it too",
         with([](KeynessRequest& r) {
             r.pLevel = 0.05;
             r.correction = PCorrection::Sidak;
         }),
         {"alpha +", "gamma +", "delta -", "Eta -"},
         7},
        {"Bonferroni over the 5 words of a >= 5: 1e-5 / 5",
         with([](KeynessRequest& r) {
             r.minTarget = 5;
             r.pLevel = 0.00001; // 2e-6: gamma's 2.67e-6 is out
             r.correction = PCorrection::Bonferroni;
         }),
         {"alpha +", "delta -"},
         5},
        {"min ref 16",
         with([](KeynessRequest& r) { r.minReference = 16; }),
         {"alpha +", "delta -", "Eta -", "beta -", "zeta -"},
         5},
        {"positive only",
         with([](KeynessRequest& r) { r.show = KeywordShow::Positive; }),
         {"alpha +", "gamma +", "epsilon +"},
         7},
        {"negative only",
         with([](KeynessRequest& r) { r.show = KeywordShow::Negative; }),
         {"delta -", "Eta -", "beta -", "zeta -"},
         7},
        {"top 1 of each direction",
         with([](KeynessRequest& r) { r.top = 1; }),
         {"alpha +", "delta -"},
         7},
        {"top 0", with([](KeynessRequest& r) { r.top = 0; }), {}, 7},
        {"a minimum above every word", with([](KeynessRequest& r) { r.minTarget = 51; }), {}, 0},
    };
    for (const Case& c : cases) {
        Result<KeynessResult> result = CompareLists(lists.target, lists.reference, c.request);
        ASSERT_TRUE(result.ok()) << c.what;
        EXPECT_EQ(rowsOf(result.value()), c.rows) << c.what;
        EXPECT_EQ(result->wordsTested, c.tested) << c.what;
        EXPECT_EQ(result->directions.size(), c.rows.size()) << c.what;
    }
}

TEST(Keyness, SortedByEachMeasureNegativesByStrength) {
    const Lists lists;
    const std::pair<KeynessMeasure, std::vector<std::string>> cases[] = {
        {KeynessMeasure::LogLikelihood,
         {"alpha +", "gamma +", "epsilon +", "delta -", "Eta -", "beta -", "zeta -"}},
        {KeynessMeasure::ChiSquare,
         {"alpha +", "gamma +", "epsilon +", "delta -", "Eta -", "beta -", "zeta -"}},
        {KeynessMeasure::Bic,
         {"alpha +", "gamma +", "epsilon +", "delta -", "Eta -", "beta -", "zeta -"}},
        // the effect sizes: the lowest values are the strongest negative keywords
        {KeynessMeasure::LogRatio,
         {"gamma +", "epsilon +", "alpha +", "Eta -", "delta -", "beta -", "zeta -"}},
        // inf twice: ties stand in the word list's order
        {KeynessMeasure::PercentDiff,
         {"epsilon +", "gamma +", "alpha +", "Eta -", "delta -", "beta -", "zeta -"}},
        {KeynessMeasure::Smp,
         {"gamma +", "epsilon +", "alpha +", "Eta -", "delta -", "beta -", "zeta -"}},
    };
    for (const auto& [measure, rows] : cases) {
        KeynessRequest request = everything();
        request.measure = measure;
        Result<KeynessResult> result = CompareLists(lists.target, lists.reference, request);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(rowsOf(result.value()), rows) << static_cast<int>(measure);
    }
}

TEST(Keyness, TableRowsAndNotes) {
    const Lists lists;
    KeynessRequest request = everything();
    request.k = 100;
    Result<KeynessResult> result = CompareLists(lists.target, lists.reference, request);
    ASSERT_TRUE(result.ok());
    const Table& table = result->table;
    std::vector<std::string> names;
    for (const Column& column : table.columns)
        names.push_back(column.name);
    EXPECT_EQ(names, (std::vector<std::string>{"word", "freq_target", "freq_ref", "norm_target",
                                               "norm_ref", "LL", "p", "chi2", "LogRatio", "PctDiff",
                                               "BIC", "SMP", "direction"}));
    const KeynessScores alpha = ScoreWord(50, 20, 1000, 2000, 100);
    const Row expected = {
        std::string("alpha"), std::int64_t{50},    std::int64_t{20}, alpha.normTarget,
        alpha.normReference,  alpha.logLikelihood, alpha.p,          alpha.chiSquare,
        alpha.logRatio,       alpha.percentDiff,   alpha.bic,        alpha.smp,
        std::string("+")};
    EXPECT_NEAR(alpha.smp, (50'000.0 + 100) / (10'000.0 + 100), 1e-12);
    EXPECT_EQ(table.rows[0], expected);
    // a word only in the reference keeps the reference's spelling
    EXPECT_EQ(std::get<std::string>(table.rows[4][0]), "Eta");
    EXPECT_EQ(std::get<std::int64_t>(table.rows[4][1]), 0);
    EXPECT_TRUE(std::isinf(std::get<double>(table.rows[1][9]))); // gamma: b = 0
    EXPECT_EQ(table.notes, (std::vector<std::string>{
                               "Target: 6 types, 1000 tokens. Reference: 5 types, 2000 tokens.",
                               "7 words tested (past the minimum frequencies).",
                               "3 positive and 4 negative keywords."}));
    request.pLevel = 0.05;
    request.correction = PCorrection::Sidak;
    result = CompareLists(lists.target, lists.reference, request);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->table.notes[2],
              "Kept where p < 0.00730083 (0.05, \x8Aid\xE1k over 7 words).");
}

TEST(Keyness, RowsStreamedAsTheTableHoldsThem) {
    const Lists lists;
    const KeynessRequest request = everything();
    Result<KeynessResult> whole = CompareLists(lists.target, lists.reference, request);
    ASSERT_TRUE(whole.ok());
    std::vector<Row> rows;
    std::vector<KeywordDirection> directions;
    Result<KeynessResult> streamed = CompareLists(lists.target, lists.reference, request,
                                                  [&](const Row& row, KeywordDirection direction) {
                                                      rows.push_back(row);
                                                      directions.push_back(direction);
                                                      return true;
                                                  });
    ASSERT_TRUE(streamed.ok());
    EXPECT_EQ(rows, whole->table.rows);
    EXPECT_EQ(directions, whole->directions);
    EXPECT_TRUE(streamed->table.rows.empty());
    EXPECT_EQ(streamed->table.notes, whole->table.notes);

    int taken = 0;
    Result<KeynessResult> stopped =
        CompareLists(lists.target, lists.reference, request,
                     [&taken](const Row&, KeywordDirection) { return ++taken < 2; });
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.code(), FailureCode::Cancelled);
    EXPECT_EQ(taken, 2);
}

TEST(Keyness, SettingsRefused) {
    const Lists lists;
    const std::pair<void (*)(KeynessRequest&), const char*> cases[] = {
        {[](KeynessRequest& r) { r.k = 0; }, analysis::msg::kSettingK},
        {[](KeynessRequest& r) { r.k = NAN; }, analysis::msg::kSettingK},
        {[](KeynessRequest& r) { r.pLevel = 1.0; }, analysis::msg::kSettingP},
        {[](KeynessRequest& r) { r.minReference = -1; }, analysis::msg::kSettingMinimum},
    };
    for (const auto& [change, why] : cases) {
        KeynessRequest request;
        change(request);
        Result<KeynessResult> result = CompareLists(lists.target, lists.reference, request);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().text, analysis::msg::KeynessBadSetting(why).text);
        EXPECT_EQ(result.code(), FailureCode::InvalidInput);
    }
}

} // namespace
} // namespace lexmora
