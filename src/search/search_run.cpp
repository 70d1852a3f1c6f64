#include "search/search_run.h"

#include "core/drives.h"
#include "core/file_checks.h"
#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/ligatures.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "files/file_patterns.h"
#include "search/compile_keyword.h"
#include "search/one_pass_run.h"
#include "search/regex_keyword.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lexmora {

namespace {

constexpr double kLowSpaceThreshold = 1048576.0;
constexpr double kRemovableLowSpace = 512000.0;

std::string number(std::int64_t n) {
    return std::to_string(n);
}

// A file cut back to a whole number of `unit`-byte pieces, so that a write that failed half
// way leaves no piece of the wrong length behind.
void cutToWholeUnits(const std::string& path, std::int64_t unit) {
    struct stat info {};
    if (unit <= 0 || ::stat(path.c_str(), &info) != 0)
        return;
    const std::int64_t size = static_cast<std::int64_t>(info.st_size);
    if (size % unit != 0)
        (void)::truncate(path.c_str(), static_cast<off_t>(size - size % unit));
}

// The hits counted but not in the dump (their block was never written) come off the counts,
// the current keyword's first: the counts the run reports are what was saved.
void countSavedHits(SearchRun& run, const std::string& dumpPath) {
    const auto size = fileSize(dumpPath);
    if (!size || run.RecordLength <= 0)
        return;
    const std::int64_t records = static_cast<std::int64_t>(*size) / run.RecordLength;
    const std::int64_t saved = records > 0 ? records - 1 : 0; // the header is no hit
    std::int64_t lost = run.hitsInSet - saved;
    if (lost <= 0)
        return;
    run.hitsInSet = saved;
    run.HitsTotal -= lost;
    run.EstimatedBytes -= lost * run.RecordLength;
    run.BytesInResultFile -= lost * run.RecordLength;
    for (std::int64_t k = run.KeywordIndex; k >= 0 && lost > 0; --k) {
        std::int64_t& hits = run.HitsPerKeyword[static_cast<std::size_t>(k)];
        const std::int64_t taken = std::min(hits, lost);
        hits -= taken;
        lost -= taken;
    }
}

void repairSet(SearchRun& run, const std::string& dumpPath) {
    cutToWholeUnits(dumpPath, run.RecordLength);
    cutToWholeUnits(LogPathFor(dumpPath), kLogLineBytes);
    countSavedHits(run, dumpPath);
    // The summary of a set cut short cannot be complete: it is removed rather than left to
    // give totals the files do not hold.
    ::unlink(SummaryPathFor(dumpPath).c_str());
    ForgetHitPositions(dumpPath);
    run.incompleteDumpFiles.push_back(dumpPath);
}

// OpenResultFiles: a new set named after the keyword, made unique in the target folder.
bool openResultFiles(ProgramState& state, const SearchRequest& request, SearchRun& run,
                     std::size_t k, SearchObserver& observer, Prompter& prompter) {
    const SaveOptions& save = request.save;
    const std::string name =
        MakeUniqueFileName(save.targetDirectory, ResultNameBase(request.keywords.texts[k]), ".dmp",
                           state.InvalidFileNameChars);
    if (name.empty()) {
        prompter.tell(search::msg::CannotOpenDumpfile());
        return false;
    }
    state.TargetPath = AddBackslash(save.targetDirectory);
    run.DumpFilePath = state.TargetPath + name;
    ResultSetHeader header;
    header.dumpPath = run.DumpFilePath;
    header.runDate = FormatRunDate(static_cast<std::int64_t>(std::time(nullptr)));
    header.recordLength = run.RecordLength;
    header.leftContext = request.widths.left;
    header.keyword = run.pattern.patternText;
    header.logKeywordField = LogHeaderKeywordField(request.keywords.texts, save.singleFile);
    header.fileMask = request.sources.pattern;
    header.targetDirectory = utf8ToCp1252(save.targetDirectory);
    auto opened = ResultFileSet::open(header, static_cast<std::int32_t>(state.LogEntryNumber));
    if (!opened) {
        prompter.tell(opened.error());
        prompter.tell(search::msg::CannotOpenDumpfile());
        // Whatever was created before the failure goes again.
        DeleteResultFiles(run.DumpFilePath);
        return false;
    }
    run.results = std::make_unique<ResultFileSet>(std::move(opened).value());
    // The set may widen its records so that its header fits: its length is the one in use.
    run.RecordLength = run.results->recordLength();
    run.hitsInSet = 0;
    observer.onSavingResults(utf8ToCp1252(run.DumpFilePath));
    return true;
}

// CloseResultFiles: a set without hits is deleted; a failed close is told and the files are cut
// back to whole records. False when the close failed.
bool closeResultFiles(ProgramState& state, SearchRun& run, SearchObserver& observer,
                      Prompter& prompter) {
    if (!run.results)
        return true;
    const Status closed = run.results->close();
    const std::string path = run.results->dumpPath();
    run.results.reset();
    if (!closed) {
        prompter.tell(closed.error());
        repairSet(run, path);
        run.keptDumpFiles.push_back(path);
        state.ResultsWritten = true;
        return false;
    }
    if (run.hitsInSet == 0) {
        observer.onResultSetDeleted(utf8ToCp1252(FileNameOf(path)));
        DeleteResultFiles(path);
        run.deletedDumpFiles.push_back(path);
    } else {
        run.keptDumpFiles.push_back(path);
        state.ResultsWritten = true;
    }
    return true;
}

// What ends a step of the keyword loop: abandoning closes the set; a device failure is told
// and closes it too, with its files cut back to whole records.
void endAfterStep(ProgramState& state, SearchRun& run, SearchObserver& observer,
                  Prompter& prompter) {
    if (run.StepResult.end == RunEnd::Abandoned) {
        run.abandoned = true;
        const std::string path = run.results ? run.results->dumpPath() : std::string();
        const std::int64_t hits = run.hitsInSet;
        // The keyword's summary is written at its end, which an abandoned keyword never
        // reaches: as after a failure, no summary is left that the files do not bear out.
        if (closeResultFiles(state, run, observer, prompter) && hits > 0)
            ::unlink(SummaryPathFor(path).c_str());
        return;
    }
    run.failed = true;
    if (run.lastFailure)
        prompter.tell(run.lastFailure->message);
    // The entry cap says all there is to say; a device failure is told as such too.
    if (!run.lastFailure || run.lastFailure->code != FailureCode::LimitReached)
        prompter.tell(core::msg::MajorFailure());
    if (run.results) {
        const std::string path = run.results->dumpPath();
        (void)run.results->close();
        run.results.reset();
        repairSet(run, path);
        if (run.hitsInSet > 0) {
            run.keptDumpFiles.push_back(path);
            state.ResultsWritten = true;
        } else {
            DeleteResultFiles(path);
            run.deletedDumpFiles.push_back(path);
            run.incompleteDumpFiles.pop_back(); // nothing of it was saved: it is gone
        }
    }
}

RunOutcome searchTree(ProgramState& state, const SearchRequest& request, SearchRun& run,
                      const std::string& folder, std::set<std::pair<dev_t, ino_t>>& visited,
                      SearchObserver& observer, Prompter& prompter) {
    const SearchSources& tree = request.sources;
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        // Gone since its parent was listed: named, and the rest of the tree goes on.
        prompter.tell(search::msg::CannotReadFolder(folder, std::strerror(errno)));
        return RunOutcome::done();
    }
    if (!visited.insert({info.st_dev, info.st_ino}).second)
        return RunOutcome::done(); // reached again through a link
    const files::FolderListing listing = files::ListFolder(folder, tree.pattern);
    if (!listing.readable) {
        prompter.tell(search::msg::CannotReadFolder(folder, std::strerror(listing.error)));
        return RunOutcome::done();
    }
    for (const std::string& sub : listing.folders) {
        const RunOutcome result = searchTree(state, request, run, AddBackslash(folder) + sub,
                                             visited, observer, prompter);
        if (!result.isDone())
            return result;
    }
    const std::string stepFolder = AddBackslash(folder);
    const StepSources step{stepFolder, listing.files, false, tree.countShown};
    return SearchStep(state, request, step, run, observer, prompter);
}

} // namespace

// --- checks ---------------------------------------------------------------------------------

CheckResult CheckSourceFiles(const SearchSources& sources, double recordedDiskIdentity,
                             Prompter& prompter) {
    // A stored list is searched as it stands, even empty; a tree needs files counted in it.
    const bool nothingChosen =
        sources.kind == SourceKind::Tree ? sources.countShown <= 0 : sources.files.empty();
    if (sources.kind != SourceKind::List && nothingChosen) {
        if (prompter.ask(search::msg::SelectSourceFiles()) == Answer::Ok)
            return {CheckOutcome::Repeat, Chooser::Source};
        return {CheckOutcome::Abandoned, Chooser::None};
    }
    if (recordedDiskIdentity != 0 && !sources.folder.empty() &&
        DiskIdentity(sources.folder) != recordedDiskIdentity) {
        if (prompter.ask(search::msg::SourceDiskChanged()) == Answer::Retry)
            return {CheckOutcome::Repeat, Chooser::None};
        return {CheckOutcome::Abandoned, Chooser::None};
    }
    if (sources.kind != SourceKind::List) {
        Answer answer = Answer::Ok;
        if (!CheckFolder(sources.folder, answer, prompter))
            return {answer == Answer::Retry ? CheckOutcome::Repeat : CheckOutcome::Abandoned,
                    Chooser::None};
    }
    return {};
}

CheckResult CheckTargetFolder(const SearchRequest& request, Prompter& prompter) {
    const std::string& target = request.save.targetDirectory;
    // A list has no folder of its own: its files stand wherever they are.
    const std::string& source = request.sources.folder;
    if (!request.save.toFile)
        return {};
    auto chooseOr = [&](const Message& message) -> CheckResult {
        if (prompter.ask(message) == Answer::Ok)
            return {CheckOutcome::Repeat, Chooser::Target};
        return {CheckOutcome::Abandoned, Chooser::None};
    };
    if (target.empty())
        return chooseOr(search::msg::NoTargetFolder());
    if (SameFolder(target, source))
        return chooseOr(search::msg::TargetIsSource());
    if (FolderExists(target) && IsReadOnlyFolder(target)) {
        const bool choose = prompter.ask(search::msg::ReadOnlyTarget()) == Answer::Ok;
        return {CheckOutcome::Abandoned, choose ? Chooser::Target : Chooser::None};
    }
    // Compared as folders, not names: a link, ".." or a trailing "/" cannot hide the tree.
    if (request.sources.kind == SourceKind::Tree && FolderInside(target, source))
        return chooseOr(search::msg::TargetInSearchPath());
    Answer answer = Answer::Ok;
    if (!CheckFolder(target, answer, prompter))
        return {answer == Answer::Retry ? CheckOutcome::Repeat : CheckOutcome::Abandoned,
                Chooser::None};
    return {};
}

CheckResult CheckKeywords(const ProgramState& state, const SearchRequest& request,
                          Prompter& prompter) {
    // An expression that cannot be searched for is refused before anything is searched.
    for (std::size_t k = 0; k < request.keywords.size(); ++k) {
        if (!request.keywords.isRegex(k))
            continue;
        if (const auto keyword = CompileRegexKeyword(state, request, k); !keyword) {
            prompter.tell(keyword.error());
            return {CheckOutcome::Abandoned, Chooser::None};
        }
    }
    if (!request.keywords.empty())
        return {};
    if (prompter.ask(search::msg::EnterKeywords()) == Answer::Ok)
        return {CheckOutcome::Repeat, Chooser::Keywords};
    return {CheckOutcome::Abandoned, Chooser::None};
}

CheckResult CheckTargetDisk(const SearchRequest& request, const std::string& programFolder,
                            Prompter& prompter) {
    const SaveOptions& save = request.save;
    if (!save.toFile || save.targetDirectory.empty())
        return {};
    const std::string drive = DriveOf(save.targetDirectory);
    const int type = DriveType(save.targetDirectory);
    if (type == kDriveCdRom) {
        if (prompter.ask(search::msg::SaveToCdRom()) == Answer::Yes)
            return {CheckOutcome::Passed, Chooser::Target};
        return {CheckOutcome::Abandoned, Chooser::None};
    }
    if (type == kDriveRemovable) {
        if (!IsDriveReady(drive))
            return {CheckOutcome::Abandoned, Chooser::None};
        const double free = FreeBytes(save.targetDirectory);
        if (free >= 0 && free < kRemovableLowSpace && save.warnLowDisk) {
            const bool sameDrive = !programFolder.empty() && DriveOf(programFolder) == drive;
            switch (prompter.ask(search::msg::RemovableDiskLow(free, drive, sameDrive))) {
            case Answer::Yes:
                return {CheckOutcome::Passed, Chooser::Target};
            case Answer::No:
                return {};
            default:
                return {CheckOutcome::Abandoned, Chooser::None};
            }
        }
        return {};
    }
    WarnLowSpace(drive, kLowSpaceThreshold, prompter);
    return {};
}

// --- the run --------------------------------------------------------------------------------

std::string ResultNameBase(std::string_view keyword) {
    return SpellOutOeLigatures(keyword);
}

void AddStepCounts(SearchRun& run, std::size_t k, const ScanCounts& counts,
                   SearchObserver& observer) {
    // Only the files read count: one that could not be opened or read has been named instead,
    // and a run that stopped counts the files it went through, not those it was given.
    run.FilesSearched += counts.filesReached - counts.unreadFiles;
    run.FilesUnread += counts.unreadFiles;
    run.FilesCutShort += counts.cutShortFiles;
    run.BytesSearched += counts.bytes;
    run.HitsTotal += counts.hits;
    run.HitsPerKeyword[k] += counts.hits;
    run.EstimatedBytes += counts.hits * run.RecordLength;
    run.BytesInResultFile += counts.bytesWritten;
    if (run.results)
        run.hitsInSet += counts.hits;
    observer.onHitCounter(run.HitsPerKeyword[k]);
    if (counts.failure)
        run.lastFailure = counts.failure;
}

RunOutcome SearchStep(ProgramState& state, const SearchRequest& request, const StepSources& step,
                      SearchRun& run, SearchObserver& observer, Prompter& prompter) {
    const std::int64_t filesInStep =
        step.countShown != 0 ? step.countShown : static_cast<std::int64_t>(step.files.size());
    observer.onFilesInStep(filesInStep);
    std::optional<std::string> folderCaption;
    if (!step.isList) {
        folderCaption = ShortenPath(toLowerAscii(step.folder), 40);
        observer.onFolder(*folderCaption);
    }
    if (run.walk) {
        // The later keywords' turns play the step back.
        WalkStep walked;
        walked.filesInStep = filesInStep;
        walked.folderCaption = std::move(folderCaption);
        walked.sourceDirectory = utf8ToCp1252(step.folder);
        walked.listSize = step.files.size();
        walked.firstFile = run.walk->files.size();
        run.walk->steps.push_back(std::move(walked));
    }
    if (step.files.empty())
        return RunOutcome::done();
    state.PauseFlag = false;

    const std::size_t k = static_cast<std::size_t>(run.KeywordIndex);
    ScanContext context;
    context.keywordIndex = static_cast<int>(k);
    context.filesBefore = run.FilesSearched;
    context.hitsBefore = run.HitsPerKeyword[k];
    context.results = run.results.get();
    context.recordLength = run.RecordLength;
    context.runStartSeconds = run.StartTime;
    context.walk = run.walk;
    ScanCounts counts;
    const RunOutcome result =
        SearchFiles(state, request, step, run.pattern, context, counts, observer, prompter);
    AddStepCounts(run, k, counts, observer);
    return result;
}

RunOutcome SearchFolderTree(ProgramState& state, const SearchRequest& request, SearchRun& run,
                            SearchObserver& observer, Prompter& prompter) {
    std::set<std::pair<dev_t, ino_t>> visited;
    std::string root = request.sources.folder;
    if (root.size() > 1 && root.back() == kPathSeparator)
        root.pop_back();
    return searchTree(state, request, run, root, visited, observer, prompter);
}

namespace {

void startRun(ProgramState& state, const SearchRequest& request, SearchRun& run) {
    run.BytesSearched = 0;
    run.HitsTotal = 0;
    run.BytesInResultFile = 0;
    state.LogEntryNumber = 0;
    run.KeywordIndex = 0;
    state.ResultFilesBoundary = true;
    run.HitsPerKeyword.assign(request.keywords.size(), 0);
    run.StartTime = SteadySeconds();
}

// Opens the keyword's result set where one begins; without saving, the estimate still uses the
// record length a set would have. False when the run cannot go on.
bool prepareResults(ProgramState& state, const SearchRequest& request, SearchRun& run,
                    std::size_t k, SearchObserver& observer, Prompter& prompter) {
    const ContextWidths widths = request.widths;
    const std::size_t keywordLength = request.keywords.texts[k].size();
    const auto length =
        ComputeRecordLength(widths.left, static_cast<int>(keywordLength), widths.right);
    if (!request.save.toFile) {
        run.RecordLength = length ? *length : kMaxRecordLength;
        return true;
    }
    if (!state.ResultFilesBoundary)
        return true;
    if (!length) {
        prompter.tell(search::msg::RecordTooLong(widths.left, static_cast<long long>(keywordLength),
                                                 widths.right));
        return false;
    }
    run.RecordLength = *length;
    return openResultFiles(state, request, run, k, observer, prompter);
}

// The keyword over every source: the folder tree, the stored list or the chosen files.
RunOutcome searchSources(ProgramState& state, const SearchRequest& request, SearchRun& run,
                         SearchObserver& observer, Prompter& prompter) {
    const SearchSources& sources = request.sources;
    switch (sources.kind) {
    case SourceKind::Tree:
        return SearchFolderTree(state, request, run, observer, prompter);
    case SourceKind::List: {
        static const std::string noFolder;
        const StepSources step{noFolder, sources.files, true, sources.countShown};
        return SearchStep(state, request, step, run, observer, prompter);
    }
    case SourceKind::Files:
        break;
    }
    const StepSources step{sources.folder, sources.files, false, sources.countShown};
    return SearchStep(state, request, step, run, observer, prompter);
}

// How one keyword's turn ended.
enum class KeywordTurn { Next, Stop };

// Compiles and searches keyword k. A keyword that does not compile is passed over.
KeywordTurn searchKeyword(ProgramState& state, const SearchRequest& request, SearchRun& run,
                          std::size_t k, OnePassWalk* walk, SearchObserver& observer,
                          Prompter& prompter) {
    if (!CompileSearchPattern(state, request, k, run.pattern)) {
        prompter.tell(search::msg::NothingToSearchFor(request.keywords.texts[k]));
        ++run.KeywordsPassedOver;
        return KeywordTurn::Next;
    }
    observer.onKeyword(run.KeywordIndex);
    observer.onHitCounter(0);
    run.FilesSearched = 0;
    run.BytesSearched = 0;
    if (!prepareResults(state, request, run, k, observer, prompter)) {
        run.failed = true;
        return KeywordTurn::Stop;
    }
    if (request.save.singleFile)
        state.ResultFilesBoundary = k + 1 == request.keywords.size();
    run.lastFailure.reset();
    if (walk && PassSlotOf(*walk, k) == 0) {
        // The first keyword's turn reads the sources for all of them: it is shown and saved as
        // it goes, the later keywords' hits are kept for their turns.
        run.walk = walk;
        run.StepResult = searchSources(state, request, run, observer, prompter);
        run.walk = nullptr;
        walk->complete = run.StepResult.isDone();
        // Hits whose writing failed after they were handed over are read from the sources.
        if (!walk->spoolFailed && !walk->hits->settle())
            walk->spoolFailed = true;
    } else if (walk && !walk->spoolFailed) {
        run.StepResult = ReplayKeyword(state, request, run, k, *walk, observer, prompter);
    } else {
        run.StepResult = searchSources(state, request, run, observer, prompter);
    }
    if (run.StepResult.isDone())
        return KeywordTurn::Next;
    endAfterStep(state, run, observer, prompter);
    return KeywordTurn::Stop;
}

// The keyword's summary line, and the set's close where a set ends.
KeywordTurn finishKeyword(ProgramState& state, const SearchRequest& request, SearchRun& run,
                          std::size_t k, SearchObserver& observer, Prompter& prompter) {
    const bool saving = request.save.toFile;
    if (saving && run.results && run.HitsPerKeyword[k] != 0) {
        const Status written = run.results->writeSummaryLine(
            BuildKeywordLine(run.HitsPerKeyword[k], request.keywords.texts[k], run.FilesSearched,
                             run.BytesSearched));
        if (!written &&
            prompter.ask(search::msg::CannotPrintToSummaryAskContinue()) != Answer::Ok) {
            closeResultFiles(state, run, observer, prompter);
            run.failed = true;
            return KeywordTurn::Stop;
        }
    }
    if (saving && state.ResultFilesBoundary && run.results &&
        !closeResultFiles(state, run, observer, prompter)) {
        run.failed = true;
        return KeywordTurn::Stop;
    }
    return KeywordTurn::Next;
}

// Whatever is still open is closed on every way out.
void endRun(ProgramState& state, SearchRun& run, SearchObserver& observer, Prompter& prompter) {
    if (run.results)
        closeResultFiles(state, run, observer, prompter);
    state.ResultFilesBoundary = false;
    run.ElapsedSeconds = SteadySeconds() - run.StartTime;
    observer.onElapsed(run.ElapsedSeconds);
}

} // namespace

void RunSearch(ProgramState& state, const SearchRequest& request, SearchRun& run,
               SearchObserver& observer, Prompter& prompter) {
    observer.onSearchStarted();
    const SearchKeywords& keywords = request.keywords;
    if (keywords.empty())
        return;
    startRun(state, request, run);
    // The sources are read once for all keywords when the keywords allow it, in the first
    // keyword's turn; a list longer than a batch once per batch, in its first keyword's turn.
    std::unique_ptr<OnePassWalk> walk;
    std::size_t batchEnd = 0;
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        if (!run.keywordByKeyword && k >= batchEnd) {
            walk.reset(); // the last batch's memory goes before the next is built
            const std::size_t batch = std::max<std::size_t>(run.onePassBatch, 1);
            batchEnd = k + std::min(batch, keywords.size() - k);
            walk = PrepareOnePass(state, request, run.spoolMemory, k, batchEnd - k);
        }
        run.KeywordIndex = static_cast<std::int64_t>(k);
        run.LastKeywordIndex = run.KeywordIndex;
        if (searchKeyword(state, request, run, k, walk.get(), observer, prompter) ==
            KeywordTurn::Stop)
            break;
        if (finishKeyword(state, request, run, k, observer, prompter) == KeywordTurn::Stop)
            break;
    }
    endRun(state, run, observer, prompter);
}

std::string SavingResultsCaption(std::string_view dumpPath) {
    return "saving results to: " + ShortenPath(dumpPath, 50);
}

std::string ResultSetDeletedCaption(std::string_view dumpName) {
    return "no results from search - file \xAB " + ShortenPath(dumpName, 30) + " \xBB deleted";
}

std::string ElapsedCaption(std::int64_t seconds) {
    return "time elapsed:  " + number(seconds / 60) + " minutes " + number(seconds % 60) +
           " seconds";
}

std::vector<std::string> SearchSummaryLines(const SearchRequest& request, const SearchRun& run) {
    const std::vector<std::string>& keywords = request.keywords.texts;
    std::vector<std::string> lines;
    if (!request.save.toFile)
        lines.push_back(" Estimated disk-space needed to save results: " +
                        number(run.EstimatedBytes) + " bytes");
    for (std::int64_t i = 0; i <= run.LastKeywordIndex; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (k >= keywords.size() || k >= run.HitsPerKeyword.size())
            break;
        lines.push_back(" " + number(run.HitsPerKeyword[k]) + " examples found of \xAB " +
                        keywords[k] + " \xBB");
    }
    lines.push_back(" in " + number(run.FilesSearched) + " files totalling " +
                    number(run.BytesSearched) + " bytes");
    return lines;
}

void ShowSearchSummary(const SearchRequest& request, const SearchRun& run, int screenLines,
                       SearchObserver& observer, Prompter& prompter) {
    if (prompter.ask(search::msg::SeeSummary()) != Answer::Yes)
        return;
    const std::vector<std::string> lines = SearchSummaryLines(request, run);
    const std::size_t page = screenLines > 0 ? static_cast<std::size_t>(screenLines) : 19;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        observer.onSummaryLine(lines[i]);
        if ((i + 1) % page == 0 && i + 1 < lines.size() &&
            prompter.ask(search::msg::MoreResults()) != Answer::Ok)
            return;
    }
    prompter.tell(search::msg::EndOfSearch());
}

} // namespace lexmora
