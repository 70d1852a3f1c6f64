// The search run: the four checks of the Search command, then every keyword over every source
// file, folder by folder, with its result files opened, closed or discarded, and the totals.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "search/messages.h"
#include "search/result_files.h"
#include "search/scan_pattern.h"
#include "search/scanner.h"
#include "search/search_request.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {

// --- the checks of the Search command ---------------------------------------------------

// What the user chose in a check: go on, repeat the check (after the chooser when one is
// named), or give the command up.
enum class CheckOutcome { Passed, Repeat, Abandoned };
enum class Chooser { None, Source, Target, Keywords };
struct CheckResult {
    CheckOutcome outcome = CheckOutcome::Passed;
    Chooser chooser = Chooser::None; // the chooser to open before going on or repeating
};

// 1. The sources the run will read: files chosen (or counted in a tree), the source disk
// (`recordedDiskIdentity`: the bytes in use recorded when the files were chosen, 0 for none) and
// the source folder.
CheckResult CheckSourceFiles(const SearchSources& sources, double recordedDiskIdentity,
                             Prompter& prompter);
// 2. The request's target folder (only with "Save to File"), against its source folder.
CheckResult CheckTargetFolder(const SearchRequest& request, Prompter& prompter);
// 3. The request's keywords (the state gives the code rows a regular expression is built on).
CheckResult CheckKeywords(const ProgramState& state, const SearchRequest& request,
                          Prompter& prompter);
// 4. The request's target disk (only with "Save to File"). `programFolder` tells whether the
// program runs from the target's drive.
CheckResult CheckTargetDisk(const SearchRequest& request, const std::string& programFolder,
                            Prompter& prompter);

// --- the run ------------------------------------------------------------------------------

// Keywords read in one pass at most (the pass holds about 2.6 KB per keyword).
inline constexpr std::size_t kOnePassBatch = 25000;

// The record of one run.
struct SearchRun {
    std::int64_t KeywordIndex = 0;      // zero-based
    std::int64_t LastKeywordIndex = -1; // the last keyword the loop reached (-1: none)
    int RecordLength = kMinRecordLength;
    std::vector<std::int64_t> HitsPerKeyword;
    std::int64_t FilesSearched = 0;      // of the current keyword
    std::int64_t BytesSearched = 0;      // of the current keyword
    std::int64_t FilesUnread = 0;        // over the whole run: sources named as not read instead
    std::int64_t FilesCutShort = 0;      // over the whole run: sources read only in part
    std::int64_t KeywordsPassedOver = 0; // nothing to search for: told and not searched
    std::int64_t HitsTotal = 0;
    std::int64_t EstimatedBytes = 0;
    std::int64_t BytesInResultFile = 0;
    std::string DumpFilePath;
    RunOutcome StepResult;
    std::int64_t StartTime = 0; // steady-clock seconds
    std::int64_t ElapsedSeconds = 0;

    // What became of the result files: the dump files kept, and those deleted for want of hits.
    std::vector<std::string> keptDumpFiles;
    std::vector<std::string> deletedDumpFiles;
    // The run ended early: the user abandoned it (-1), or a file or device failed (-2).
    bool abandoned = false;
    bool failed = false;
    // A set that was left incomplete by a failure, cut back to its last whole record.
    std::vector<std::string> incompleteDumpFiles;

    // While running.
    std::unique_ptr<ResultFileSet> results;
    std::int64_t hitsInSet = 0;
    ScanPattern pattern;
    std::optional<Failure> lastFailure; // why the last step could not write its results
    // Set in the first keyword's turn when it reads the sources for all keywords: the steps,
    // files and later keywords' hits are recorded there for their turns.
    OnePassWalk* walk = nullptr;
    // The sources are read again for every keyword (the walk the one-pass search is held to).
    bool keywordByKeyword = false;
    // How much of later keywords' hits waits in memory before it goes to temporary files.
    std::size_t spoolMemory = std::size_t{16} << 20;
    // The most keywords read in one pass: a longer list (a lexicon) is read in batches of so
    // many, one pass each, so that what the pass holds per keyword stays bounded.
    std::size_t onePassBatch = kOnePassBatch;
};

// RunSearch: every keyword over the request's sources. Asks nothing at the end: the summary is
// offered by ShowSearchSummary. The selection kept in the state is not touched.
void RunSearch(ProgramState& state, const SearchRequest& request, SearchRun& run,
               SearchObserver& observer, Prompter& prompter);

// SearchStep: one scanner call over the step's files, and its bookkeeping.
RunOutcome SearchStep(ProgramState& state, const SearchRequest& request, const StepSources& step,
                      SearchRun& run, SearchObserver& observer, Prompter& prompter);

// The bookkeeping of a step of keyword k once its files are searched: the run's counts and
// the live hit counter.
void AddStepCounts(SearchRun& run, std::size_t k, const ScanCounts& counts,
                   SearchObserver& observer);

// SearchFolderTree: the tree of the request's sources, its root and every folder below it,
// sub-folders first (in list order), each folder's files matching the sources' pattern as one
// step. A folder reached twice (a link loop) is searched once.
RunOutcome SearchFolderTree(ProgramState& state, const SearchRequest& request, SearchRun& run,
                            SearchObserver& observer, Prompter& prompter);

// The lines of the run's summary as the live screen lists them.
std::vector<std::string> SearchSummaryLines(const SearchRequest& request, const SearchRun& run);

// The elapsed-time caption: "time elapsed: " with minutes and seconds.
std::string ElapsedCaption(std::int64_t seconds);
// The live screen's captions for an opened result set and for one deleted for want of hits.
std::string SavingResultsCaption(std::string_view dumpPath);
std::string ResultSetDeletedCaption(std::string_view dumpName);

// Offers the summary ("Do you wish to see summary of search?") and pages through it,
// `ScreenLines` lines at a time, through the observer.
void ShowSearchSummary(const SearchRequest& request, const SearchRun& run, int screenLines,
                       SearchObserver& observer, Prompter& prompter);

// The base of a result file name from a keyword: the ligatures written out as "oe" and "OE".
std::string ResultNameBase(std::string_view keyword);

} // namespace lexmora
