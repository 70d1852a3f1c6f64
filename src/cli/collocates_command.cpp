// lexmora-cli collocates: the collocates of a result file's hits, scored against a corpus, as a
// table in one of the export formats.
#include "cli/cli_context.h"
#include "cli/table_output.h"

#include "analysis/collocates.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/program_location.h"
#include "core/text_codec.h"
#include "export/table_writer.h"
#include "files/file_list.h"
#include "wordcount/count_sources.h"

#include <iostream>

namespace lexmora::cli {

namespace {

constexpr const char* kCollocatesUsage =
    "usage: lexmora-cli [--home DIR] collocates RESULT.dmp [--span L,R]\n"
    "                   [--wordlist LIST.lst | --corpus PATH ... [--tree]]\n"
    "                   [--measure mi|mi3|t|z|ll|logdice|logratio|freq]\n"
    "                   [--min-freq N] [--min-coll-freq N] [--min-range N] [--stop-at-sentence]\n"
    "                   [--stoplist FILE] [--significant] [--top N]\n"
    "                   [--format table|tsv|csv|json]\n"
    "\n"
    "The words in a window around every hit of a result file, read from the source texts the\n"
    "log names and cut by the word count's rules, counted against a corpus and scored. One row\n"
    "a collocate: freq (O, its occurrences in all windows), freq_left, freq_right, range (files),\n"
    "coll_freq (f_c, its corpus frequency), expected (E) and the measures:\n"
    "  MI = log2(O/E)          MI3 = log2(O^3/E)        T = (O - E)/sqrt(O)\n"
    "  Z = (O - E)/sqrt(E)     logDice = 14 + log2(2 O/(f_n + f_c))\n"
    "  LL = sign(O - E) 2 sum O_ij ln(O_ij/E_ij) over the four cells, 0 ln 0 = 0\n"
    "  LogRatio = log2((O/R1)/(O21'/R2)), O21' = O21, or 0.5 when O21 = 0\n"
    "where N = corpus tokens, f_n = hits, R1 = words in all windows, R2 = N - R1,\n"
    "O11 = O, O12 = R1 - O, O21 = f_c - O, O22 = R2 - O21, E_ij = row i total x column j\n"
    "total / N, E = E11 = R1 f_c / N. Notes go to standard error.\n"
    "\n"
    "  --span L,R          words left and right of the hit, each 0..25, not both 0 (5,5)\n"
    "  --wordlist LIST     the corpus is this word list: N its token total\n"
    "  --corpus PATH       the corpus is these files, folders or .flist lists, counted now\n"
    "                      (repeatable; default: the files with hits)\n"
    "  --tree              the folders of --corpus with all their sub-folders\n"
    "  --measure M         the sort order, descending (default ll)\n"
    "  --min-freq N        at least N occurrences in the windows (3)\n"
    "  --min-coll-freq N   at least N in the corpus (3)\n"
    "  --min-range N       in the windows of at least N files (1)\n"
    "  --stop-at-sentence  windows end at . ? ! followed by a blank or a line end\n"
    "  --stoplist FILE     words never listed, one a line\n"
    "  --significant       only LL >= 3.84 (p < 0.05)\n"
    "  --top N             only the first N rows\n"
    "  --format F          table (aligned, default) | tsv | csv | json\n";

struct CollocatesOptions {
    CollocatesRequest request;
    std::vector<std::string> corpusPaths;
    std::string stopList;
    bool tree = false;
    TableFormat format = TableFormat::Table;
    bool help = false;
};

std::optional<std::int64_t> count(const std::string& text) {
    if (text.empty() || text.size() > 12 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(text);
}

// "L,R" with each side a number.
bool readSpan(const std::string& text, CollocatesRequest& request) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    const auto left = count(text.substr(0, comma));
    const auto right = count(text.substr(comma + 1));
    if (!left || !right)
        return false;
    request.left = static_cast<int>(std::min<std::int64_t>(*left, 1000));
    request.right = static_cast<int>(std::min<std::int64_t>(*right, 1000));
    return true;
}

int usageError(const std::string& what) {
    std::cerr << "lexmora-cli collocates: " << what << "\n";
    return kUsage;
}

// A numeric option's value, into `target`.
std::optional<int> readCount(const std::vector<std::string>& args, std::size_t& i,
                             std::int64_t& target) {
    const auto value = count(args[++i]);
    if (!value)
        return usageError(args[i - 1] + " needs a number");
    target = *value;
    return std::nullopt;
}

std::optional<int> readOption(const std::vector<std::string>& args, std::size_t& i,
                              CollocatesOptions& o) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    CollocatesRequest& r = o.request;
    if (a == "--help" || a == "-h") {
        o.help = true;
    } else if (a == "--span" && hasValue) {
        if (!readSpan(args[++i], r))
            return usageError("--span needs L,R, e.g. 5,5");
    } else if (a == "--wordlist" && hasValue) {
        r.wordList = AbsolutePath(args[++i]);
    } else if (a == "--corpus" && hasValue) {
        o.corpusPaths.push_back(AbsolutePath(args[++i]));
    } else if (a == "--tree") {
        o.tree = true;
    } else if (a == "--measure" && hasValue) {
        const auto measure = CollocateMeasureNamed(args[++i]);
        if (!measure)
            return usageError("unknown measure '" + args[i] + "'");
        r.measure = *measure;
    } else if (a == "--min-freq" && hasValue) {
        return readCount(args, i, r.minFreq);
    } else if (a == "--min-coll-freq" && hasValue) {
        return readCount(args, i, r.minCollFreq);
    } else if (a == "--min-range" && hasValue) {
        return readCount(args, i, r.minRange);
    } else if (a == "--stop-at-sentence") {
        r.stopAtSentence = true;
    } else if (a == "--stoplist" && hasValue) {
        o.stopList = args[++i];
    } else if (a == "--significant") {
        r.significantOnly = true;
    } else if (a == "--top" && hasValue) {
        std::int64_t top = 0;
        if (const auto status = readCount(args, i, top))
            return status;
        r.top = static_cast<std::size_t>(top);
    } else if (a == "--format" && hasValue) {
        const auto format = formatOption("collocates", args[++i], false);
        if (!format)
            return kUsage;
        o.format = *format;
    } else if (a.rfind("--", 0) == 0) {
        std::cerr << "lexmora-cli collocates: unknown option '" << a << "'\n" << kCollocatesUsage;
        return kUsage;
    } else if (r.resultPath.empty()) {
        r.resultPath = a;
    } else {
        return usageError("one result file only: '" + a + "'");
    }
    return std::nullopt;
}

std::optional<int> readOptions(const std::vector<std::string>& args, CollocatesOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (const auto status = readOption(args, i, o))
            return status;
        if (o.help) {
            std::cout << kCollocatesUsage;
            return kSuccess;
        }
    }
    if (o.request.resultPath.empty()) {
        std::cerr << kCollocatesUsage;
        return kUsage;
    }
    if (!o.request.wordList.empty() && !o.corpusPaths.empty())
        return usageError("--wordlist and --corpus exclude each other");
    return std::nullopt;
}

bool isFileList(const std::string& path) {
    const std::string_view ending = files::kFileListExtension;
    return path.size() > ending.size() &&
           equalsNoCase(std::string_view(path).substr(path.size() - ending.size()), ending);
}

// The files of --corpus: files as given, folders listed (with --tree their sub-folders), stored
// lists read.
std::optional<int> expandCorpus(const CollocatesOptions& o, CliContext& context,
                                std::vector<std::string>& files) {
    for (const std::string& path : o.corpusPaths) {
        if (isDirectory(path)) {
            const auto found = ListCountSources(path, o.tree, context.prompter, "*");
            files.insert(files.end(), found.begin(), found.end());
        } else if (isFileList(path)) {
            Result<files::FileListRead> list = files::ReadFileList(path);
            if (!list) {
                context.report(list.error());
                return kFailure;
            }
            files.insert(files.end(), list->paths.begin(), list->paths.end());
        } else {
            files.push_back(path);
        }
    }
    return std::nullopt;
}

} // namespace

int runCollocatesCommand(CliContext& context, const std::vector<std::string>& args) {
    CollocatesOptions o;
    if (const auto status = readOptions(args, o))
        return *status;
    CollocatesRequest& request = o.request;
    if (Status checked = CheckCollocatesRequest(request); !checked) {
        context.report(checked.error());
        return kUsage;
    }
    if (!o.stopList.empty()) {
        Result<std::vector<std::string>> words = ReadStopList(o.stopList);
        if (!words) {
            context.report(words.error());
            return kFailure;
        }
        request.stopWords = std::move(*words);
    }
    if (const auto status = expandCorpus(o, context, request.corpusFiles))
        return *status;
    request.state = &context.state;
    request.keepHits = false;
    CliRunHost host;
    RunControl control(context.state, host, context.prompter, Message{});
    Result<CollocatesResult> result = ComputeCollocates(request, &control);
    if (!result) {
        if (result.code() == FailureCode::Cancelled)
            return kAbandoned;
        context.report(result.error());
        return kFailure;
    }
    return printTable(context, result->table, o.format);
}

} // namespace lexmora::cli
