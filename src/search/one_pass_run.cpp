#include "search/one_pass_run.h"

#include "codes/code_tables.h"
#include "codes/dos_code_page.h"
#include "core/run_control.h"
#include "search/compile_keyword.h"
#include "search/messages.h"
#include "search/regex_keyword.h"

#include <algorithm>
#include <chrono>

namespace lexmora {

namespace {

// One keyword's turn over the recorded walk.
class Replay {
public:
    Replay(ProgramState& state, const SearchRequest& request, SearchRun& run, std::size_t k,
           const OnePassWalk& walk, SearchObserver& observer, Prompter& prompter)
        : m_state(state), m_run(run), m_dosResults(request.code.resultCode == kCodeAscii), m_k(k),
          m_slot(PassSlotOf(walk, k)), m_walk(walk), m_observer(observer),
          m_control(state, observer, prompter, search::msg::AbandonSearch()),
          m_hits(walk.hits->read(m_slot)),
          m_shortest(ShortestMatchOf(walk.keywords[m_slot].pattern)) {
        m_control.onPauseTick([this] { m_observer.onPaused(SteadySeconds() - m_run.StartTime); });
    }

    RunOutcome run();

private:
    RunOutcome step(std::size_t index);
    RunOutcome files(std::size_t first, std::size_t end, ScanCounts& counts);
    RunOutcome fileHits(std::size_t index, ScanCounts& counts);
    RunOutcome hit(const WalkFile& file, std::string_view line, std::uint64_t position,
                   std::int64_t hitNumber, ScanCounts& counts);
    // A walk the user abandoned is not polled again: the turn ends where the walk stopped.
    bool stopAsked() { return m_walk.complete && m_control.poll() == RunStep::Stop; }

    ProgramState& m_state;
    SearchRun& m_run;
    bool m_dosResults; // results saved in the DOS code page
    std::size_t m_k, m_slot;
    const OnePassWalk& m_walk;
    SearchObserver& m_observer;
    RunControl m_control;
    HitSpool::Reader m_hits;
    std::size_t m_shortest;
    std::int64_t m_hitsBefore = 0;
    std::string m_line;
};

RunOutcome Replay::run() {
    for (std::size_t i = 0; i < m_walk.steps.size(); ++i) {
        const RunOutcome outcome = step(i);
        if (!outcome.isDone())
            return outcome;
    }
    return m_walk.complete ? RunOutcome::done() : RunOutcome::abandoned();
}

// As SearchStep and the scanner's call go for one step.
RunOutcome Replay::step(std::size_t index) {
    const WalkStep& step = m_walk.steps[index];
    m_observer.onFilesInStep(step.filesInStep);
    if (step.folderCaption)
        m_observer.onFolder(*step.folderCaption);
    if (step.listSize == 0)
        return RunOutcome::done();
    m_state.PauseFlag = false;
    const std::size_t end =
        index + 1 < m_walk.steps.size() ? m_walk.steps[index + 1].firstFile : m_walk.files.size();
    ScanCounts counts;
    m_hitsBefore = m_run.HitsPerKeyword[m_k];
    RunOutcome outcome = files(step.firstFile, end, counts);
    if (outcome.isDone() && m_run.results && counts.hits > 0) {
        const Status written = m_run.results->writeSummaryLine(BuildStepLine(
            counts.hits, m_run.pattern.patternText, step.sourceDirectory,
            static_cast<std::int64_t>(step.listSize) - counts.unreadFiles, counts.bytes));
        if (!written) {
            counts.failure = written.failure();
            outcome = RunOutcome::deviceFailure();
        }
    }
    AddStepCounts(m_run, m_k, counts, m_observer);
    return outcome.isDone() ? RunOutcome::done(counts.hits) : outcome;
}

RunOutcome Replay::files(std::size_t first, std::size_t end, ScanCounts& counts) {
    for (std::size_t i = first; i < end; ++i) {
        counts.filesReached = static_cast<std::int64_t>(i - first);
        if (stopAsked())
            return RunOutcome::abandoned();
        m_observer.onFileCounter(m_run.FilesSearched + static_cast<std::int64_t>(i - first) + 1);
        const WalkFile& file = m_walk.files[i];
        switch (file.state) {
        case WalkFileState::Unread:
            ++counts.unreadFiles;
            continue;
        case WalkFileState::Passed:
            continue;
        case WalkFileState::OpenFailed:
            m_observer.onFileName(file.nameCaption, file.folderCaption);
            ++counts.unreadFiles;
            continue;
        case WalkFileState::Read:
            break;
        }
        m_observer.onFileName(file.nameCaption, file.folderCaption);
        m_observer.onCodeName(file.log.codeName);
        if (file.length < m_shortest)
            continue;
        const RunOutcome outcome = fileHits(i, counts);
        counts.bytes += static_cast<std::int64_t>(file.bytesRead);
        if (!outcome.isDone()) {
            counts.filesReached = static_cast<std::int64_t>(i - first) + 1; // stopped in it
            return outcome;
        }
    }
    counts.filesReached = static_cast<std::int64_t>(end - first);
    return RunOutcome::done();
}

RunOutcome Replay::fileHits(std::size_t index, ScanCounts& counts) {
    std::int64_t hitNumber = 1;
    while (m_hits.peekFile() == index) {
        std::uint32_t file = 0;
        std::string_view line;
        std::uint64_t position = kNoHitPosition;
        m_hits.next(file, line, position);
        const RunOutcome outcome = hit(m_walk.files[index], line, position, hitNumber++, counts);
        if (!outcome.isDone())
            return outcome;
    }
    if (m_hits.failed())
        return RunOutcome::deviceFailure();
    return RunOutcome::done();
}

// As the scanner records an accepted hit: saved, counted and shown.
RunOutcome Replay::hit(const WalkFile& file, std::string_view line, std::uint64_t position,
                       std::int64_t hitNumber, ScanCounts& counts) {
    // The spooled line is saved and shown where it lies; only a DOS result code needs a copy.
    const bool dos = m_run.results && m_dosResults;
    if (dos) {
        m_line.assign(line);
        ToDosCodePage(m_line);
        line = m_line;
    }
    if (m_run.results) {
        std::int32_t entry = static_cast<std::int32_t>(m_state.LogEntryNumber);
        const Status written =
            m_run.results->writeHit(line, file.log, hitNumber == 1, entry, position);
        m_state.LogEntryNumber = entry;
        if (!written) {
            counts.failure = written.failure();
            return RunOutcome::deviceFailure();
        }
    }
    ++counts.hits;
    counts.bytesWritten += m_run.RecordLength;
    m_observer.onHitCounter(m_hitsBefore + counts.hits);
    if (dos)
        FromDosCodePage(m_line);
    m_observer.onHit(line, file.shortName);
    return stopAsked() ? RunOutcome::abandoned() : RunOutcome::done();
}

} // namespace

std::unique_ptr<OnePassWalk> PrepareOnePass(const ProgramState& state, const SearchRequest& request,
                                            std::size_t spoolMemory, std::size_t first,
                                            std::size_t count) {
    const SearchKeywords& keywords = request.keywords;
    const std::size_t end =
        first + std::min(count, keywords.size() - std::min(first, keywords.size()));
    if (end - first < 2)
        return nullptr;
    auto walk = std::make_unique<OnePassWalk>();
    for (std::size_t k = first; k < end; ++k) {
        PassKeyword keyword;
        if (!CompileSearchPattern(state, request, k, keyword.pattern))
            continue; // passed over by the run as well
        keyword.index = k;
        keyword.caseSensitive = keywords.isCaseSensitive(k);
        if (keywords.tagged)
            keyword.tag = TagOfKeyword(keywords, static_cast<int>(k));
        walk->keywords.push_back(std::move(keyword));
    }
    if (walk->keywords.size() < 2)
        return nullptr;
    walk->hits =
        std::make_unique<HitSpool>(state.TempDirectory, walk->keywords.size(), spoolMemory);
    return walk;
}

std::size_t PassSlotOf(const OnePassWalk& walk, std::size_t k) {
    // The keywords are in keyword order.
    const auto at = std::lower_bound(
        walk.keywords.begin(), walk.keywords.end(), k,
        [](const PassKeyword& keyword, std::size_t index) { return keyword.index < index; });
    if (at == walk.keywords.end() || at->index != k)
        return static_cast<std::size_t>(-1);
    return static_cast<std::size_t>(at - walk.keywords.begin());
}

RunOutcome ReplayKeyword(ProgramState& state, const SearchRequest& request, SearchRun& run,
                         std::size_t k, const OnePassWalk& walk, SearchObserver& observer,
                         Prompter& prompter) {
    Replay replay(state, request, run, k, walk, observer, prompter);
    return replay.run();
}

} // namespace lexmora
