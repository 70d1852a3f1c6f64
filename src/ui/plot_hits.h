// The hits behind the plot's marks: a mark's place in a file back to its hit number in the
// result file, and that hit's KWIC line. The dispersion run keeps places, not hit numbers, so a
// file's hits are placed again (the hit walk over that one file) the first time one of its
// marks is asked for; a frequent word's whole corpus is never walked twice.
#pragma once

#include "analysis/dispersion.h"
#include "core/program_state.h"
#include "viewer/result_viewer.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace lexmora::ui {

class PlotHitIndex {
public:
    // `records`: the hits the plot shows (1 = first), none: every hit.
    PlotHitIndex(const ProgramState& state, std::string resultPath,
                 std::optional<std::vector<std::int64_t>> records);

    // The hit number (1 = first) of keyword `keyword`'s place `place` in file `file` of `data`;
    // nothing when the file's hits cannot be placed again (changed since the run).
    std::optional<std::int64_t> hitOf(const DispersionData& data, std::size_t keyword,
                                      std::size_t file, std::size_t place);
    // Whether a file's hits are placed already (hitOf is then a look-up, not a walk of the file).
    bool placed(std::size_t file) const { return m_placed.count(file) != 0; }
    // The hit's KWIC line (Windows-1252): up to kLineLeft characters of its left context, the
    // keyword and up to kLineRight characters from the keyword on, without trailing blanks.
    static constexpr int kLineLeft = 60;
    static constexpr int kLineRight = 80;
    std::string lineOf(std::int64_t hit);

private:
    bool groupHits();
    const std::map<std::string, std::vector<std::int64_t>>* placesOf(const DispersionData& data,
                                                                     std::size_t file);

    const ProgramState& m_state;
    std::string m_resultPath;
    std::optional<std::vector<std::int64_t>> m_records;
    std::optional<ResultViewer> m_viewer;
    bool m_grouped = false;
    // The hits of each source file (its path made canonical), in record order.
    std::unordered_map<std::string, std::vector<std::int64_t>> m_hitsOfPath;
    // Per file of the data: per keyword, the hit numbers in the order of its places.
    std::unordered_map<std::size_t, std::map<std::string, std::vector<std::int64_t>>> m_placed;
};

// One name for a file however it is reached (links, "..").
std::string CanonicalPlotPath(const std::string& path);

} // namespace lexmora::ui
