// The scanner: reads every file of the current file list, finds the compiled keyword in it,
// filters the candidate hits and hands every accepted one on as a KWIC line (and, with "Save to
// File", to the result files).
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "core/run_control.h"
#include "search/one_pass_walk.h"
#include "search/result_files.h"
#include "search/scan_pattern.h"
#include "search/search_request.h"

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
    std::int64_t unreadFiles = 0;   // files of the list not read (named to the user instead)
    std::int64_t cutShortFiles = 0; // files read only in part: a read error, or shrunk meanwhile
    std::int64_t filesReached = 0;  // files of the list gone through (fewer when a run stops)
    std::optional<Failure> failure; // why a result file could not be written (a device failure)
};

// What the scanner needs besides the state and the request: the run's result set (null without
// "Save to File"), its record length and the run's start (for the elapsed time while paused).
struct ScanContext {
    int keywordIndex = 0; // zero-based index into the request's keywords
    std::int64_t filesBefore = 0;
    std::int64_t hitsBefore = 0; // hits of the keyword in earlier steps (the live counter)
    ResultFileSet* results = nullptr;
    int recordLength = kMinRecordLength;
    std::int64_t runStartSeconds = 0; // steady-clock seconds
    // Set when the files are searched once for all the walk's keywords: the pattern is the
    // walk's first keyword's, whose hits are shown and saved as they are found; the files' facts
    // and the other keywords' hits are recorded in the walk.
    OnePassWalk* walk = nullptr;
};

// SearchFiles: searches the step's files (joined to its folder unless they are a list) for the
// pattern, with the request's keyword filters, context widths and codes: done with the hits
// found, abandoned by the user, or a device failure when a result file could not be written.
// `counts` is set, not added to.
RunOutcome SearchFiles(ProgramState& state, const SearchRequest& request, const StepSources& step,
                       const ScanPattern& pattern, const ScanContext& context, ScanCounts& counts,
                       SearchObserver& observer, Prompter& prompter);

} // namespace lexmora
