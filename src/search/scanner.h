// The scanner: reads every file of the current file list, finds the compiled keyword in it,
// filters the candidate hits and hands every accepted one on as a KWIC line (and, with "Save to
// File", to the result files).
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/run_control.h"
#include "search/result_files.h"
#include "search/scan_pattern.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lexmora {

// What the live screen shows of a run. The desktop's KWIC screen implements it; the command
// line prints what it needs. Every call has a do-nothing default. As the run's host it is
// yielded to between steps and waited on while the run is paused.
class SearchObserver : public RunHost {
public:
    // An accepted hit: its KWIC line (Windows-1252) and the source file's short name.
    virtual void onHit(std::string_view kwicLine, std::string_view shortName) {
        (void)kwicLine;
        (void)shortName;
    }
    // A keyword's search begins: its zero-based index in Keywords.
    virtual void onKeyword(std::int64_t index) { (void)index; }
    virtual void onHitCounter(std::int64_t hits) { (void)hits; }  // hits of the keyword so far
    virtual void onFileCounter(std::int64_t file) { (void)file; } // number of the file searched
    virtual void onFilesInStep(std::int64_t files) { (void)files; }
    // The file being searched (shortened, lower case) and, for a stored list, its folder.
    virtual void onFileName(std::string_view name, std::string_view folder) {
        (void)name;
        (void)folder;
    }
    virtual void onFolder(std::string_view folder) { (void)folder; }
    virtual void onCodeName(std::string_view name) { (void)name; }
    // The run begins: the live caption.
    virtual void onSearchStarted() {}
    // A result set is opened: the dump file's path (shortened for the caption).
    virtual void onSavingResults(std::string_view dumpPath) { (void)dumpPath; }
    // A result set without hits was deleted: its dump file's name (shortened for the caption).
    virtual void onResultSetDeleted(std::string_view dumpName) { (void)dumpName; }
    // The run has ended after so many seconds.
    virtual void onElapsed(std::int64_t seconds) { (void)seconds; }
    // One line of the summary the user asked to see.
    virtual void onSummaryLine(std::string_view line) { (void)line; }
    virtual void onPaused(std::int64_t seconds) { (void)seconds; } // "n secs" while paused
};

// What one scanner call adds up.
struct ScanCounts {
    std::int64_t hits = 0;
    std::int64_t bytes = 0;
    std::int64_t bytesWritten = 0;  // RecordLength per accepted hit, saved or not
    std::optional<Message> failure; // why a result file could not be written (step result -2)
};

inline constexpr int kStepAbandoned = -1;
inline constexpr int kStepDeviceFailure = -2;

// What the scanner needs besides the state: the run's result set (null without "Save to
// File"), its record length and the run's start (for the elapsed time while paused).
struct ScanContext {
    int keywordIndex = 0; // zero-based index into Keywords
    std::int64_t filesBefore = 0;
    std::int64_t hitsBefore = 0; // hits of the keyword in earlier steps (the live counter)
    ResultFileSet* results = nullptr;
    int recordLength = kMinRecordLength;
    std::int64_t runStartSeconds = 0; // steady-clock seconds
};

// SearchFiles: searches the files of SourceFiles (joined to SourceDirectory unless
// SourceIsFileList) for the pattern: done with the hits found, abandoned by the user, or a
// device failure when a result file could not be written. `counts` is set, not added to.
RunOutcome SearchFiles(ProgramState& state, const ScanPattern& pattern, const ScanContext& context,
                       ScanCounts& counts, SearchObserver& observer, Prompter& prompter);

// The messages of the scanner.
Message AbandonSearchQuestion(); // " Abandon Search"

// --- pieces the scanner is made of, open to tests ----------------------------------------

// How a file's words are told apart: the word characters of IsWordChar in its two modes, and the
// characters that end a clause (where a walk from word to word stops).
struct WordClasses {
    bool word1[256] = {};  // mode 1: digits are word characters
    bool word2[256] = {};  // mode 2: they are not
    bool clause[256] = {}; // ends a walk between words
    bool apostrophe[256] = {};
    unsigned char blank = ' ';
};
WordClasses MakeWordClasses(const ProgramState& state, int codeIndex);

// The text of a hit's context: line breaks, control characters and runs of blanks become one
// blank, NUL disappears, tags of a tagged search (from `tagOpen` to `tagClose`, 0 for none) count
// as one blank, and for the other languages than English the special letters of the code are
// written as their ANSI letters.
std::string ExtractContext(const ProgramState& state, int codeIndex, std::string_view text,
                           unsigned char tagOpen, unsigned char tagClose);

// The line-end sequence a file's first block uses (CR LF, LF, CR, and "<br>" in HTML mode), or
// empty.
std::string DetectLineBreak(std::string_view firstBlock, bool htmlMode);

// True when the KWIC line holds exclude string `exclude` where it overlies the matched text,
// which starts at `matchColumn` (zero-based) of the line.
bool ExcludeStringHolds(std::string_view line, std::size_t matchColumn,
                        std::string_view matchedText, std::string_view exclude, bool caseSensitive);

// True when the tag ("?" one character, "*" any run) matches `text` whole.
bool TagMatches(std::string_view tag, std::string_view text, bool caseSensitive);

// Saved results "as ASCII": Windows-1252 text written in the DOS code page (what it cannot hold
// becomes "?"), and back for the screen.
void ToDosCodePage(std::string& text);
void FromDosCodePage(std::string& text);

inline constexpr std::size_t kBlockSize = 31744; // where a file's line end is looked for

} // namespace lexmora
