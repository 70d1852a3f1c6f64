// lexmora-cli ngrams: the word sequences of files and folders with their frequency and range,
// printed as a table and optionally saved to be reopened.
#include "cli/analysis_output.h"
#include "cli/cli_context.h"
#include "cli/messages.h"

#include "analysis/messages.h"
#include "analysis/ngram_file.h"
#include "analysis/ngrams.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "export/table_writer.h"
#include "wordcount/count_sources.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

namespace lexmora::cli {

namespace {

constexpr const char* kNgramsUsage =
    "usage: lexmora-cli [--home DIR] ngrams [--size N | --size N-M] [--min-freq N]\n"
    "                   [--min-range N] [--stop-at-sentence] [--language L] [--tree]\n"
    "                   [--pattern MASK] [--sort freq|range|alpha|ending] [--top N]\n"
    "                   [--save FILE] [--format table|tsv|csv|json] PATH...\n"
    "       lexmora-cli [--home DIR] ngrams --open FILE [--sort ...] [--top N] [--format ...]\n"
    "\n"
    "Counts every sequence of N words (or of N to M words) of the files given and of the files\n"
    "in the folders given, cut and folded as the word count cuts and folds words, and prints\n"
    "those that occur at least --min-freq times in at least --min-range files: the n-gram, its\n"
    "frequency and its range (the number of files it occurs in). A sequence never crosses the\n"
    "end of a file. Progress and files left out go to standard error.\n"
    "\n"
    "  --size N | N-M      words per n-gram, 2 to 8, or a range such as 2-5 (default 3)\n"
    "  --min-freq N        the least frequency listed (default 2)\n"
    "  --min-range N       the least number of files (default 1)\n"
    "  --stop-at-sentence  never across a . ? or ! followed by a blank or a line end\n"
    "  --language L        english | french | german | italian | spanish\n"
    "  --tree              include all sub-folders of the folders given\n"
    "  --pattern MASK      only the files of the folders given that match, e.g. \"*.txt\"\n"
    "  --sort ORDER        freq (default) | range | alpha (from the start) | ending (from the\n"
    "                      end, as the word list's \"by ending\"); ties alphabetically\n"
    "  --top N             only the first N n-grams\n"
    "  --save FILE         also save the list (every n-gram that passed, in this order) to\n"
    "                      FILE, to be reopened with --open; an existing FILE is kept unless\n"
    "                      --yes is given\n"
    "  --open FILE         print a saved list instead of counting\n"
    "  --format F          table (default) | tsv | csv | json\n"
    "  --                  the options end: every word after it is a path\n";

struct NgramsOptions {
    NgramRequest request;
    bool tree = false;
    std::string pattern = "*";
    std::string save, open;
    std::size_t top = 0;
    TableFormat format = TableFormat::Table;
    std::vector<std::string> paths;
    bool help = false;
};

std::optional<int> usageError(const std::string& text) {
    std::cerr << "lexmora-cli ngrams: " << text << "\n";
    return kUsage;
}

// The option at args[i] that takes a value.
std::optional<int> readValue(const std::string& a, const std::string& v, NgramsOptions& o,
                             ProgramState& state, const CliContext& context) {
    if (a == "--size") {
        const auto size = ParseNgramSize(v);
        if (!size) {
            context.report(analysis::msg::SizeOutOfRange(v));
            return kUsage;
        }
        o.request.minSize = size->first;
        o.request.maxSize = size->second;
    } else if (a == "--min-freq" || a == "--min-range" || a == "--top") {
        const auto n = PositiveNumber(v);
        if (!n)
            return usageError(a + " needs a whole number above 0, not '" + v + "'");
        if (a == "--min-freq")
            o.request.minFreq = *n;
        else if (a == "--min-range")
            o.request.minRange = *n;
        else
            o.top = static_cast<std::size_t>(*n);
    } else if (a == "--language") {
        const auto language = LanguageFromTypedName(v);
        if (!language)
            return usageError("unknown language '" + v + "'");
        o.request.language = *language;
        ApplyLanguage(state, *language);
    } else if (a == "--pattern") {
        o.pattern = v;
    } else if (a == "--sort") {
        const auto sort = SequenceSortNamed(v);
        if (!sort)
            return usageError("unknown sort '" + v + "' (freq, range, alpha or ending)");
        o.request.sort = *sort;
    } else if (a == "--save") {
        o.save = AbsolutePath(v);
    } else if (a == "--open") {
        o.open = AbsolutePath(v);
    } else {
        const auto format = TextFormatNamed(v);
        if (!format)
            return usageError("unknown format '" + v + "' (table, tsv, csv or json)");
        o.format = *format;
    }
    return std::nullopt;
}

std::optional<int> readOptions(const std::vector<std::string>& args, NgramsOptions& o,
                               CliContext& context) {
    static const char* const kValued[] = {"--size",    "--min-freq", "--min-range", "--language",
                                          "--pattern", "--sort",     "--top",       "--save",
                                          "--open",    "--format"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            o.paths.insert(o.paths.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a == "--help" || a == "-h") {
            std::cout << kNgramsUsage;
            return kSuccess;
        }
        if (a == "--stop-at-sentence") {
            o.request.stopAtSentence = true;
        } else if (a == "--tree") {
            o.tree = true;
        } else if (std::find(std::begin(kValued), std::end(kValued), a) != std::end(kValued)) {
            if (i + 1 >= args.size())
                return usageError(a + " needs a value");
            if (const auto status = readValue(a, args[++i], o, context.state, context))
                return status;
        } else if (a.rfind("--", 0) == 0) {
            std::cerr << "lexmora-cli ngrams: unknown option '" << a << "'\n" << kNgramsUsage;
            return kUsage;
        } else {
            o.paths.push_back(a);
        }
    }
    return std::nullopt;
}

std::function<void(const NgramProgress&)> progressPrinter(const CliContext& context) {
    auto last = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    return [&context, last](const NgramProgress& p) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (now - last < std::chrono::seconds(1))
            return;
        last = now;
        if (p.phase == NgramProgress::Phase::Reading)
            context.progress("Counting n-grams... file " + std::to_string(p.fileNumber) + " of " +
                             std::to_string(p.fileTotal) + "  tokens: " + std::to_string(p.tokens));
        else
            context.progress("Merging n-grams... " +
                             std::to_string(static_cast<int>(p.fraction * 100)) + "%");
    };
}

// Where the listed n-grams go as they come: the save file (every one) and standard output (the
// first --top). Writes that fail are remembered and stop the run.
class NgramOutput {
public:
    NgramOutput(const NgramsOptions& o, CliContext& context)
        : m_options(o), m_context(context),
          // the writer's bytes are UTF-8 already: converting them again would spell every
          // accented letter as two
          m_writer(MakeTextTableWriter(o.format, [this](std::string_view bytes) {
              m_written =
                  m_written && std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
              return m_written;
          })) {}

    // The header known: the save file is begun, the table too.
    void listing(const NgramResult& settings) {
        if (!m_options.save.empty())
            m_save.emplace(settings, m_options.request.sort, m_options.save);
        m_printing = static_cast<bool>(m_writer->begin(SequenceColumns("ngram")));
    }
    bool row(std::string_view text, std::int64_t freq, std::int64_t range) {
        if (m_save && !m_save->add(text, freq, range))
            return fail();
        if (m_options.top != 0 && m_shown >= m_options.top)
            return true; // only the save file wants more
        ++m_shown;
        const std::array<CellView, 3> cells = {text, freq, range}; // no string made per row
        if (!m_printing || !m_writer->addView(cells))
            return fail();
        return true;
    }
    // The save file put in place, the table finished.
    int finish(const NgramResult& result) {
        if (m_save) {
            const Status saved =
                m_save->finish(m_context.yes ? Placement::Replace : Placement::KeepExisting);
            if (!saved) {
                m_context.report(saved.error());
                return kFailure;
            }
        }
        m_context.progress(std::to_string(m_shown) + " n-grams of " +
                           std::to_string(result.tokens) + " tokens in " +
                           std::to_string(result.files) + " files");
        const bool printed = m_printing && m_writer->finish() && std::fflush(stdout) == 0;
        return printed && m_written ? kSuccess : kFailure;
    }
    // Whether the run stopped for a failed write rather than the user.
    bool failed() const { return m_failed; }
    // Why: a save file that could not be written is named; standard output is not.
    int failure() {
        if (m_save && !m_save->ok())
            if (const Status saved = m_save->finish(Placement::KeepExisting); !saved)
                m_context.report(saved.error());
        return kFailure;
    }

private:
    const NgramsOptions& m_options;
    CliContext& m_context;
    bool fail() {
        m_failed = true;
        return false;
    }
    bool m_written = true;
    bool m_printing = false;
    bool m_failed = false;
    std::size_t m_shown = 0;
    std::unique_ptr<TableWriter> m_writer;
    std::optional<NgramFileWriter> m_save;
};

int openSaved(const NgramsOptions& o, bool sorted, CliContext& context) {
    SequenceSort sort = SequenceSort::Freq;
    Result<NgramResult> loaded = LoadNgramFile(o.open, &sort);
    if (!loaded) {
        context.report(loaded.error());
        return kFailure;
    }
    if (sorted)
        SortSequences(loaded->list, o.request.sort);
    NgramsOptions shown = o;
    shown.save.clear();
    NgramOutput output(shown, context);
    output.listing(*loaded);
    for (const SequenceItem& item : loaded->list.items)
        if (!output.row(loaded->list.textOf(item), item.freq, item.range))
            return output.failure();
    return output.finish(*loaded);
}

} // namespace

int runNgramsCommand(CliContext& context, const std::vector<std::string>& args) {
    NgramsOptions o;
    if (const auto status = readOptions(args, o, context))
        return *status;
    if (!o.open.empty()) {
        const bool sorted = std::find(args.begin(), args.end(), "--sort") != args.end();
        return openSaved(o, sorted, context);
    }
    if (o.paths.empty()) {
        context.report(msg::NoSourceFilesSelected());
        return kUsage;
    }
    if (!o.save.empty() && !context.yes && ::access(o.save.c_str(), F_OK) == 0) {
        // refused before the count rather than after it
        context.report(analysis::msg::NgramFileExists(o.save));
        return kFailure;
    }
    o.request.sources = ExpandCountSources(o.paths, o.tree, o.pattern, context);
    CliRunHost host;
    NgramHooks hooks;
    hooks.host = &host;
    hooks.prompter = &context.prompter;
    hooks.progress = progressPrinter(context);
    if (o.save.empty())
        o.request.top = o.top; // nothing past it is wanted
    NgramOutput output(o, context);
    Result<NgramResult> result = CountNgrams(
        context.state, o.request, hooks,
        [&output](std::string_view text, std::int64_t freq, std::int64_t range) {
            return output.row(text, freq, range);
        },
        [&output](const NgramResult& settings) { output.listing(settings); });
    if (!result && result.code() == FailureCode::Cancelled && output.failed())
        return output.failure();
    if (!result) {
        if (result.code() == FailureCode::Cancelled) {
            std::cerr << "Abandon N-grams: interrupted\n";
            return g_interrupted.load() ? kAbandoned : kFailure;
        }
        context.report(result.error());
        return kFailure;
    }
    return output.finish(*result);
}

} // namespace lexmora::cli
