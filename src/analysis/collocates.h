// Collocates of a result file's hits: the words in a window around every hit, read from the
// source texts, counted against a corpus and scored by seven association measures.
#pragma once

#include "analysis/collocate_scores.h"
#include "core/program_state.h"
#include "core/result.h"
#include "core/run_control.h"
#include "export/table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lexmora {

inline constexpr int kMaxSpan = 25;
inline constexpr int kProfileSide = 5; // the position profile: L5 .. L1, R1 .. R5

struct CollocatesRequest {
    std::string resultPath;
    // The hits the viewer shows (1 = first hit); none: every hit.
    std::optional<std::vector<std::int64_t>> records;
    int left = 5, right = 5; // words each side, 0 .. 25, not both 0
    bool stopAtSentence = false;
    // The corpus: a ".lst" word list, else these files (full paths) counted here, else the files
    // with hits.
    std::string wordList;
    std::vector<std::string> corpusFiles;
    CollocateMeasure measure = CollocateMeasure::LL;
    std::int64_t minFreq = 3;
    std::int64_t minCollFreq = 3;
    std::int64_t minRange = 1;
    std::vector<std::string> stopWords; // Windows-1252, any case
    bool significantOnly = false;       // LL >= 3.84
    std::optional<std::size_t> top;
    bool keepHits = true; // gather each collocate's hits (the viewer's filter)
    // Code tables, language and word count options; the defaults when null.
    const ProgramState* state = nullptr;
};

// The span and thresholds' checks, before anything is read.
Status CheckCollocatesRequest(const CollocatesRequest& request);

// A stop list file: one word a line (Windows-1252 or UTF-8), blank lines skipped.
Result<std::vector<std::string>> ReadStopList(const std::string& path);

// Per row, the hits (1 = first hit) that have the row's collocate in their window, ascending:
// one list, row after row, for a quarter of a million hits with ten collocates each would
// otherwise be a vector per row.
class RowHits {
public:
    RowHits() = default;
    // `starts`: where each row's hits begin in `hits`, and one more for the end.
    RowHits(std::vector<std::uint32_t> starts, std::vector<std::uint32_t> hits)
        : m_starts(std::move(starts)), m_hits(std::move(hits)) {}
    std::size_t size() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }
    std::vector<std::int64_t> operator[](std::size_t row) const {
        return {m_hits.begin() + m_starts[row], m_hits.begin() + m_starts[row + 1]};
    }

private:
    std::vector<std::uint32_t> m_starts;
    std::vector<std::uint32_t> m_hits;
};

struct CollocatesResult {
    // Columns collocate freq freq_left freq_right range coll_freq expected MI MI3 T Z LL logDice
    // LogRatio, sorted by the measure; notes for the user.
    Table table;
    // Per row: how often the collocate stands at L5 .. L1, R1 .. R5.
    std::vector<std::array<std::int64_t, 2 * kProfileSide>> profiles;
    // Per row: the hits (1 = first hit) that have it in their window, ascending (keepHits).
    RowHits hits;
    std::int64_t corpusTokens = 0; // N
    std::int64_t windowTokens = 0; // R1
    std::int64_t hitCount = 0;     // f_n, the hits placed
};

// The table's column names, in order.
const std::vector<Column>& CollocateColumns();

Result<CollocatesResult> ComputeCollocates(const CollocatesRequest& request,
                                           RunControl* control = nullptr);

} // namespace lexmora
