#include "analysis/dispersion.h"

#include "analysis/messages.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace lexmora {

namespace {

// Juilland's D over the relative frequencies T_i/W_i; nothing for one part, no hit, or a part
// without words.
std::optional<double> juilland(std::span<const PartCount> parts, std::int64_t totalHits) {
    const auto k = static_cast<double>(parts.size());
    if (parts.size() < 2 || totalHits == 0)
        return std::nullopt;
    double sum = 0;
    for (const PartCount& p : parts) {
        if (p.words <= 0)
            return std::nullopt;
        sum += static_cast<double>(p.hits) / static_cast<double>(p.words);
    }
    const double mean = sum / k;
    double squares = 0;
    for (const PartCount& p : parts) {
        const double d = static_cast<double>(p.hits) / static_cast<double>(p.words) - mean;
        squares += d * d;
    }
    const double sd = std::sqrt(squares / k);
    return 1.0 - (sd / mean) / std::sqrt(k - 1.0);
}

// DP and DPnorm; nothing without hits or words, DPnorm nothing where 1 - min W_i/ΣW is 0.
void deviation(std::span<const PartCount> parts, std::int64_t totalHits, std::int64_t totalWords,
               DispersionMeasures& m) {
    if (totalHits <= 0 || totalWords <= 0)
        return;
    const auto t = static_cast<double>(totalHits);
    const auto w = static_cast<double>(totalWords);
    double sum = 0;
    std::int64_t fewest = parts.front().words;
    for (const PartCount& p : parts) {
        sum += std::fabs(static_cast<double>(p.hits) / t - static_cast<double>(p.words) / w);
        fewest = std::min(fewest, p.words);
    }
    m.dp = sum / 2.0;
    const double divisor = 1.0 - static_cast<double>(fewest) / w;
    if (divisor > 0)
        m.dpNorm = *m.dp / divisor;
}

// The parts of the measures: the files with words, with the keyword's hits in each.
std::vector<PartCount> partsOf(const DispersionData& data, const KeywordPlaces& keyword) {
    std::vector<PartCount> parts;
    for (std::size_t f = 0; f < data.files.size(); ++f) {
        if (data.files[f].words <= 0)
            continue;
        const auto hits =
            f < keyword.places.size() ? static_cast<std::int64_t>(keyword.places[f].size()) : 0;
        parts.push_back({data.files[f].words, hits});
    }
    return parts;
}

Cell realCell(const std::optional<double>& value) {
    return value ? Cell(*value) : Cell();
}

} // namespace

DispersionMeasures MeasureDispersion(std::span<const PartCount> parts) {
    DispersionMeasures m;
    m.parts = static_cast<std::int64_t>(parts.size());
    std::int64_t words = 0;
    for (const PartCount& p : parts) {
        m.hits += p.hits;
        words += p.words;
        m.range += p.hits > 0 ? 1 : 0;
    }
    if (parts.empty())
        return m;
    m.rangeShare = static_cast<double>(m.range) / static_cast<double>(m.parts);
    m.juillandD = juilland(parts, m.hits);
    deviation(parts, m.hits, words, m);
    return m;
}

std::int64_t KeywordPlaces::hits() const {
    std::int64_t n = 0;
    for (const auto& file : places)
        n += static_cast<std::int64_t>(file.size());
    return n;
}

DispersionMeasures MeasureKeyword(const DispersionData& data, const KeywordPlaces& keyword) {
    const std::vector<PartCount> parts = partsOf(data, keyword);
    return MeasureDispersion(parts);
}

std::optional<double> PerThousand(std::int64_t hits, std::int64_t words) {
    if (words <= 0)
        return std::nullopt;
    return static_cast<double>(hits) * 1000.0 / static_cast<double>(words);
}

Table DispersionRowsTable(const DispersionData& data) {
    Table table;
    table.columns = {{"keyword", ColumnKind::Text},
                     {"file", ColumnKind::Text},
                     {"tokens", ColumnKind::Integer},
                     {"hits", ColumnKind::Integer},
                     {"per_1000", ColumnKind::Real, 3}};
    for (const KeywordPlaces& k : data.keywords) {
        for (std::size_t f = 0; f < data.files.size(); ++f) {
            const DispersionFile& file = data.files[f];
            const auto hits =
                f < k.places.size() ? static_cast<std::int64_t>(k.places[f].size()) : 0;
            table.rows.push_back(
                {k.keyword, file.name, file.words, hits, realCell(PerThousand(hits, file.words))});
        }
    }
    table.notes = data.notes;
    return table;
}

Table DispersionMeasuresTable(const DispersionData& data) {
    Table table;
    table.columns = {{"keyword", ColumnKind::Text},    {"hits", ColumnKind::Integer},
                     {"files", ColumnKind::Integer},   {"range", ColumnKind::Integer},
                     {"juilland_D", ColumnKind::Real}, {"DP", ColumnKind::Real},
                     {"DPnorm", ColumnKind::Real}};
    bool single = false;
    for (const KeywordPlaces& k : data.keywords) {
        const DispersionMeasures m = MeasureKeyword(data, k);
        single = single || m.parts == 1;
        table.rows.push_back({k.keyword, m.hits, m.parts, m.range, realCell(m.juillandD),
                              realCell(m.dp), realCell(m.dpNorm)});
    }
    table.notes = data.notes;
    for (const DispersionFile& file : data.files)
        if (file.words <= 0)
            table.notes.push_back(analysis::msg::DispersionFileWithoutWords(file.name).text);
    if (single)
        table.notes.push_back(analysis::msg::DispersionSingleFile().text);
    return table;
}

} // namespace lexmora
