// The scan of one search call over its files, as the scanner and the one-pass walk share it:
// the file's facts, the widths of a hit's contexts, and the Scan class whose members are defined
// in scanner.cpp (one keyword's scan, the file loop, a hit saved) and one_pass_scan.cpp (all
// keywords of a list over each file at once). Internal to the search.
#pragma once

#include "search/scanner.h"

#include "codes/code_detect.h"
#include "codes/code_tables.h"
#include "core/file_io.h"
#include "search/context_text.h"
#include "search/hit_filters.h"
#include "search/keyword_automaton.h"
#include "search/kwic_line.h"
#include "search/literal_finder.h"
#include "search/matcher.h"
#include "search/messages.h"
#include "search/regex_matcher.h"
#include "search/source_text.h"
#include "search/text_fold.h"
#include "search/word_classes.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace lexmora::scanning {

// Where the scan stands after a file, a window or a hit: it goes on, or the call ends, abandoned
// by the user or for a result file that could not be written. SearchFiles turns the end into
// the run's outcome.
enum class ScanStep { GoOn, Abandoned, DeviceFailure };

struct FileFacts {
    std::string shortName; // upper-case 8.3 name, Windows-1252
    ResultFileSet::SourceFileInfo log;
};

// The code a file is read in, and whether it is taken as HTML.
struct FileCode {
    int codeIndex = kCodeAnsi;
    bool htmlMode = false;
};

// How wide a hit's contexts are taken from the source: wider than they are shown, as cleaning
// shortens them (code files most, their letters taking several bytes).
struct ReadWidths {
    std::size_t left = 0;
    std::size_t right = 0;
};

inline ReadWidths readWidthsOf(ContextWidths shown, int codeIndex) {
    const int wideFactor = codeIndex >= kFirstCodeFile ? 8 : 5; // quarters
    return {static_cast<std::size_t>(std::max(0, shown.left)) * wideFactor / 4,
            static_cast<std::size_t>(std::max(0, shown.right)) * wideFactor / 4};
}

struct CandidateCheck; // the one-pass walk's check of a candidate (one_pass_scan.cpp)

class Scan {
public:
    Scan(ProgramState& state, const SearchRequest& request, const StepSources& step,
         const ScanPattern& pattern, const ScanContext& context, ScanCounts& counts,
         SearchObserver& observer, Prompter& prompter)
        : m_state(state), m_keywords(request.keywords), m_shown(request.widths),
          m_languageIndex(request.languageIndex), m_codeMode(request.code.mode),
          m_dosResults(request.code.resultCode == kCodeAscii), m_step(step), m_pattern(pattern),
          m_context(context), m_counts(counts), m_observer(observer), m_prompter(prompter),
          m_control(state, observer, prompter, search::msg::AbandonSearch()) {
        m_control.onPauseTick(
            [this] { m_observer.onPaused(SteadySeconds() - m_context.runStartSeconds); });
    }

    ScanStep run();

private:
    enum class FilePresence { There, Skipped, Abandoned };

    ScanStep pollFlags();
    ScanStep writeStepLine(std::int64_t fileCount);
    ScanStep searchFile(const std::string& path, const std::string& listedName);
    FilePresence askUntilFileThere(const std::string& path);
    bool isSearchable(const std::string& path);
    UniqueFd openSource(const std::string& path, struct stat& info);
    void checkReadToEnd(const SourceText& text, const std::string& path, std::uint64_t length);
    FileFacts describeFile(const std::string& path, const std::string& listedName,
                           const std::string& name, std::int64_t modified) const;
    FileCode fileCodeOf(const DetectedCode& code) const;
    std::size_t shortestMatch() const;
    // What a file's code gives the scan of the keyword. The files of a call mostly share a
    // code, and building these costs more than scanning a small file: the last code's are kept.
    struct CodeTables {
        int codeIndex = 0;
        Fold fold;
        std::optional<LiteralFinder> literal;
        WordClasses classes;
        LetterRepresentations reps;
    };
    const CodeTables& tablesFor(int codeIndex);
    ScanStep scanText(SourceText& text, FileCode code, const FileFacts& facts);
    ScanStep scanRegex(SourceText& text, FileCode code, const FileFacts& facts);
    bool scanRegexAlone(CandidateCheck& check, std::size_t slot);
    RegexMatcher& passRegex(std::size_t slot);
    std::size_t passLookBack() const;
    ScanStep scanTextForAll(SourceText& text, FileCode code, const FileFacts& facts);
    bool checkCandidate(CandidateCheck& check, const KeywordAutomaton& automaton,
                        KeywordAutomaton::Found found);
    bool scanAlone(CandidateCheck& check, std::size_t slot);
    bool acceptCandidate(CandidateCheck& check, std::size_t slot, std::size_t s, std::size_t e);
    const KeywordAutomaton& automatonFor(const Fold& fold, int codeIndex);
    bool caseSensitive() const;
    std::size_t candidateOverlap(const LetterRepresentations& reps) const;
    bool buildAcceptedLine(std::string_view read, std::size_t s, std::size_t e, FileCode code,
                           ReadWidths widths, std::int64_t hitNumber, int keyword,
                           const SearchTag& tag);
    ScanStep recordHit(std::int64_t hitNumber, const FileFacts& facts);
    ScanStep keepMatch(const SourceText& text, std::size_t s, std::size_t e, FileCode code,
                       ReadWidths widths, std::int64_t& hitNumber, const FileFacts& facts);
    static SourceStamp stampOf(const struct stat& info, SourceConversion conversion);
    ScanStep keepHit(CandidateCheck& check, std::size_t slot);
    WalkFile* walkFile() {
        return m_context.walk ? &m_context.walk->files[m_walkFileIndex] : nullptr;
    }

    ProgramState& m_state;
    // The request's choices, taken once for the call.
    const SearchKeywords& m_keywords;
    const ContextWidths m_shown;
    const int m_languageIndex;
    const int m_codeMode;
    const bool m_dosResults; // results saved in the DOS code page
    const StepSources& m_step;
    const ScanPattern& m_pattern;
    const ScanContext& m_context;
    ScanCounts& m_counts;
    SearchObserver& m_observer;
    Prompter& m_prompter;
    RunControl m_control;
    bool m_fileEntered = false; // the current file got past the run's flags
    SearchTag m_tag;            // a tagged search's tag, else empty
    std::string m_line;
    std::uint64_t m_position = kNoHitPosition; // where m_line's hit stands in its source
    PlainContexts m_plain;                     // the pieces of m_line, kept from hit to hit
    std::unique_ptr<CodeTables> m_tables;      // of the last file's code
    // The walk of all keywords at once: the file now recorded, and per code's fold the
    // automaton over the keywords' literals (built at the first file that needs it).
    std::size_t m_walkFileIndex = 0;
    std::optional<KeywordAutomaton> m_automata[2];
    std::vector<std::size_t> m_resumeAt;   // per keyword: where its next candidate may start
    std::vector<std::int64_t> m_hitNumber; // per keyword: the number of its next hit in the file
    std::vector<KeywordAutomaton::Found> m_found; // the literals found in the window
    std::vector<std::size_t> m_alone;             // the slots of keywords without a literal start
    // Regular expressions: the keyword's matcher, or the pass's per slot, made when first
    // needed; the slots whose expression gave up on the current file; the file's path.
    std::unique_ptr<RegexMatcher> m_regex;
    std::vector<std::unique_ptr<RegexMatcher>> m_passRegex;
    std::vector<char> m_regexGaveUp;
    std::string m_path;
};

} // namespace lexmora::scanning
