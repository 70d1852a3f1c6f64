// The dispersion plot as a standalone SVG picture: the measures on top, then one row per file
// (name, words, hits, per 1,000) with a bar as long as the file and a thin mark at each hit.
// The desktop saves the same picture.
#pragma once

#include "analysis/dispersion.h"
#include "core/result.h"
#include "core/staged_file.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lexmora {

inline constexpr int kDefaultPlotWidth = 900;
inline constexpr int kMinPlotWidth = 500;
inline constexpr int kMaxPlotWidth = 20000;

// The pixel of a hit in a bar of `barWidth` pixels standing for `fileWords` words: words
// before the hit × bar width / file words, rounded down (0 for the first word, barWidth - 1
// at most for the last).
int MarkPixel(std::uint32_t wordsBefore, std::int64_t fileWords, int barWidth);

// The marks of one bar: each distinct pixel once, with the hits that fall on it, left to right.
struct PlotMark {
    int x = 0;
    int hits = 0;
};
std::vector<PlotMark> MergeMarks(std::span<const std::uint32_t> wordsBefore, std::int64_t fileWords,
                                 int barWidth);

// The whole picture, `width` pixels wide (kMinPlotWidth .. kMaxPlotWidth), as UTF-8 XML.
std::string DispersionSvg(const DispersionData& data, int width = kDefaultPlotWidth);

// Writes the picture to `path` whole or not at all.
Status SaveDispersionSvg(const std::string& svg, const std::string& path, Placement placement);

} // namespace lexmora
