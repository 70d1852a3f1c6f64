// lexmora-cli search: the Search command from a shell. KWIC lines go to standard output, the
// program's messages, the result files and the summary to standard error.
#include "cli/cli_context.h"

#include "codes/code_tables.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text_codec.h"
#include "files/file_list.h"
#include "files/file_patterns.h"
#include "files/messages.h"
#include "keywords/keyword_file.h"
#include "keywords/keyword_handover.h"
#include "keywords/keyword_syntax.h"
#include "search/search_run.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <sys/stat.h>

namespace lexmora::cli {

namespace {

constexpr const char* kSearchUsage =
    "usage: lexmora-cli [--home DIR] search [options] KEYWORD...\n"
    "\n"
    "Searches the source files for every keyword and prints one KWIC line per hit (hit number,\n"
    "left context, match, right context). Options not given come from lexmora9.ini.\n"
    "\n"
    "  --keywords FILE      keywords from a keyword file (a leading ^ makes one case-sensitive;\n"
    "                       a line /EXPRESSION/ is a regular expression)\n"
    "  --regex              every keyword given (on the line and in --keywords FILE) is a\n"
    "                       regular expression (Perl-compatible, case-blind unless --case or a\n"
    "                       case mark; \\w, \\b and [[:alpha:]] know the accented letters)\n"
    "  --case               the keywords given on the line are case-sensitive\n"
    "  --case-marks         a leading ^ makes a keyword given on the line case-sensitive\n"
    "  --exclude TEXT       an exclude string for every keyword on the line (repeatable)\n"
    "  --tag TEXT           tagged search with this tag before the keyword\n"
    "  --tag-after          the tag follows the keyword\n"
    "  --source PATH        a file or a folder (default: SourceDirectory)\n"
    "  --pattern MASK       file pattern in the folder, e.g. \"*.txt\" (default \"*.*\")\n"
    "  --file NAME          a file of the --source folder to search (repeatable): the files\n"
    "                       chosen in that folder, in this order\n"
    "  --tree               include all sub-folders\n"
    "  --list FILE.flist    the sources are a stored file list\n"
    "  --left N --right N   context widths\n"
    "  --code MODE          auto | ansi | ascii | the name of a code file\n"
    "  --language L         english | french | german | italian | spanish\n"
    "  --save DIR           save the results to this target folder (\"Save to File\")\n"
    "  --single-file        one result file set for all keywords\n"
    "  --ascii              save results as ASCII instead of ANSI\n"
    "  --quiet              do not print the KWIC lines\n"
    "  --                   the options end: every word after it is a keyword\n";

struct Options {
    std::vector<std::string> keywords;
    std::optional<std::string> keywordFile;
    bool caseSensitive = false;
    bool caseMarks = false;
    bool regex = false;
    std::vector<std::string> excludes;
    std::optional<std::string> tag;
    bool tagAfter = false;
    std::optional<std::string> source;
    std::optional<std::string> pattern;
    bool tree = false;
    std::vector<std::string> files;
    std::optional<std::string> list;
    std::optional<int> left, right;
    std::optional<std::string> code, language, save;
    bool singleFile = false;
    bool ascii = false;
    bool quiet = false;
};

std::optional<int> parseWidth(const std::string& text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 32767)
        return std::nullopt;
    return value;
}

// The usage error, or nothing when the words parse.
std::optional<std::string> parse(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") { // the options end: every word after it is a keyword
            o.keywords.insert(o.keywords.end(), args.begin() + static_cast<long>(i) + 1,
                              args.end());
            break;
        }
        auto value = [&](std::string& out) -> bool {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--case") {
            o.caseSensitive = true;
        } else if (a == "--case-marks") {
            o.caseMarks = true;
        } else if (a == "--regex") {
            o.regex = true;
        } else if (a == "--tree") {
            o.tree = true;
        } else if (a == "--tag-after") {
            o.tagAfter = true;
        } else if (a == "--single-file") {
            o.singleFile = true;
        } else if (a == "--ascii") {
            o.ascii = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--keywords" || a == "--exclude" || a == "--tag" || a == "--source" ||
                   a == "--pattern" || a == "--list" || a == "--left" || a == "--right" ||
                   a == "--code" || a == "--language" || a == "--save" || a == "--file") {
            if (!value(v))
                return a + " needs a value";
            if (a == "--keywords")
                o.keywordFile = v;
            else if (a == "--exclude")
                o.excludes.push_back(v);
            else if (a == "--tag")
                o.tag = v;
            else if (a == "--source")
                o.source = v;
            else if (a == "--pattern")
                o.pattern = v;
            else if (a == "--list")
                o.list = v;
            else if (a == "--code")
                o.code = v;
            else if (a == "--language")
                o.language = v;
            else if (a == "--save")
                o.save = v;
            else if (a == "--file")
                o.files.push_back(v);
            else {
                const auto width = parseWidth(v);
                if (!width)
                    return a + " needs a number from 0 to 32767";
                (a == "--left" ? o.left : o.right) = *width;
            }
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            return "unknown option " + a;
        } else {
            o.keywords.push_back(a);
        }
    }
    if (o.keywords.empty() && !o.keywordFile)
        return "no keyword given";
    if (o.list && (o.source || o.tree))
        return "--list cannot go with --source or --tree";
    if (!o.files.empty() && (o.list || o.tree || !o.source))
        return "--file needs --source FOLDER and cannot go with --list or --tree";
    if (o.tag && !o.excludes.empty())
        return "--tag cannot go with --exclude";
    return std::nullopt;
}

// A keyword given on the line, typed into the entry box key by key: what the box refuses is
// told and left out, and the committed entry gets the box's normalisation.
std::string typedEntry(const CliContext& context, const std::string& text, EntryMode mode) {
    const SpecialChars chars = SpecialChars::from(context.state);
    BracketState bracket = BracketState::Normal;
    std::string box;
    for (char key : text) {
        const KeyOutcome outcome =
            FilterKeystroke(box, box.size(), key, mode, context.state.TaggedSearch, chars, bracket);
        if (outcome.message)
            context.report(*outcome.message);
        if (outcome.action == KeyAction::Accept)
            box.push_back(key);
        else if (outcome.action == KeyAction::Replace)
            box.push_back(outcome.replacement);
    }
    return NormaliseEntry(box, chars);
}

class CliObserver : public SearchObserver {
public:
    CliObserver(const CliContext& context, bool quiet) : m_context(context), m_quiet(quiet) {}
    void onHit(std::string_view line, std::string_view) override {
        if (!m_quiet)
            m_context.printLine(line);
    }
    void onSavingResults(std::string_view dumpPath) override {
        m_context.progress(SavingResultsCaption(dumpPath));
    }
    void onResultSetDeleted(std::string_view dumpName) override {
        m_context.progress(ResultSetDeletedCaption(dumpName));
    }
    void yield(ProgramState& state) override { noticeStopSignal(state); }

private:
    const CliContext& m_context;
    bool m_quiet;
};

bool passed(const CheckResult& result) {
    return result.outcome == CheckOutcome::Passed;
}

// Language, code, context widths, saving and tags; a usage error when a name is unknown.
std::optional<int> applyOptions(const Options& o, ProgramState& state) {
    if (o.language) {
        const auto language = LanguageFromTypedName(*o.language);
        if (!language) {
            std::cerr << "lexmora-cli search: unknown language " << *o.language << "\n";
            return kUsage;
        }
        ApplyLanguage(state, *language);
    }
    if (o.code) {
        const int mode = FindCodeMode(state, *o.code);
        if (mode < 0 || !SetCodeMode(state, mode)) {
            std::cerr << "lexmora-cli search: unknown code " << *o.code << "\n";
            return kUsage;
        }
    }
    if (o.left)
        state.LeftContext = *o.left;
    if (o.right)
        state.RightContext = *o.right;
    state.SaveToFile = o.save.has_value();
    if (o.save)
        state.TargetDirectory = *o.save;
    state.SingleFile = o.singleFile && state.SaveToFile;
    state.ResultCode = o.ascii ? kCodeAscii : kCodeAnsi;
    state.TaggedSearch = o.tag.has_value();
    state.TagBefore = !o.tagAfter;
    return std::nullopt;
}

// A regular expression given on the line, as typed; nothing when it holds a character
// Windows-1252 cannot hold (a "?" put in its place would change its meaning).
std::optional<std::string> typedExpression(const std::string& word) {
    std::string text = utf8ToCp1252(word, '\0');
    if (text.find('\0') != std::string::npos) {
        std::cerr << "lexmora-cli search: the regular expression " << word
                  << " holds a character Windows-1252 cannot hold\n";
        return std::nullopt;
    }
    return text;
}

// The keywords on the line, as typed entries, with their excludes or tag. False when an
// expression cannot be taken.
bool handOverTypedKeywords(const Options& o, CliContext& context) {
    std::vector<KeywordEntry> entries;
    for (const std::string& word : o.keywords) {
        KeywordEntry entry;
        const bool marked = o.caseMarks && !word.empty() && word[0] == '^';
        const std::string typed = marked ? word.substr(1) : word;
        entry.regex = o.regex;
        if (o.regex) {
            const auto expression = typedExpression(typed);
            if (!expression)
                return false;
            entry.text = *expression; // the keyword entry's tidying would change its meaning
        } else {
            entry.text = typedEntry(context, utf8ToCp1252(typed), EntryMode::Keywords);
        }
        entry.caseSensitive = o.caseSensitive || marked;
        if (o.tag)
            entry.excludes.push_back({utf8ToCp1252(*o.tag), entry.caseSensitive});
        for (const std::string& x : o.excludes)
            entry.excludes.push_back(
                {typedEntry(context, utf8ToCp1252(x), EntryMode::ExcludeStrings),
                 entry.caseSensitive});
        entries.push_back(std::move(entry));
    }
    HandOverKeywords(context.state, entries, "", false, false);
    return true;
}

// The keywords of a file, as written: read as the keyword window reads one (any line end,
// UTF-8 or UTF-16 converted). False when the file cannot be read.
bool addKeywordFile(const std::string& path, bool allRegex, CliContext& context) {
    ProgramState& state = context.state;
    const auto file = ReadKeywordFile(path);
    if (!file) {
        context.report(file.error());
        return false;
    }
    if (file->overlongLines > 0 || file->unrepresentable > 0)
        std::cerr << "lexmora-cli search: " << file->overlongLines + file->unrepresentable
                  << " line(s) of the keyword file left out (too long, or characters "
                     "Windows-1252 cannot hold)\n";
    for (const KeywordLine& line : file->keywords) {
        state.Keywords.push_back(line.text);
        state.KeywordCase.push_back(line.caseSensitive);
        state.KeywordRegex.resize(state.Keywords.size() - 1, false);
        state.KeywordRegex.push_back(line.regex || allRegex);
        if (!state.ExcludeStrings.empty()) {
            state.ExcludeStrings.emplace_back(state.ExcludeStrings.front().size());
            state.ExcludeCase.emplace_back(state.ExcludeCase.front().size(), false);
        }
    }
    return true;
}

// The sources: a stored list, one file, a folder or a folder tree. False when the list cannot
// be read.
bool selectSources(const Options& o, CliContext& context) {
    ProgramState& state = context.state;
    state.SourceFileType = o.pattern.value_or("*.*");
    state.IncludeSubfolders = o.tree;
    state.SourceIsFileList = false;
    state.SourceFileCount = 0;
    state.SourceFiles.clear();
    if (o.list) {
        const auto list = files::ReadFileList(*o.list);
        if (!list) {
            context.report(list.error());
            return false;
        }
        // Lines left out (beyond the list's limit, or not file names) are told, as the file
        // chooser tells them; a missing file gets the search's own question.
        if (list->foreignLines > 0 || list->linesCut > 0)
            context.report(files::msg::ImportNotes(0, list->foreignLines, list->linesCut));
        state.SourceIsFileList = true;
        state.StoredFileList = list->paths;
        state.SourceFiles = list->paths;
        return true;
    }
    const std::string source = o.source.value_or(state.SourceDirectory);
    if (!o.files.empty()) { // files chosen in one folder, as the file chooser leaves them
        state.SourceDirectory = AddBackslash(source);
        state.SourceFiles = o.files;
        return true;
    }
    // Anything there that is not a folder is a file to the search, which names a FIFO or a
    // device for what it is (and never opens it) instead of looking for a folder.
    if (o.source && fileIsPresent(source) && !isDirectory(source)) {
        state.SourceDirectory =
            AddBackslash(FolderOf(source).empty() ? std::string(".") : FolderOf(source));
        state.SourceFiles = {FileNameOf(source)};
        return true;
    }
    state.SourceDirectory = AddBackslash(source);
    if (o.tree)
        state.SourceFileCount =
            static_cast<long long>(files::CountTreeFiles(source, state.SourceFileType).files);
    else if (FolderExists(source))
        state.SourceFiles = files::ListMatchingFiles(source, state.SourceFileType);
    return true;
}

// The four checks of the Search command on the request the run will read; a check that wants a
// chooser cannot be met here.
bool checksPass(const SearchRequest& request, CliContext& context) {
    return passed(CheckSourceFiles(request.sources, 0, context.prompter)) &&
           passed(CheckTargetFolder(request, context.prompter)) &&
           passed(CheckKeywords(context.state, request, context.prompter)) &&
           passed(CheckTargetDisk(request, context.location.programFolder, context.prompter));
}

// The summary, the files kept, and the exit status of the run.
int reportRun(const SearchRequest& request, const SearchRun& run, const CliContext& context) {
    for (const std::string& line : SearchSummaryLines(request, run))
        context.progress(line);
    context.progress(ElapsedCaption(run.ElapsedSeconds));
    for (const std::string& path : run.keptDumpFiles)
        std::cerr << "saved: " << path << '\n';
    for (const std::string& path : run.incompleteDumpFiles)
        std::cerr << "incomplete (cut to its last whole record): " << path << '\n';
    if (run.abandoned) {
        std::cerr << "search abandoned";
        if (!run.keptDumpFiles.empty())
            std::cerr << ": the result files hold the hits found up to then";
        std::cerr << '\n';
        // 128 + the signal is kept for the stop signals; an Abort answered to the program is a
        // failure.
        return g_interrupted.load() ? abandonedStatus() : kFailure;
    }
    // Sources that could not be read were named as they came; a run that read none of them
    // searched nothing, which is no success.
    if (run.FilesUnread > 0 && run.FilesSearched == 0) {
        std::cerr << "nothing searched: no source file could be read\n";
        return kFailure;
    }
    if (run.KeywordsPassedOver > 0 &&
        run.KeywordsPassedOver == static_cast<std::int64_t>(request.keywords.size())) {
        std::cerr << "nothing searched: no keyword gives anything to search for\n";
        return kFailure;
    }
    if (run.failed)
        return kFailure;
    if (run.FilesUnread + run.FilesCutShort > 0) {
        std::cerr << "partial results: " << run.FilesUnread + run.FilesCutShort
                  << " source file(s) not read whole\n";
        return kPartial;
    }
    return kSuccess;
}

bool asksForHelp(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

} // namespace

int runSearchCommand(CliContext& context, const std::vector<std::string>& args) {
    if (asksForHelp(args)) {
        std::cout << kSearchUsage;
        return kSuccess;
    }
    Options o;
    if (const auto error = parse(args, o)) {
        std::cerr << "lexmora-cli search: " << *error << "\n" << kSearchUsage;
        return kUsage;
    }
    if (const auto usage = applyOptions(o, context.state))
        return *usage;
    if (!handOverTypedKeywords(o, context))
        return kFailure;
    if (o.keywordFile && !addKeywordFile(*o.keywordFile, o.regex, context))
        return kFailure;
    if (!selectSources(o, context))
        return kFailure;
    // The checks and the run read the sources and choices as they were made here, as values.
    const SearchRequest request = SearchRequestFor(context.state);
    if (!checksPass(request, context))
        return kFailure;
    CliObserver observer(context, o.quiet);
    SearchRun run;
    RunSearch(context.state, request, run, observer, context.prompter);
    context.state.ExitFlag = ExitRequest::None;
    return reportRun(request, run, context);
}

} // namespace lexmora::cli
