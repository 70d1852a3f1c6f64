// The association measures of a collocate: its 2x2 table against the corpus and the seven
// scores read from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lexmora {

enum class CollocateMeasure { MI, MI3, T, Z, LL, LogDice, LogRatio, Freq };

// "mi", "mi3", "t", "z", "ll", "logdice", "logratio", "freq"; nothing for another word.
std::optional<CollocateMeasure> CollocateMeasureNamed(std::string_view name);
const char* CollocateMeasureName(CollocateMeasure measure);

// The counts a collocate's scores are read from: O its occurrences in the windows, fc its corpus
// frequency, fn the hits, r1 the words in all windows, n the corpus tokens.
struct CollocateCounts {
    std::int64_t o = 0, fc = 0, fn = 0, r1 = 0, n = 0;
    // Overlapping windows count a word once for each window, so O may pass f_c in the very
    // texts f_c was counted in; then O21 = f_c - O is taken as 0. Only where the word's
    // distinct places in the windows are no more than f_c: beyond that the corpus is of
    // other texts.
    bool overlapped = false;
};

struct CollocateScores {
    double expected = 0; // E = R1 fc / N
    double mi = 0;       // log2(O/E)
    double mi3 = 0;      // log2(O^3/E)
    double t = 0;        // (O - E) / sqrt(O)
    double z = 0;        // (O - E) / sqrt(E)
    double ll = 0;       // sign(O - E) 2 sum O_ij ln(O_ij/E_ij), 0 ln 0 = 0
    double logDice = 0;  // 14 + log2(2 O / (fn + fc))
    double logRatio = 0; // log2((O/R1) / (O21'/R2)), O21' = O21 or 0.5 when it is 0
    double of(CollocateMeasure measure, std::int64_t o) const;
};

// The scores, or nothing when a cell of the table would be negative (fc < O, not overlapped: a
// word list of other texts) or the corpus is empty.
std::optional<CollocateScores> ScoreCollocate(const CollocateCounts& counts);

// LL at p < 0.05 with one degree of freedom.
inline constexpr double kSignificantLL = 3.84;

} // namespace lexmora
