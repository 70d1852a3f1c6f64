#include "analysis/keyness.h"

#include "analysis/messages.h"
#include "core/paths.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace lexmora {

namespace {

__extension__ using Wide = __int128; // a·d and b·c of two int64 counts, exactly

constexpr double kMillion = 1e6;

// The 2x2 table of a word: the expected values of its four cells and how far the first cell
// lies from its expectation, a - E11 = (ad - bc)/N, worked out exactly before the division so
// that words with nearly equal rates keep their digits.
struct Cells {
    double e11, e12, e21, e22, diff;
};

Cells cellsOf(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    const double n = static_cast<double>(c) + static_cast<double>(d);
    const double ab = static_cast<double>(a) + static_cast<double>(b);
    const double rest = n - ab; // c + d - a - b, exact below 2^53
    const Wide cross = static_cast<Wide>(a) * d - static_cast<Wide>(b) * c;
    return {static_cast<double>(c) * ab / n, static_cast<double>(d) * ab / n,
            static_cast<double>(c) * rest / n, static_cast<double>(d) * rest / n,
            static_cast<double>(cross) / n};
}

// O ln(O/E) with O/E = 1 + x; 0 ln 0 = 0.
double term(std::int64_t observed, double x) {
    return observed == 0 ? 0.0 : static_cast<double>(observed) * std::log1p(x);
}

double llOf(const Cells& e, std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    const double sum = term(a, e.diff / e.e11) + term(b, -e.diff / e.e12) +
                       term(c - a, -e.diff / e.e21) + term(d - b, e.diff / e.e22);
    return std::max(0.0, 2.0 * sum); // rounding may leave -0.0000001 where the rates are equal
}

double chiSquareOf(const Cells& e) {
    double inverse = 0;
    for (double cell : {e.e11, e.e12, e.e21, e.e22})
        if (cell > 0)
            inverse += 1.0 / cell;
    return e.diff * e.diff * inverse;
}

bool isPositive(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    return static_cast<Wide>(a) * d > static_cast<Wide>(b) * c;
}

double measureOf(const KeynessScores& s, KeynessMeasure measure) {
    switch (measure) {
    case KeynessMeasure::LogLikelihood:
        return s.logLikelihood;
    case KeynessMeasure::ChiSquare:
        return s.chiSquare;
    case KeynessMeasure::LogRatio:
        return s.logRatio;
    case KeynessMeasure::PercentDiff:
        return s.percentDiff;
    case KeynessMeasure::Bic:
        return s.bic;
    case KeynessMeasure::Smp:
        return s.smp;
    }
    return s.logLikelihood;
}

// The effect sizes have a sign (log ratio, %DIFF) or lie below 1 (SMP) for negative keywords:
// their strongest are the lowest values. Significance is strong when high either way.
bool strongWhenLow(KeynessMeasure measure, KeywordDirection direction) {
    return direction == KeywordDirection::Negative &&
           (measure == KeynessMeasure::LogRatio || measure == KeynessMeasure::PercentDiff ||
            measure == KeynessMeasure::Smp);
}

// A word met in either list, past the frequency minimums.
struct Candidate {
    std::uint32_t seq;  // place in the word list's order of both lists together
    std::uint32_t word; // index in the list it is spelled from
    bool fromTarget;    // spelled as the target lists it (else as the reference)
    KeywordDirection direction;
    std::int64_t a, b;
    double key; // higher is stronger
};

// Walks both lists in type order together, keeping the words that pass the minimums.
std::vector<Candidate> mergeLists(const ComparedList& target, const ComparedList& reference,
                                  const KeynessRequest& request) {
    std::vector<Candidate> out;
    const std::size_t nt = target.size(), nr = reference.size();
    out.reserve(nt + nr); // only the room used is ever touched
    const std::int64_t c = target.tokens, d = reference.tokens;
    std::size_t i = 0, j = 0;
    while (i < nt || j < nr) {
        const int order = i == nt   ? 1
                          : j == nr ? -1
                                    : CompareTypes(target.word(i), reference.word(j));
        const std::int64_t a = order <= 0 ? target.counts[i] : 0;
        const std::int64_t b = order >= 0 ? reference.counts[j] : 0;
        const auto word = static_cast<std::uint32_t>(order <= 0 ? i : j);
        const auto seq = static_cast<std::uint32_t>(i + j);
        i += order <= 0 ? 1 : 0;
        j += order >= 0 ? 1 : 0;
        if (a < request.minTarget || b < request.minReference)
            continue;
        const KeywordDirection direction =
            isPositive(a, b, c, d) ? KeywordDirection::Positive : KeywordDirection::Negative;
        out.push_back({seq, word, order <= 0, direction, a, b, 0.0});
    }
    return out;
}

bool wanted(KeywordShow show, KeywordDirection direction) {
    return show == KeywordShow::Both ||
           (show == KeywordShow::Positive) == (direction == KeywordDirection::Positive);
}

// Keeps the significant words of the directions shown, each with its sort key.
void cutAndKey(std::vector<Candidate>& words, const KeynessRequest& request, double level,
               std::int64_t c, std::int64_t d) {
    const bool cut = request.pLevel.has_value();
    std::erase_if(words, [&](Candidate& w) {
        if (!wanted(request.show, w.direction))
            return true;
        const KeynessScores s = ScoreWord(w.a, w.b, c, d, request.k);
        if (cut && !(s.p < level))
            return true;
        const double value = measureOf(s, request.measure);
        w.key = strongWhenLow(request.measure, w.direction) ? -value : value;
        return false;
    });
}

// Strongest first, ties in the word list's order; at most `top` of them.
void sortGroup(std::vector<Candidate>::iterator first, std::vector<Candidate>::iterator last,
               std::optional<std::int64_t> top) {
    const auto stronger = [](const Candidate& x, const Candidate& y) {
        if (x.key != y.key)
            return x.key > y.key;
        return x.seq < y.seq;
    };
    if (top && *top < last - first)
        std::partial_sort(first, first + *top, last, stronger);
    else
        std::sort(first, last, stronger);
}

// Fills `row` (its cells reused from the row before) with a word's figures.
void fillRow(Row& row, std::string_view word, std::int64_t a, std::int64_t b,
             const KeynessScores& s) {
    row.resize(13);
    row[0] = std::string(word);
    row[1] = a;
    row[2] = b;
    std::size_t i = 3;
    for (double v : {s.normTarget, s.normReference, s.logLikelihood, s.p, s.chiSquare, s.logRatio,
                     s.percentDiff, s.bic, s.smp})
        row[i++] = v;
    // ASCII: the program's text is Windows-1252, which has no minus sign
    row[12] = std::string(s.direction == KeywordDirection::Positive ? "+" : "-");
}

Status checkRequest(const KeynessRequest& request) {
    if (!(request.k > 0) || !std::isfinite(request.k))
        return Failure(analysis::msg::KeynessBadSetting(analysis::msg::kSettingK),
                       FailureCode::InvalidInput);
    if (request.pLevel && !(*request.pLevel > 0 && *request.pLevel < 1))
        return Failure(analysis::msg::KeynessBadSetting(analysis::msg::kSettingP),
                       FailureCode::InvalidInput);
    if (request.minTarget < 0 || request.minReference < 0)
        return Failure(analysis::msg::KeynessBadSetting(analysis::msg::kSettingMinimum),
                       FailureCode::InvalidInput);
    return Status::success();
}

std::vector<std::string> notesOf(const ComparedList& target, const ComparedList& reference,
                                 const KeynessRequest& request, const KeynessResult& result) {
    std::vector<std::string> notes = target.notes;
    notes.insert(notes.end(), reference.notes.begin(), reference.notes.end());
    notes.push_back(
        analysis::msg::KeynessLists(static_cast<std::int64_t>(target.size()), target.tokens,
                                    static_cast<std::int64_t>(reference.size()), reference.tokens));
    notes.push_back(analysis::msg::KeynessTested(result.wordsTested));
    if (request.pLevel) {
        const char* correction = request.correction == PCorrection::Bonferroni
                                     ? analysis::msg::kBonferroni
                                 : request.correction == PCorrection::Sidak ? analysis::msg::kSidak
                                                                            : "";
        notes.push_back(analysis::msg::KeynessCut(*request.pLevel, result.level, correction,
                                                  result.wordsTested));
    }
    notes.push_back(analysis::msg::KeynessFound(result.positiveFound, result.negativeFound));
    return notes;
}

bool sameFile(const std::string& x, const std::string& y) {
    struct stat sx {};
    struct stat sy {};
    return ::stat(x.c_str(), &sx) == 0 && ::stat(y.c_str(), &sy) == 0 && sx.st_dev == sy.st_dev &&
           sx.st_ino == sy.st_ino;
}

} // namespace

std::optional<KeynessMeasure> KeynessMeasureNamed(std::string_view name) {
    static const std::pair<const char*, KeynessMeasure> kNames[] = {
        {"ll", KeynessMeasure::LogLikelihood},  {"chi2", KeynessMeasure::ChiSquare},
        {"logratio", KeynessMeasure::LogRatio}, {"pctdiff", KeynessMeasure::PercentDiff},
        {"bic", KeynessMeasure::Bic},           {"smp", KeynessMeasure::Smp}};
    for (const auto& [text, measure] : kNames)
        if (name == text)
            return measure;
    return std::nullopt;
}

double LogLikelihood(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d) {
    return llOf(cellsOf(a, b, c, d), a, b, c, d);
}

double PValueOf(double logLikelihood) {
    // The upper tail of chi-square with one degree of freedom, P(X > x) = erfc(sqrt(x/2)):
    // erfc keeps its relative precision where 1 - P(X <= x) would round to 0 at 1e-17.
    return std::erfc(std::sqrt(logLikelihood / 2.0));
}

double CorrectedLevel(double level, PCorrection correction, std::int64_t tests) {
    if (tests <= 1 || correction == PCorrection::None)
        return level;
    const auto m = static_cast<double>(tests);
    if (correction == PCorrection::Bonferroni)
        return level / m;
    return -std::expm1(std::log1p(-level) / m); // 1 - (1 - level)^(1/m), without the cancellation
}

KeynessScores ScoreWord(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d, double k) {
    const Cells cells = cellsOf(a, b, c, d);
    KeynessScores s;
    const double rateA = static_cast<double>(a) / static_cast<double>(c);
    const double rateB = static_cast<double>(b) / static_cast<double>(d);
    s.normTarget = rateA * kMillion;
    s.normReference = rateB * kMillion;
    s.logLikelihood = llOf(cells, a, b, c, d);
    s.p = PValueOf(s.logLikelihood);
    s.chiSquare = chiSquareOf(cells);
    // a zero frequency counts as half an occurrence, so that the ratio stays finite
    const double aPrime = a == 0 ? 0.5 : static_cast<double>(a);
    const double bPrime = b == 0 ? 0.5 : static_cast<double>(b);
    s.logRatio = std::log2((aPrime / static_cast<double>(c)) / (bPrime / static_cast<double>(d)));
    s.percentDiff =
        b == 0 ? std::numeric_limits<double>::infinity() : (rateA - rateB) * 100.0 / rateB;
    s.bic = s.logLikelihood - std::log(static_cast<double>(c) + static_cast<double>(d));
    s.smp = (s.normTarget + k) / (s.normReference + k);
    s.direction = isPositive(a, b, c, d) ? KeywordDirection::Positive : KeywordDirection::Negative;
    return s;
}

std::vector<Column> KeynessColumns() {
    const auto real = [](const char* name, bool scientific = false) {
        return Column{name, ColumnKind::Real, 6, scientific};
    };
    return {{"word", ColumnKind::Text},
            {"freq_target", ColumnKind::Integer},
            {"freq_ref", ColumnKind::Integer},
            real("norm_target"),
            real("norm_ref"),
            real("LL"),
            real("p", true),
            real("chi2"),
            real("LogRatio"),
            real("PctDiff"),
            real("BIC"),
            real("SMP"),
            {"direction", ColumnKind::Text}};
}

Result<KeynessResult> CompareLists(const ComparedList& target, const ComparedList& reference,
                                   const KeynessRequest& request, const KeynessRowSink& sink) {
    if (Status checked = checkRequest(request); !checked)
        return checked.failure();
    const std::int64_t c = target.tokens, d = reference.tokens;
    if (c <= 0)
        return Failure(analysis::msg::KeynessNoTokens(target.name), FailureCode::InvalidInput);
    if (d <= 0)
        return Failure(analysis::msg::KeynessNoTokens(reference.name), FailureCode::InvalidInput);
    KeynessResult result;
    std::vector<Candidate> words = mergeLists(target, reference, request);
    result.wordsTested = static_cast<std::int64_t>(words.size());
    result.level = request.pLevel
                       ? CorrectedLevel(*request.pLevel, request.correction, result.wordsTested)
                       : 1.0;
    cutAndKey(words, request, result.level, c, d);
    const auto negatives =
        std::stable_partition(words.begin(), words.end(), [](const Candidate& w) {
            return w.direction == KeywordDirection::Positive;
        });
    result.positiveFound = negatives - words.begin();
    result.negativeFound = words.end() - negatives;
    sortGroup(words.begin(), negatives, request.top);
    sortGroup(negatives, words.end(), request.top);

    result.table.columns = KeynessColumns();
    result.table.notes = notesOf(target, reference, request, result);
    const auto keep = [&request](std::int64_t found) {
        return request.top ? std::min(found, *request.top) : found;
    };
    const std::int64_t positive = keep(result.positiveFound);
    const std::int64_t negative = keep(result.negativeFound);
    if (!sink) {
        result.table.rows.reserve(static_cast<std::size_t>(positive + negative));
        result.directions.reserve(static_cast<std::size_t>(positive + negative));
    }
    Row row;
    bool stopped = false;
    const auto add = [&](const Candidate& w) {
        if (stopped)
            return;
        const std::string_view spelling =
            w.fromTarget ? target.word(w.word) : reference.word(w.word);
        fillRow(row, spelling, w.a, w.b, ScoreWord(w.a, w.b, c, d, request.k));
        if (sink) {
            stopped = !sink(row, w.direction);
            return;
        }
        result.table.rows.push_back(row);
        result.directions.push_back(w.direction);
    };
    std::for_each(words.begin(), words.begin() + positive, add);
    std::for_each(negatives, negatives + negative, add);
    if (stopped)
        return Failure(analysis::msg::KeynessStopped(), FailureCode::Cancelled);
    return result;
}

namespace {

// The shortest decimal that reads back as the same number, never in exponent form.
std::string plainNumber(double value) {
    char text[64];
    const auto done = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, done.ptr);
}

const char* nameOf(KeynessMeasure measure) {
    static const char* const kNames[] = {"ll", "chi2", "logratio", "pctdiff", "bic", "smp"};
    return kNames[static_cast<int>(measure)];
}

} // namespace

std::vector<std::string> KeynessCommandWords(const KeynessRequest& request) {
    static const char* const kCorrections[] = {"none", "bonferroni", "sidak"};
    static const char* const kShows[] = {"positive", "negative", "both"};
    std::vector<std::string> words = {"keyness",
                                      request.targetPath,
                                      request.referencePath,
                                      "--measure",
                                      nameOf(request.measure),
                                      "--k",
                                      plainNumber(request.k),
                                      "--p",
                                      request.pLevel ? plainNumber(*request.pLevel) : "none",
                                      "--correct",
                                      kCorrections[static_cast<int>(request.correction)],
                                      "--min-target",
                                      std::to_string(request.minTarget),
                                      "--min-ref",
                                      std::to_string(request.minReference),
                                      "--show",
                                      kShows[static_cast<int>(request.show)]};
    if (request.top) {
        words.push_back("--top");
        words.push_back(std::to_string(*request.top));
    }
    if (request.badLines == BadLines::Skip) {
        words.push_back("--bad-lines");
        words.push_back("skip");
    }
    return words;
}

Result<KeynessResult> RunKeyness(const KeynessRequest& request, const KeynessRowSink& sink) {
    if (Status checked = checkRequest(request); !checked)
        return checked.failure();
    if (sameFile(request.targetPath, request.referencePath))
        return Failure(analysis::msg::KeynessSameList(FileNameOf(request.targetPath)),
                       FailureCode::InvalidInput);
    Result<ComparedList> target = LoadCountList(request.targetPath);
    if (!target)
        return target.failure();
    Result<ComparedList> reference = LoadReferenceList(request.referencePath, request.badLines);
    if (!reference)
        return reference.failure();
    return CompareLists(target.value(), reference.value(), request, sink);
}

} // namespace lexmora
