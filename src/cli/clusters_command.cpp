// lexmora-cli clusters: the word sequences around the hits of a result file, with their
// frequency and range.
#include "cli/analysis_output.h"
#include "cli/cli_context.h"

#include "analysis/clusters.h"
#include "analysis/messages.h"
#include "core/paths.h"

#include <algorithm>
#include <iostream>
#include <optional>

namespace lexmora::cli {

namespace {

constexpr const char* kClustersUsage =
    "usage: lexmora-cli [--home DIR] clusters RESULT.dmp [--size N] [--node left|right|any]\n"
    "                   [--min-freq N] [--min-range N] [--stop-at-sentence]\n"
    "                   [--sort freq|range|alpha|ending] [--top N]\n"
    "                   [--format table|tsv|csv|json]\n"
    "\n"
    "Reads the source texts again at every hit of a result file and prints the sequences of\n"
    "N words that hold the hit (a hit of several words is one block and fills one of the N\n"
    "places), with their frequency and range (the number of files they occur in).\n"
    "\n"
    "  --size N            places per cluster, 2 to 8 (default 3)\n"
    "  --node PLACE        where the hit stands: left (first), right (last) or any (default)\n"
    "  --min-freq N        the least frequency listed (default 2)\n"
    "  --min-range N       the least number of files (default 1)\n"
    "  --stop-at-sentence  never across a . ? or ! followed by a blank or a line end\n"
    "  --sort ORDER        freq (default) | range | alpha | ending; ties alphabetically\n"
    "  --top N             only the first N clusters\n"
    "  --format F          table (default) | tsv | csv | json\n";

std::optional<int> usageError(const std::string& text) {
    std::cerr << "lexmora-cli clusters: " << text << "\n";
    return kUsage;
}

std::optional<int> readValue(const std::string& a, const std::string& v, ClusterRequest& r,
                             TableFormat& format, const CliContext& context) {
    if (a == "--size") {
        const auto n = PositiveNumber(v);
        if (!n || *n < 2 || *n > 8) {
            context.report(analysis::msg::ClusterSizeOutOfRange(v));
            return kUsage;
        }
        r.options.size = static_cast<int>(*n);
    } else if (a == "--node") {
        const auto node = NodePlaceNamed(v);
        if (!node)
            return usageError("unknown node place '" + v + "' (left, right or any)");
        r.options.node = *node;
    } else if (a == "--sort") {
        const auto sort = SequenceSortNamed(v);
        if (!sort)
            return usageError("unknown sort '" + v + "' (freq, range, alpha or ending)");
        r.sort = *sort;
    } else if (a == "--format") {
        const auto f = TextFormatNamed(v);
        if (!f)
            return usageError("unknown format '" + v + "' (table, tsv, csv or json)");
        format = *f;
    } else {
        const auto n = PositiveNumber(v);
        if (!n)
            return usageError(a + " needs a whole number above 0, not '" + v + "'");
        if (a == "--min-freq")
            r.options.minFreq = *n;
        else if (a == "--min-range")
            r.options.minRange = *n;
        else
            r.top = static_cast<std::size_t>(*n);
    }
    return std::nullopt;
}

std::optional<int> readOptions(const std::vector<std::string>& args, ClusterRequest& r,
                               TableFormat& format, const CliContext& context) {
    static const char* const kValued[] = {"--size", "--node", "--min-freq", "--min-range",
                                          "--sort", "--top",  "--format"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << kClustersUsage;
            return kSuccess;
        }
        if (a == "--stop-at-sentence") {
            r.options.stopAtSentence = true;
        } else if (std::find(std::begin(kValued), std::end(kValued), a) != std::end(kValued)) {
            if (i + 1 >= args.size())
                return usageError(a + " needs a value");
            if (const auto status = readValue(a, args[++i], r, format, context))
                return status;
        } else if (a.rfind("--", 0) == 0 && a != "--") {
            std::cerr << "lexmora-cli clusters: unknown option '" << a << "'\n" << kClustersUsage;
            return kUsage;
        } else if (a != "--" && r.resultPath.empty()) {
            r.resultPath = AbsolutePath(a);
        } else if (a != "--") {
            return usageError("one result file only ('" + a + "' is one too many)");
        }
    }
    if (r.resultPath.empty()) {
        std::cerr << kClustersUsage;
        return kUsage;
    }
    return std::nullopt;
}

} // namespace

int runClustersCommand(CliContext& context, const std::vector<std::string>& args) {
    ClusterRequest request;
    TableFormat format = TableFormat::Table;
    if (const auto status = readOptions(args, request, format, context))
        return *status;
    CliRunHost host;
    RunControl control(context.state, host, context.prompter, analysis::msg::AbandonClusters());
    const Result<ClusterResult> result = CountClusters(context.state, request, &control);
    if (!result) {
        if (result.code() == FailureCode::Cancelled && g_interrupted.load()) {
            std::cerr << "Abandon Clusters: interrupted\n";
            return kAbandoned;
        }
        context.report(result.error());
        return kFailure;
    }
    for (const std::string& note : result->summary.notes)
        context.progress(note);
    return PrintSequences(result->list, "cluster", format) ? kSuccess : kFailure;
}

} // namespace lexmora::cli
