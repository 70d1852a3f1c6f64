// lexmora-cli keyness: the words that set a target word list apart from a reference list, as a
// table of significance and effect sizes, positive keywords first.
#include "cli/cli_context.h"

#include "analysis/keyness.h"
#include "analysis/messages.h"
#include "core/paths.h"
#include "export/table_writer.h"

#include <cmath>
#include <cstdio>
#include <iostream>

namespace lexmora::cli {

namespace {

constexpr const char* kKeynessUsage =
    "usage: lexmora-cli [--home DIR] keyness TARGET.lst REFERENCE\n"
    "           [--measure ll|chi2|logratio|pctdiff|bic|smp] [--k K]\n"
    "           [--p 0.05|0.01|0.001|0.0001|none] [--correct none|bonferroni|sidak]\n"
    "           [--min-target N] [--min-ref N] [--show positive|negative|both] [--top N]\n"
    "           [--format table|tsv|csv|json] [--bad-lines refuse|skip]\n"
    "\n"
    "Compares a word list (TARGET.lst with its .sta) with a reference: another word list, or a\n"
    "plain list of \"word<TAB>frequency\" or \"rank<TAB>frequency<TAB>word\" lines (\"#\" starts "
    "a\n"
    "comment, \"# tokens: N\" gives its token total, else the frequencies' sum). Prints one row\n"
    "per keyword: word freq_target freq_ref norm_target norm_ref LL p chi2 LogRatio PctDiff BIC\n"
    "SMP direction; the positive keywords (+) first, then the negative (-), each strongest first.\n"
    "Totals and notes go to standard error.\n"
    "\n"
    "  --measure M      the sort: ll (default), chi2, logratio, pctdiff, bic, smp\n"
    "  --k K            the constant of SMP (default 1)\n"
    "  --p P            keep the words with p below P (default 0.05); none: keep every word\n"
    "  --correct C      Bonferroni or Sidak correction of P over the words tested\n"
    "  --min-target N   the least frequency in the target (default 5)\n"
    "  --min-ref N      the least frequency in the reference (default 0)\n"
    "  --show S         positive, negative or both (default)\n"
    "  --top N          at most N keywords of each direction\n"
    "  --format F       table (default), tsv, csv or json\n"
    "  --bad-lines B    a plain reference's lines that are no entry: refuse (default) or skip\n";

std::optional<long long> count(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 12)
        return std::nullopt;
    return std::stoll(text);
}

std::optional<double> positiveNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

struct KeynessOptions {
    KeynessRequest request;
    std::vector<std::string> files;
    TableFormat format = TableFormat::Table;
    bool help = false;
};

// The value of a named option among fixed words; false when it is none of them.
template <typename T>
bool pick(const std::string& value, std::initializer_list<std::pair<const char*, T>> names,
          T& out) {
    for (const auto& [name, chosen] : names)
        if (value == name) {
            out = chosen;
            return true;
        }
    return false;
}

bool readLevel(const std::string& value, std::optional<double>& level) {
    if (value == "none") {
        level.reset();
        return true;
    }
    for (const char* allowed : {"0.05", "0.01", "0.001", "0.0001"})
        if (value == allowed) {
            level = std::strtod(allowed, nullptr);
            return true;
        }
    return false;
}

// One option with its value at args[i] (which moves i on); false when the value is wrong.
bool readValue(const std::string& option, const std::string& value, KeynessOptions& o) {
    KeynessRequest& r = o.request;
    if (option == "--measure") {
        const auto measure = KeynessMeasureNamed(value);
        r.measure = measure.value_or(r.measure);
        return measure.has_value();
    }
    if (option == "--k") {
        const auto k = positiveNumber(value);
        r.k = k.value_or(r.k);
        return k.has_value();
    }
    if (option == "--p")
        return readLevel(value, r.pLevel);
    if (option == "--correct")
        return pick(value,
                    {{"none", PCorrection::None},
                     {"bonferroni", PCorrection::Bonferroni},
                     {"sidak", PCorrection::Sidak}},
                    r.correction);
    if (option == "--show")
        return pick(value,
                    {{"positive", KeywordShow::Positive},
                     {"negative", KeywordShow::Negative},
                     {"both", KeywordShow::Both}},
                    r.show);
    if (option == "--bad-lines")
        return pick(value, {{"refuse", BadLines::Refuse}, {"skip", BadLines::Skip}}, r.badLines);
    if (option == "--format") {
        const auto format = TableFormatNamed(value);
        o.format = format.value_or(o.format);
        return format.has_value() && *format != TableFormat::Xlsx; // a workbook is a file
    }
    const auto n = count(value);
    if (option == "--min-target")
        r.minTarget = n.value_or(0);
    else if (option == "--min-ref")
        r.minReference = n.value_or(0);
    else
        r.top = n;
    return n.has_value();
}

bool takesValue(const std::string& option) {
    for (const char* name : {"--measure", "--k", "--p", "--correct", "--min-target", "--min-ref",
                             "--show", "--top", "--format", "--bad-lines"})
        if (option == name)
            return true;
    return false;
}

// The options; the exit status when they are wrong or only ask for help.
std::optional<int> readOptions(const std::vector<std::string>& args, KeynessOptions& o) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.rfind("--", 0) != 0) {
            o.files.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << kKeynessUsage;
            return kSuccess;
        } else if (takesValue(a) && i + 1 < args.size()) {
            if (!readValue(a, args[++i], o)) {
                std::cerr << "lexmora-cli keyness: " << a << " cannot be '" << args[i] << "'\n"
                          << kKeynessUsage;
                return kUsage;
            }
        } else {
            std::cerr << "lexmora-cli keyness: unexpected '" << a << "'\n" << kKeynessUsage;
            return kUsage;
        }
    }
    if (o.files.size() != 2) {
        std::cerr << kKeynessUsage;
        return kUsage;
    }
    return std::nullopt;
}

} // namespace

int runKeynessCommand(CliContext& context, const std::vector<std::string>& args) {
    KeynessOptions o;
    if (const auto status = readOptions(args, o))
        return *status;
    o.request.targetPath = AbsolutePath(o.files[0]);
    o.request.referencePath = AbsolutePath(o.files[1]);
    // The writer hands its bytes (UTF-8) in large blocks; rows stream through it, but for the
    // aligned table, which waits for every row to size its columns.
    const std::unique_ptr<TableWriter> writer =
        MakeTextTableWriter(o.format, [](std::string_view bytes) {
            return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        });
    Status written = writer->begin(KeynessColumns());
    Result<KeynessResult> result =
        RunKeyness(o.request, [&writer, &written](const Row& row, KeywordDirection) {
            written = writer->add(row);
            return written.ok();
        });
    if (!result) {
        context.report(written ? result.error() : written.error());
        return kFailure;
    }
    for (const std::string& note : result->table.notes)
        context.progress(note);
    if (written)
        written = writer->finish();
    if (!written || std::fflush(stdout) != 0) {
        context.report(written ? analysis::msg::KeynessStopped() : written.error());
        return kFailure;
    }
    return kSuccess;
}

} // namespace lexmora::cli
