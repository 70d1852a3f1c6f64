// Keyness: the words whose frequency sets a target word list apart from a reference list, with
// the significance (log-likelihood, its p, Pearson's chi-square) and the effect sizes (log
// ratio, %DIFF, BIC, simple maths parameter) of each, positive and negative.
#pragma once

#include "analysis/reference_list.h"
#include "core/result.h"
#include "export/table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

enum class KeynessMeasure { LogLikelihood, ChiSquare, LogRatio, PercentDiff, Bic, Smp };
enum class PCorrection { None, Bonferroni, Sidak };
enum class KeywordShow { Positive, Negative, Both };
enum class KeywordDirection { Positive, Negative };

// "ll", "chi2", "logratio", "pctdiff", "bic", "smp"; nothing for another word.
std::optional<KeynessMeasure> KeynessMeasureNamed(std::string_view name);

struct KeynessRequest {
    std::string targetPath;    // a word list (.lst with its .sta)
    std::string referencePath; // a word list, or a plain list
    BadLines badLines = BadLines::Refuse;
    KeynessMeasure measure = KeynessMeasure::LogLikelihood;
    double k = 1.0;                      // SMP's constant
    std::optional<double> pLevel = 0.05; // nothing: no significance cut
    PCorrection correction = PCorrection::None;
    std::int64_t minTarget = 5;
    std::int64_t minReference = 0;
    KeywordShow show = KeywordShow::Both;
    std::optional<std::int64_t> top; // at most this many keywords of each direction
};

// The figures of one word: a and b its frequencies in the target and the reference, c and d
// the two token totals.
struct KeynessScores {
    double normTarget = 0, normReference = 0; // per million
    double logLikelihood = 0, p = 1, chiSquare = 0, logRatio = 0, percentDiff = 0, bic = 0, smp = 0;
    KeywordDirection direction = KeywordDirection::Negative;
};
KeynessScores ScoreWord(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d, double k);
// Only the log-likelihood, for the significance cut before the rest is worked out.
double LogLikelihood(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d);
// The chi-square(1) upper tail of a log-likelihood, exact down to the smallest doubles.
double PValueOf(double logLikelihood);
// The level a p must stay under for `tests` words tested with a correction.
double CorrectedLevel(double level, PCorrection correction, std::int64_t tests);

struct KeynessResult {
    // word freq_target freq_ref norm_target norm_ref LL p chi2 LogRatio PctDiff BIC SMP
    // direction; the positive keywords first, then the negative, each by the measure's strength.
    Table table;
    std::vector<KeywordDirection> directions;          // of each row (none when streamed)
    std::int64_t wordsTested = 0;                      // past the frequency minimums
    std::int64_t positiveFound = 0, negativeFound = 0; // past every cut but --top
    double level = 1.0;                                // the p cut used (1: none)
};

// The columns of the keyness table, in order.
std::vector<Column> KeynessColumns();

// Takes the table's rows one at a time, in order, instead of the result's table (which then
// holds only its columns and notes), so that a long table is never held whole; false stops
// the rows, and the comparison fails as cancelled.
using KeynessRowSink = std::function<bool(const Row& row, KeywordDirection direction)>;

// The words after the program's name that make `lexmora-cli` compare as the request asks, every
// setting spelled out ("Copy as Command Line"); the format is left to the caller.
std::vector<std::string> KeynessCommandWords(const KeynessRequest& request);

// Loads both lists and compares them. A target and a reference that are one file are refused.
Result<KeynessResult> RunKeyness(const KeynessRequest& request, const KeynessRowSink& sink = {});
// Compares two loaded lists (each in type order, see reference_list.h).
Result<KeynessResult> CompareLists(const ComparedList& target, const ComparedList& reference,
                                   const KeynessRequest& request, const KeynessRowSink& sink = {});

} // namespace lexmora
