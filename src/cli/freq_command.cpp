// lexmora-cli freq: a word list shown as the frequency viewer shows it, sorted, searched, or
// saved as a ".lex" details file.
#include "cli/cli_context.h"
#include "cli/table_output.h"

#include "core/paths.h"
#include "core/text_codec.h"
#include "wordcount/frequency_table.h"
#include "wordcount/list_export.h"
#include "wordcount/messages.h"

#include <iostream>

namespace lexmora::cli {

namespace {

constexpr const char* kFreqUsage =
    "usage: lexmora-cli [--home DIR] freq FILE.lst [--sort ORDER] [--norm N] [--find WORD]\n"
    "                   [--top K] [--save-lex] [--range MIN MAX] [--by frequency|list]\n"
    "                   [--folder DIR]\n"
    "\n"
    "Prints the records of a word list, one a line: record, word, frequency, percentage and\n"
    "norm, separated by tabs. Totals go to standard error.\n"
    "\n"
    "  --sort ORDER   begin (alphabetical, the list's order) | end (by word ending) |\n"
    "                 asc | desc (by frequency)\n"
    "  --norm N       0 (the list's default) .. 5, or 100 | 1k | 10k | 100k | 1M\n"
    "  --find WORD    only the record of WORD (case ignored)\n"
    "  --top K        only the first K records\n"
    "  --save-lex     save the records (or the range) as a .lex file in the frequency-files\n"
    "                 folder (or DIR) instead of printing them\n"
    "  --range MIN MAX  only records whose value lies in MIN..MAX\n"
    "  --by frequency|list  the value of --range: the frequency (default) or the record number\n"
    "  --export FORMAT  the records chosen as a table: csv, tsv, json, xlsx (needs --out) or\n"
    "                 table; columns rank, word, freq, percent, norm\n"
    "  --out FILE     with --export: the file to write (kept if it exists, unless --yes)\n";

std::optional<int> normOption(const std::string& text) {
    static const std::pair<const char*, int> kNames[] = {
        {"0", 0},   {"1", 1},  {"2", 2},   {"3", 3},    {"4", 4},  {"5", 5},
        {"100", 1}, {"1k", 2}, {"10k", 3}, {"100k", 4}, {"1m", 5}, {"default", 0}};
    for (const auto& [name, option] : kNames)
        if (equalsNoCase(text, name))
            return option;
    return std::nullopt;
}

std::optional<long long> number(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 12)
        return std::nullopt;
    return std::stoll(text);
}

// What the words after "freq" ask for.
struct FreqOptions {
    std::string listPath, sort, find;
    std::optional<int> norm;
    std::optional<long long> top, minimum, maximum;
    std::optional<TableFormat> exportFormat;
    std::optional<std::string> out;
    bool saveLex = false;
    bool byFrequency = true;
    bool help = false;
};

// One option at args[i] (and its values, which move i on); the exit status when it is wrong.
std::optional<int> readOption(const std::vector<std::string>& args, std::size_t& i, FreqOptions& o,
                              CliContext& context) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--help" || a == "-h") {
        o.help = true;
    } else if (a == "--sort" && hasValue) {
        o.sort = args[++i];
    } else if (a == "--norm" && hasValue) {
        o.norm = normOption(args[++i]);
        if (!o.norm) {
            std::cerr << "lexmora-cli freq: unknown norm '" << args[i] << "'\n";
            return kUsage;
        }
    } else if (a == "--find" && hasValue) {
        o.find = context.raw ? args[++i] : utf8ToCp1252(args[++i]);
    } else if (a == "--top" && hasValue) {
        o.top = number(args[++i]);
        if (!o.top) {
            std::cerr << "lexmora-cli freq: --top needs a number\n";
            return kUsage;
        }
    } else if (a == "--save-lex") {
        o.saveLex = true;
    } else if (a == "--export" && hasValue) {
        o.exportFormat = formatOption("freq", args[++i], true);
        if (!o.exportFormat)
            return kUsage;
    } else if (a == "--out" && hasValue) {
        o.out = args[++i];
    } else if (a == "--range" && i + 2 < args.size()) {
        o.minimum = number(args[++i]);
        o.maximum = number(args[++i]);
        if (!o.minimum || !o.maximum) {
            std::cerr << "lexmora-cli freq: --range needs two numbers\n";
            return kUsage;
        }
    } else if (a == "--by" && hasValue) {
        const std::string& by = args[++i];
        if (by != "frequency" && by != "list") {
            std::cerr << "lexmora-cli freq: --by frequency or --by list\n";
            return kUsage;
        }
        o.byFrequency = by == "frequency";
    } else if (a == "--folder" && hasValue) {
        context.state.FrequencyFilesDirectory = AbsolutePath(args[++i]);
    } else if (a.rfind("--", 0) == 0 || !o.listPath.empty()) {
        std::cerr << "lexmora-cli freq: unexpected '" << a << "'\n" << kFreqUsage;
        return kUsage;
    } else {
        o.listPath = a;
    }
    return std::nullopt;
}

// The options; the exit status when they are wrong or only ask for help.
std::optional<int> readOptions(const std::vector<std::string>& args, FreqOptions& o,
                               CliContext& context) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") { // the options end: the next word is the list file
            if (!o.listPath.empty() || i + 2 != args.size()) {
                std::cerr << kFreqUsage;
                return kUsage;
            }
            o.listPath = args[i + 1];
            break;
        }
        if (const auto status = readOption(args, i, o, context))
            return status;
        if (o.help) {
            std::cout << kFreqUsage;
            return kSuccess;
        }
    }
    if (o.listPath.empty() || (o.out && !o.exportFormat)) {
        std::cerr << kFreqUsage;
        return kUsage;
    }
    if (o.exportFormat == TableFormat::Xlsx && !o.out) {
        std::cerr << "lexmora-cli freq: --export xlsx needs --out FILE\n";
        return kUsage;
    }
    return std::nullopt;
}

std::optional<FrequencySort> sortOrderNamed(const std::string& name) {
    if (name == "begin" || name == "alpha")
        return FrequencySort::WordBeginning;
    if (name == "end")
        return FrequencySort::WordEnding;
    if (name == "asc")
        return FrequencySort::Ascending;
    if (name == "desc")
        return FrequencySort::Descending;
    return std::nullopt;
}

// The records asked for, in the table's order: one found word, a range, or all; the exit
// status when there are none to give.
std::optional<int> chooseRecords(const FreqOptions& o, FrequencyTable& table, CliContext& context,
                                 std::vector<std::int64_t>& records) {
    if (!o.find.empty()) {
        const FrequencyTable::Found found = table.findWord(o.find);
        if (found.notice)
            context.report(*found.notice);
        if (!found.index) {
            context.report(wordcount::msg::CannotFindMatch());
            return kFailure;
        }
        records.push_back(*found.index);
    } else if (o.minimum) {
        Result<std::vector<std::int64_t>> chosen =
            table.selectRange(*o.minimum, *o.maximum, o.byFrequency);
        if (!chosen) {
            context.report(chosen.error());
            return kFailure;
        }
        records = std::move(chosen.value());
    } else {
        for (std::int64_t i = 0; i < table.size(); ++i)
            records.push_back(i);
    }
    if (o.top && static_cast<long long>(records.size()) > *o.top)
        records.resize(static_cast<std::size_t>(*o.top));
    return std::nullopt;
}

void printRecords(const FrequencyTable& table, const std::vector<std::int64_t>& records,
                  const CliContext& context) {
    for (std::int64_t i : records) {
        const FrequencyRow row = table.row(i);
        context.printLine(std::to_string(row.record) + "\t" + row.word + "\t" +
                          std::to_string(row.frequency) + "\t" + row.percentage + "\t" + row.norm);
    }
}

// The records chosen, as a table: to standard output, or saved to a file placed whole.
int exportRecords(const FrequencyTable& table, const std::vector<std::int64_t>& records,
                  TableFormat format, const std::optional<std::string>& out, CliContext& context) {
    const ListExportProgress stopOnSignal = [](std::int64_t, std::int64_t) {
        return !g_interrupted;
    };
    if (!out)
        return printRows(context, format, [&](TableWriter& writer) {
            return ExportWordList(table, writer, stopOnSignal, "-", &records);
        });
    return saveRows(context, format, *out, [&](TableWriter& writer) {
        return ExportWordList(table, writer, stopOnSignal, AbsolutePath(*out), &records);
    });
}

} // namespace

int runFreqCommand(CliContext& context, const std::vector<std::string>& args) {
    FreqOptions o;
    if (const auto status = readOptions(args, o, context))
        return *status;
    Result<CountFile> loaded = LoadCountFile(AbsolutePath(o.listPath));
    if (!loaded) {
        context.report(loaded.error());
        return kFailure;
    }
    FrequencyTable table(std::move(loaded.value()));
    if (o.norm)
        table.setNorm(*o.norm);
    if (!o.sort.empty()) {
        const auto order = sortOrderNamed(o.sort);
        if (!order) {
            std::cerr << "lexmora-cli freq: unknown sort order '" << o.sort << "'\n";
            return kUsage;
        }
        const Status sorted = table.sortBy(*order);
        if (!sorted) {
            context.report(sorted.error());
            return kFailure;
        }
    }
    const CountFile& file = table.file();
    context.progress("Typecount: " + std::to_string(file.typeCount) +
                     "  Tokencount: " + std::to_string(file.tokenCount) +
                     "  Type/token ratio: " + TypeTokenRatioText(file.tokenCount, file.typeCount));
    std::vector<std::int64_t> records;
    if (const auto status = chooseRecords(o, table, context, records))
        return *status;
    if (o.saveLex) {
        Result<std::string> saved = SaveDetails(context.state, table, records, context.prompter,
                                                [] { return std::optional<std::string>(); });
        return saved && !saved.value().empty() ? kSuccess : kFailure;
    }
    if (o.exportFormat)
        return exportRecords(table, records, *o.exportFormat, o.out, context);
    printRecords(table, records, context);
    return kSuccess;
}

} // namespace lexmora::cli
