// Dispersion: how evenly a keyword's hits spread over the parts of a corpus (its files). The
// measures over the parts, the per-file rows, and the places of the hits that the plot draws.
#pragma once

#include "export/table.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lexmora {

// One part of the corpus: its words (W_i) and a keyword's hits in it (T_i).
struct PartCount {
    std::int64_t words = 0;
    std::int64_t hits = 0;
};

// The measures of one keyword over k parts. A measure that the parts do not define is empty:
// Juilland's D for a single part or no hit, DP without hits or words, DPnorm where its
// divisor is 0 (a single part).
struct DispersionMeasures {
    std::int64_t hits = 0;  // Σ T_i
    std::int64_t parts = 0; // k
    std::int64_t range = 0; // parts with a hit
    double rangeShare = 0;  // range / k
    std::optional<double> juillandD;
    std::optional<double> dp;
    std::optional<double> dpNorm;
};

// Range, Juilland's D = 1 - (sd/mean)/sqrt(k - 1) over T_i/W_i (population sd),
// DP = 1/2 Σ |T_i/ΣT - W_i/ΣW| and DPnorm = DP / (1 - min_i W_i/ΣW). Parts of 0 words are not
// parts (a relative frequency 0/0 means nothing): the caller leaves them out and says so.
DispersionMeasures MeasureDispersion(std::span<const PartCount> parts);

// A file of the corpus as a part.
struct DispersionFile {
    std::string name;       // as shown (Windows-1252)
    std::string path;       // as opened (UTF-8)
    std::int64_t words = 0; // tokens by the word count's rules
};

// One keyword's hits: for each file (same order as the files), the number of words before each
// hit, ascending.
struct KeywordPlaces {
    std::string keyword; // Windows-1252
    std::vector<std::vector<std::uint32_t>> places;
    std::int64_t hits() const;
};

// Everything a dispersion run found: the parts, each keyword's hits among them, and what the
// user is to be told beside the figures (Windows-1252).
struct DispersionData {
    std::vector<DispersionFile> files;
    std::vector<KeywordPlaces> keywords;
    std::vector<std::string> notes;
};

// The measures of one keyword over the files that have words.
DispersionMeasures MeasureKeyword(const DispersionData& data, const KeywordPlaces& keyword);

// Hits per 1,000 words; nothing for a file of 0 words.
std::optional<double> PerThousand(std::int64_t hits, std::int64_t words);

// Columns keyword, file, tokens, hits, per_1000: one row per keyword and file, files without a
// hit included.
Table DispersionRowsTable(const DispersionData& data);

// Columns keyword, hits, files, range, juilland_D, DP, DPnorm: one row per keyword.
Table DispersionMeasuresTable(const DispersionData& data);

} // namespace lexmora
