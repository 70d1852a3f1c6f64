// lexmora-cli view: a result file's KWIC lines in display order after thinning, sorting and
// deletions, or one of the viewer's outputs (collocates, ".cnc" / ".new" file, record details).
#include "cli/cli_context.h"

#include "core/paths.h"
#include "viewer/extracts.h"
#include "viewer/messages.h"
#include "viewer/record_details.h"
#include "viewer/result_viewer.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>

namespace lexmora::cli {

namespace {

constexpr const char* kViewUsage =
    "usage: lexmora-cli view FILE.dmp [options]\n"
    "\n"
    "Prints the KWIC lines of a result file in display order, one line per record as it stands\n"
    "in the record's text field, or writes one of the viewer's outputs and prints its name.\n"
    "Display positions count the header record as 1, the first KWIC record as 2.\n"
    "\n"
    "  --every N              every nth occurrence (1 .. 100)\n"
    "  --sort left|right|keyword\n"
    "                         sort on the Nth word to the left or right of the keyword, or on\n"
    "                         the keyword itself\n"
    "  --pos N                the word position for --sort left|right (default 1)\n"
    "  --backwards            sort by word end (the word read backwards, binary order)\n"
    "  --then SIDE:POS[:b]    a further sort level for ties of the one before, at most twice:\n"
    "                         left:N, right:N or keyword, \":b\" read backwards; with levels\n"
    "                         each sorts on its word alone, remaining ties by record number\n"
    "  --right N              the right context setting that bounds the sort's walk to the\n"
    "                         right (default: RightContext of lexmora9.ini)\n"
    "  --unsort               back to file order after the sort\n"
    "  --delete LIST          delete display positions, e.g. 3,5-7 (asks when more than one)\n"
    "  --undo                 undo the last deletion\n"
    "  --restore              restore all deletions\n"
    "  --collocate            print the collocates of the sort position with their counts\n"
    "  --range A-B            display positions to print or extract (default: all records)\n"
    "  --extract cnc|new      write a \".cnc\" extract or the \".new\" result file\n"
    "  --part                 extract the KWIC section only (86 characters) instead of records\n"
    "  --folder DIR           where outputs go (default: the result file's folder)\n"
    "  --details N            record details of display position N\n"
    "  --save                 with --details: save them to a \".sav\" file\n"
    "  --                     the options end: the next word is the file, even if it starts\n"
    "                         with \"-\"\n"
    "\n"
    "Exit status: 0 success, 1 a failure, or a write declined at the program's question (the\n"
    "safe answer without --yes), 2 a usage error.\n";

std::optional<long long> parseNumber(const std::string& text) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "3,5-7" as the positions 3, 5, 6, 7.
std::optional<std::vector<std::int64_t>> parseList(const std::string& text) {
    std::vector<std::int64_t> positions;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = part.find('-');
        const auto first = parseNumber(part.substr(0, dash));
        const auto last = dash == std::string::npos ? first : parseNumber(part.substr(dash + 1));
        if (!first || !last || *first > *last || *last - *first > 100000000)
            return std::nullopt;
        for (long long p = *first; p <= *last; ++p)
            positions.push_back(p);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return positions;
}

int usage() {
    std::cerr << kViewUsage;
    return kUsage;
}

struct ViewOptions {
    std::optional<std::string> file;
    int every = 1;
    std::optional<std::string> sort;
    int pos = 1;
    std::vector<SortLevel> then;
    std::optional<int> right;
    bool backwards = false, unsort = false, undo = false, restore = false, collocate = false;
    bool part = false, save = false;
    std::optional<std::vector<std::int64_t>> deletions;
    std::optional<std::pair<long long, long long>> range;
    std::optional<std::string> extract, folder;
    std::optional<long long> details;
};

// The arguments one after the other; an option's value is the argument after it.
struct ArgReader {
    const std::vector<std::string>& args;
    std::size_t i = 0;
    std::optional<std::string> value() {
        if (i + 1 >= args.size())
            return std::nullopt;
        return args[++i];
    }
};

// A number option's value within [low, high].
std::optional<long long> numberValue(ArgReader& reader, long long low, long long high) {
    const auto v = reader.value();
    const auto n = v ? parseNumber(*v) : std::nullopt;
    if (!n || *n < low || *n > high)
        return std::nullopt;
    return n;
}

// "right:2", "left:1:b", "keyword", "keyword:b" as a sort level.
std::optional<SortLevel> parseLevel(const std::string& text) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string::npos ? colon : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    SortLevel level;
    if (parts.back() == "b" && parts.size() > 1) {
        level.mode = SortMode::WordEnd;
        parts.pop_back();
    }
    if (parts.size() == 1 && parts[0] == "keyword")
        return level;
    const auto pos = parts.size() == 2 ? parseNumber(parts[1]) : std::nullopt;
    if (!pos || *pos < 1 || *pos > 1000 || (parts[0] != "left" && parts[0] != "right"))
        return std::nullopt;
    (parts[0] == "left" ? level.leftPos : level.rightPos) = static_cast<int>(*pos);
    return level;
}

// Reads the option the reader stands on; an exit status when the command ends there.
std::optional<int> readOption(ArgReader& reader, ViewOptions& o) {
    const std::string& a = reader.args[reader.i];
    if (a == "--help" || a == "-h") {
        std::cout << kViewUsage;
        return kSuccess;
    } else if (a == "--every") {
        const auto n = numberValue(reader, 1, kMaxStepN);
        if (!n)
            return usage();
        o.every = static_cast<int>(*n);
    } else if (a == "--sort") {
        o.sort = reader.value();
        if (!o.sort || (*o.sort != "left" && *o.sort != "right" && *o.sort != "keyword"))
            return usage();
    } else if (a == "--pos") {
        const auto n = numberValue(reader, 1, 1000);
        if (!n)
            return usage();
        o.pos = static_cast<int>(*n);
    } else if (a == "--right") {
        const auto n = numberValue(reader, 0, 32767);
        if (!n)
            return usage();
        o.right = static_cast<int>(*n);
    } else if (a == "--backwards") {
        o.backwards = true;
    } else if (a == "--then") {
        const auto v = reader.value();
        const auto level = v ? parseLevel(*v) : std::nullopt;
        if (!level || o.then.size() + 1 >= kMaxSortLevels) // at most two further levels
            return usage();
        o.then.push_back(*level);
    } else if (a == "--unsort") {
        o.unsort = true;
    } else if (a == "--delete") {
        const auto v = reader.value();
        o.deletions = v ? parseList(*v) : std::nullopt;
        if (!o.deletions)
            return usage();
    } else if (a == "--undo") {
        o.undo = true;
    } else if (a == "--restore") {
        o.restore = true;
    } else if (a == "--collocate") {
        o.collocate = true;
    } else if (a == "--range") {
        const auto v = reader.value();
        const auto list = v ? parseList(*v) : std::nullopt;
        if (!list || list->empty())
            return usage();
        o.range = {list->front(), list->back()};
    } else if (a == "--extract") {
        o.extract = reader.value();
        if (!o.extract || (*o.extract != "cnc" && *o.extract != "new"))
            return usage();
    } else if (a == "--part") {
        o.part = true;
    } else if (a == "--folder") {
        o.folder = reader.value();
        if (!o.folder)
            return usage();
    } else if (a == "--details") {
        const auto v = reader.value();
        o.details = v ? parseNumber(*v) : std::nullopt;
        if (!o.details)
            return usage();
    } else if (a == "--save") {
        o.save = true;
    } else if (!a.empty() && a[0] == '-') {
        std::cerr << "lexmora-cli view: unknown option '" << a << "'\n";
        return usage();
    } else if (!o.file) {
        o.file = a;
    } else {
        return usage();
    }
    return std::nullopt;
}

// Every argument read; an exit status when the command ends before the file is opened.
std::optional<int> readOptions(const std::vector<std::string>& args, ViewOptions& o) {
    for (ArgReader reader{args}; reader.i < args.size(); ++reader.i) {
        if (args[reader.i] == "--") { // the options end: a file name may start with "-"
            if (reader.i + 2 != args.size() || o.file)
                return usage();
            o.file = args[reader.i + 1];
            break;
        }
        if (const auto status = readOption(reader, o))
            return status;
    }
    if (!o.file || (o.save && !o.details) || (!o.then.empty() && !o.sort))
        return usage();
    return std::nullopt;
}

// Sorting, un-sorting, deletions, undo and restore, in that order.
void changeDisplayOrder(ResultViewer& viewer, const ViewOptions& o, CliContext& context) {
    if (o.sort) {
        const SortMode mode = o.backwards ? SortMode::WordEnd : SortMode::WordBeginning;
        const int left = *o.sort == "left" ? o.pos : 0;
        const int right = *o.sort == "right" ? o.pos : 0;
        std::vector<SortLevel> levels{{mode, left, right}};
        levels.insert(levels.end(), o.then.begin(), o.then.end());
        viewer.Sort(levels, o.right.value_or(context.state.RightContext));
    }
    if (o.unsort)
        viewer.Unsort();
    if (o.deletions) {
        const std::int64_t deleted = viewer.DeleteSelected(*o.deletions, context.prompter);
        context.progress(std::to_string(deleted) + " records deleted");
    }
    if (o.undo)
        viewer.UndoLastDeletion();
    if (o.restore)
        viewer.RestoreAllDeletions();
}

int printCollocates(const ResultViewer& viewer, CliContext& context) {
    auto result = viewer.Collocate();
    if (!result) {
        context.report(result.error());
        return kFailure;
    }
    for (const auto& c : result->collocates) {
        char count[24];
        std::snprintf(count, sizeof count, "%7lld  ", static_cast<long long>(c.count));
        context.printLine(count + c.word);
    }
    context.progress(std::to_string(result->collocates.size()) + " collocates, largest " +
                     std::to_string(result->largest) + ", smallest " +
                     std::to_string(result->smallest));
    return kSuccess;
}

int showDetails(ResultViewer& viewer, const ViewOptions& o, const std::string& outFolder,
                CliContext& context) {
    auto found = ExpandRecord(viewer, *o.details, std::nullopt, &context.state);
    if (!found) {
        context.report(found.error());
        return kFailure;
    }
    if (o.save) {
        auto saved = SaveDetails(*found, viewer, true, outFolder,
                                 context.state.InvalidFileNameChars, context.prompter);
        if (!saved)
            return kFailure;
        std::cout << *saved << '\n';
        return kSuccess;
    }
    const std::string text = DetailsText(*found);
    // Lines end in CR LF in the program's text; a terminal wants LF.
    std::string line;
    for (const char c : text) {
        if (c == '\r')
            continue;
        if (c == '\n') {
            context.printLine(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return kSuccess;
}

// The records of the range (all by default): printed, or written to a ".cnc" or ".new" file.
int writeRange(ResultViewer& viewer, const ViewOptions& o, const std::string& outFolder,
               CliContext& context) {
    const bool newFile = o.extract && *o.extract == "new";
    const std::int64_t count = viewer.IndexCount();
    ExtractRange chosen{newFile ? 1 : std::min<std::int64_t>(2, count), count};
    if (o.range)
        chosen = {o.range->first, o.range->second};
    if (count < 2 && !o.range && !newFile) {
        if (viewer.hasHeader())
            return kSuccess; // a result file of only its header shows no lines
        // one line of text and no header: nothing here is a result
        context.report(viewer::msg::NotAResultFile(FileNameOf(*o.file)));
        return kFailure;
    }
    if (const Status checked = CheckExtractRange(chosen, count); !checked) {
        context.report(checked.error());
        return kUsage;
    }
    const auto positions = ExtractPositions(chosen, {});

    if (o.extract && *o.extract == "cnc") {
        auto saved =
            SaveExtract(viewer, positions, o.part ? LineForm::KwicSection : LineForm::WholeRecord,
                        outFolder, context.state.InvalidFileNameChars, context.prompter);
        if (!saved)
            return kFailure;
        std::cout << *saved << '\n';
        return kSuccess;
    }
    if (newFile) {
        auto saved =
            SaveChanges(viewer, outFolder, context.state.InvalidFileNameChars, context.prompter);
        if (!saved)
            return kFailure; // the failure has been told
        if (saved->empty())
            return kFailure; // declined at the question: nothing written, as count's refusal
        std::cout << *saved << '\n';
        return kSuccess;
    }

    viewer.VisitRecords(chosen.first, chosen.last, [&](std::int64_t p, std::string_view record) {
        context.printLine(p == 1 ? record : viewer.kwicText(record));
        return true;
    });
    if (viewer.damagedRecordsSeen() > 0) {
        context.progress(std::to_string(viewer.damagedRecordsSeen()) +
                         " records are damaged and shown as " + std::string(kDamagedRecordText));
        return kFailure;
    }
    return kSuccess;
}

} // namespace

int runViewCommand(CliContext& context, const std::vector<std::string>& args) {
    ViewOptions o;
    if (const auto status = readOptions(args, o))
        return *status;

    ViewerOptions options;
    options.stepN = o.every;
    auto opened = ResultViewer::open(*o.file, context.prompter, options);
    if (!opened) {
        context.report(opened.error());
        if (opened.code() == FailureCode::EmptyFile)
            OfferEmptyFileDeletion(*o.file, context.prompter);
        return kFailure;
    }
    ResultViewer& viewer = *opened;
    if (viewer.damagedRecordsSeen() > 0)
        return kFailure;

    changeDisplayOrder(viewer, o, context);
    const std::string outFolder = o.folder ? *o.folder : FolderOf(AbsolutePath(*o.file));
    if (o.collocate)
        return printCollocates(viewer, context);
    if (o.details)
        return showDetails(viewer, o, outFolder, context);
    return writeRange(viewer, o, outFolder, context);
}

} // namespace lexmora::cli
