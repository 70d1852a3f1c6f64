// lexmora-cli plot: how a result file's hits spread over the files of a corpus, as rows per
// keyword and file or as dispersion measures, and the plot as an SVG picture.
#include "cli/cli_context.h"

#include "analysis/dispersion_run.h"
#include "analysis/dispersion_svg.h"
#include "analysis/messages.h"
#include "export/table_writer.h"

#include <iostream>

namespace lexmora::cli {

namespace {

constexpr const char* kPlotUsage =
    "usage: lexmora-cli [--home DIR] plot RESULT.dmp [--corpus PATH ... [--tree]] [--measures]\n"
    "                   [--svg FILE] [--width PIXELS] [--format table|tsv|csv|json]\n"
    "\n"
    "Where a result file's hits fall in the files of a corpus: per keyword and file its words\n"
    "(tokens), hits and hits per 1,000 words, or with --measures per keyword its hits, files,\n"
    "range, Juilland's D, DP and DPnorm. Notes go to standard error.\n"
    "\n"
    "  --corpus PATH   a file, a folder or a stored list (.flist) of the corpus (repeatable);\n"
    "                  without it the parts are the files with hits only\n"
    "  --tree          folders given with all their sub-folders\n"
    "  --measures      the dispersion measures instead of the rows per file\n"
    "  --svg FILE      save the plot as an SVG picture (an existing file is kept unless --yes)\n"
    "  --width PIXELS  the picture's width, 500 to 20000 (default 900)\n"
    "  --format F      table (default) | tsv | csv | json\n";

struct PlotOptions {
    std::string resultPath, svgPath;
    std::vector<std::string> corpus;
    bool tree = false, measures = false, help = false;
    int width = kDefaultPlotWidth;
    TableFormat format = TableFormat::Table;
};

std::optional<int> widthOption(const std::string& text) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int width = std::stoi(text);
    if (width < kMinPlotWidth || width > kMaxPlotWidth)
        return std::nullopt;
    return width;
}

std::optional<int> usageError(const std::string& what) {
    std::cerr << "lexmora-cli plot: " << what << "\n" << kPlotUsage;
    return kUsage;
}

// One option at args[i] (its value moves i on); the exit status when it is wrong.
std::optional<int> readOption(const std::vector<std::string>& args, std::size_t& i,
                              PlotOptions& o) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--help" || a == "-h") {
        o.help = true;
    } else if (a == "--corpus" && hasValue) {
        o.corpus.push_back(args[++i]);
    } else if (a == "--tree") {
        o.tree = true;
    } else if (a == "--measures") {
        o.measures = true;
    } else if (a == "--svg" && hasValue) {
        o.svgPath = args[++i];
    } else if (a == "--width" && hasValue) {
        const std::optional<int> width = widthOption(args[++i]);
        if (!width)
            return usageError("--width needs a number of pixels from 500 to 20000");
        o.width = *width;
    } else if (a == "--format" && hasValue) {
        const std::optional<TableFormat> format = TableFormatNamed(args[++i]);
        if (!format || *format == TableFormat::Xlsx)
            return usageError("--format table, tsv, csv or json");
        o.format = *format;
    } else if (a.rfind("--", 0) == 0 || !o.resultPath.empty()) {
        return usageError("unexpected '" + a + "'");
    } else {
        o.resultPath = a;
    }
    return std::nullopt;
}

std::optional<int> readOptions(const std::vector<std::string>& args, PlotOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (const auto status = readOption(args, i, o))
            return status;
        if (o.help) {
            std::cout << kPlotUsage;
            return kSuccess;
        }
    }
    if (o.resultPath.empty())
        return usageError("a result file (.dmp) is needed");
    if (o.tree && o.corpus.empty())
        return usageError("--tree goes with --corpus");
    return std::nullopt;
}

int reportFailure(const Failure& failure, const CliContext& context) {
    if (failure.code == FailureCode::Cancelled && g_interrupted.load()) {
        std::cerr << "Abandon plot: interrupted\n";
        return kAbandoned;
    }
    context.report(failure.message);
    return kFailure;
}

} // namespace

int runPlotCommand(CliContext& context, const std::vector<std::string>& args) {
    PlotOptions o;
    if (const auto status = readOptions(args, o))
        return *status;
    DispersionRequest request;
    request.resultPath = o.resultPath;
    request.corpus = o.corpus;
    request.tree = o.tree;
    request.state = &context.state;
    CliRunHost host;
    RunControl control(context.state, host, context.prompter,
                       analysis::msg::DispersionAbandonQuestion());
    const Result<DispersionData> data = RunDispersion(request, context.prompter, &control);
    if (!data)
        return reportFailure(data.failure(), context);
    const Table table = o.measures ? DispersionMeasuresTable(*data) : DispersionRowsTable(*data);
    std::cout << context.display(TableText(table, o.format)) << std::flush;
    for (const std::string& note : table.notes)
        context.progress(note);
    const int done = data->partial ? kPartial : kSuccess;
    if (o.svgPath.empty())
        return done;
    const Status saved =
        SaveDispersionSvg(DispersionSvg(*data, o.width), o.svgPath,
                          context.yes ? Placement::Replace : Placement::KeepExisting);
    if (!saved)
        return reportFailure(saved.failure(), context);
    return done;
}

} // namespace lexmora::cli
