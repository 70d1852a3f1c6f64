#include "analysis/collocate_scores.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace lexmora {

namespace {

constexpr std::array<std::pair<std::string_view, CollocateMeasure>, 8> kMeasureNames = {{
    {"mi", CollocateMeasure::MI},
    {"mi3", CollocateMeasure::MI3},
    {"t", CollocateMeasure::T},
    {"z", CollocateMeasure::Z},
    {"ll", CollocateMeasure::LL},
    {"logdice", CollocateMeasure::LogDice},
    {"logratio", CollocateMeasure::LogRatio},
    {"freq", CollocateMeasure::Freq},
}};

// O ln(O/E), 0 where O is 0.
double cellTerm(double o, double e) {
    return o > 0 ? o * std::log(o / e) : 0.0;
}

} // namespace

std::optional<CollocateMeasure> CollocateMeasureNamed(std::string_view name) {
    for (const auto& [spelling, measure] : kMeasureNames)
        if (spelling == name)
            return measure;
    return std::nullopt;
}

const char* CollocateMeasureName(CollocateMeasure measure) {
    for (const auto& [spelling, m] : kMeasureNames)
        if (m == measure)
            return spelling.data();
    return "";
}

double CollocateScores::of(CollocateMeasure measure, std::int64_t o) const {
    switch (measure) {
    case CollocateMeasure::MI:
        return mi;
    case CollocateMeasure::MI3:
        return mi3;
    case CollocateMeasure::T:
        return t;
    case CollocateMeasure::Z:
        return z;
    case CollocateMeasure::LL:
        return ll;
    case CollocateMeasure::LogDice:
        return logDice;
    case CollocateMeasure::LogRatio:
        return logRatio;
    case CollocateMeasure::Freq:
        break;
    }
    return static_cast<double>(o);
}

std::optional<CollocateScores> ScoreCollocate(const CollocateCounts& c) {
    const double n = static_cast<double>(c.n);
    const double o11 = static_cast<double>(c.o);
    const double o12 = static_cast<double>(c.r1 - c.o);
    const double o21 =
        static_cast<double>(c.overlapped ? std::max<std::int64_t>(0, c.fc - c.o) : c.fc - c.o);
    const double r1 = static_cast<double>(c.r1);
    const double r2 = static_cast<double>(c.n - c.r1);
    const double o22 = r2 - o21;
    if (c.n <= 0 || c.o <= 0 || o12 < 0 || o21 < 0 || o22 < 0)
        return std::nullopt;
    const double fc = static_cast<double>(c.fc);
    const double e11 = r1 * fc / n;
    const double e12 = r1 * (n - fc) / n;
    const double e21 = r2 * fc / n;
    const double e22 = r2 * (n - fc) / n;
    CollocateScores s;
    s.expected = e11;
    s.mi = std::log2(o11 / e11);
    s.mi3 = std::log2(o11 * o11 * o11 / e11);
    s.t = (o11 - e11) / std::sqrt(o11);
    s.z = (o11 - e11) / std::sqrt(e11);
    const double g2 =
        2 * (cellTerm(o11, e11) + cellTerm(o12, e12) + cellTerm(o21, e21) + cellTerm(o22, e22));
    s.ll = o11 > e11 ? g2 : o11 < e11 ? -g2 : 0.0;
    s.logDice = 14 + std::log2(2 * o11 / static_cast<double>(c.fn + c.fc));
    s.logRatio = std::log2((o11 / r1) / ((o21 > 0 ? o21 : 0.5) / r2));
    return s;
}

} // namespace lexmora
