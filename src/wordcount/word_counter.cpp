// The word count from the list's name to its result: the scatter of every source through the
// worker, the settling of the pair's name, and the pair's writing and placing under it.
#include "wordcount/word_counter.h"

#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/ligatures.h"
#include "core/os_calls.h"
#include "core/paths.h"
#include "core/staged_file.h"
#include "core/text_codec.h"
#include "search/messages.h"
#include "wordcount/count_run.h"
#include "wordcount/count_source.h"
#include "wordcount/messages.h"
#include "wordcount/scatter_worker.h"
#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lexmora {

namespace counting {

void CountRun::report(CountProgress progress, bool force) {
    if (!m_hooks.progress || !m_pace.due(force))
        return;
    progress.tokens = m_tokens;
    progress.elapsedSeconds = elapsed();
    m_hooks.progress(progress);
}

// Yields, waits while paused (Exit is honoured then too), and asks about an Exit.
Flow CountRun::pollCommands() {
    m_sincePoll = 0;
    if (m_control.poll() == RunStep::Go)
        return Flow::Go;
    m_abandoned = true;
    return Flow::Stop;
}

// A word that begins with the ligature is counted under "oe", in lower case after it.
void CountRun::addOeWord(std::string_view word) {
    const std::string spelled = "oe" + LowerCp1252(word.substr(1));
    if (!m_table.add(spelled))
        addAfterSpill(spelled);
}

void CountRun::addAfterSpill(std::string_view word) {
    if (m_stopped)
        return;
    if (spill() == Flow::Stop) {
        m_stopped = true;
        return;
    }
    m_table.add(word);
}

void CountRun::cleanUp() {
    for (BucketFile& b : m_buckets)
        removeFile(b);
    if (!m_runFolder.empty()) {
        // pieces of an interrupted split are in the same folder
        if (DIR* dir = ::opendir(m_runFolder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    ::unlink(JoinPath(m_runFolder, name).c_str());
            }
            ::closedir(dir);
        }
        ::rmdir(m_runFolder.c_str());
        m_runFolder.clear();
    }
    m_list.reset();
    m_index.reset();
    if (!m_listTemp.empty())
        ::unlink(m_listTemp.c_str());
    if (!m_indexTemp.empty())
        ::unlink(m_indexTemp.c_str());
    m_listTemp.clear();
    m_indexTemp.clear();
}

// The worker's next batch; null when its reading side failed, which the user is told once.
ScatterBatch* CountRun::takeBatch(ScatterWorker& worker) {
    ScatterBatch& batch = worker.next();
    if (batch.kind != ScatterBatch::Kind::Failed)
        return &batch;
    m_prompter.tell(wordcount::msg::CountReadingFailed(batch.text));
    return nullptr;
}

Flow CountRun::scatterFile(ScatterWorker& worker, const std::string& path, int number, int total) {
    ScatterBatch* batch = takeBatch(worker);
    while (batch != nullptr && batch->kind == ScatterBatch::Kind::Missing) {
        worker.release();
        const Answer answer = m_prompter.ask(wordcount::msg::FileMissing(path));
        if (answer == Answer::Ignore) {
            worker.answer(ScatterWorker::Reply::Skip);
            return Flow::Go;
        }
        if (answer != Answer::Retry) {
            m_state.ExitFlag = ExitRequest::UserPressedExit;
            m_abandoned = true;
            return Flow::Stop;
        }
        worker.answer(ScatterWorker::Reply::Retry);
        batch = takeBatch(worker);
    }
    if (batch == nullptr)
        return Flow::Stop;
    CountProgress progress;
    progress.phase = CountProgress::Phase::Scatter;
    progress.fileNumber = number;
    progress.fileTotal = total;
    progress.fileName = toLowerAscii(ShortenPath(FileNameOf(path), 25));
    progress.path = FolderOf(path);
    report(progress, true);

    if (batch->kind != ScatterBatch::Kind::Text) {
        if (batch->kind == ScatterBatch::Kind::Unreadable) {
            // One file the user cannot read is no reason to lose the count of the others.
            m_prompter.tell(wordcount::msg::CannotReadSource(path, std::strerror(batch->error)));
            ++m_unreadFiles;
        }
        worker.release();
        return Flow::Go;
    }
    ++m_suitableFiles;
    for (;;) {
        if (!batch->eof) {
            // Pause and exit are seen before the worker reads on in this file.
            progress.fraction = batch->size ? static_cast<double>(batch->consumed) /
                                                  static_cast<double>(batch->size)
                                            : 1.0;
            report(progress, false);
            if (pollCommands() == Flow::Stop)
                return Flow::Stop;
            worker.readOn();
        }
        countCut(*batch, 0, batch->finishAt);
        if (m_stopped)
            return Flow::Stop;
        if (batch->readFailed) {
            ++m_cutShortFiles;
            m_prompter.tell(search::msg::SourceReadCutShort(path, batch->consumed, batch->size,
                                                            std::strerror(batch->error)));
        }
        if (batch->eof)
            break;
        worker.release();
        batch = takeBatch(worker);
        if (batch == nullptr)
            return Flow::Stop;
    }
    countCut(*batch, batch->finishAt, batch->wordCount);
    if (m_stopped)
        return Flow::Stop;
    // Shrunk under the count: the words counted are those of what was read, and the user knows.
    if (batch->error == 0 && batch->consumed < batch->size) {
        ++m_cutShortFiles;
        m_prompter.tell(wordcount::msg::SourceChanged(path, batch->consumed, batch->size));
    }
    worker.release();
    progress.fraction = 1.0;
    report(progress, true);
    return Flow::Go;
}

// The name of the pair: French ligatures written out, then settled with the user.
std::optional<std::string> CountRun::settleListName(const std::string& proposed) {
    const std::string name = m_state.LanguageIndex == static_cast<int>(LanguageId::French)
                                 ? SpellOutOeLigatures(proposed)
                                 : proposed;
    return ChooseListName(m_state, name, m_prompter, m_hooks.askText, &m_replace);
}

// The scatter: every source in turn; how the run ends when it cannot go on.
std::optional<CountOutcome> CountRun::scatterAll(const std::vector<std::string>& paths) {
    const int total = static_cast<int>(paths.size());
    // joined on every way out of here
    ScatterWorker worker(m_rules, paths, m_state.InvalidFileExtensions, m_hooks.beforeBlock);
    worker.start(); // without a thread of its own the reading is done here, batch by batch
    for (int i = 0; i < total; ++i) {
        if (scatterFile(worker, paths[static_cast<std::size_t>(i)], i + 1, total) == Flow::Stop)
            return m_abandoned ? CountOutcome::Abandoned : CountOutcome::Failed;
        if (pollCommands() == Flow::Stop)
            return CountOutcome::Abandoned;
    }
    if (m_suitableFiles == 0 || m_tokens == 0) {
        m_prompter.tell(wordcount::msg::NoWordsInFiles());
        return CountOutcome::NoWords;
    }
    return std::nullopt;
}

// The header's counts must fit their fields.
bool CountRun::fitsHeader(std::int64_t files) {
    const std::int64_t tokenLimit = std::min(m_hooks.tokenLimit, kMaxHeaderCount);
    if (m_tokens <= tokenLimit && files <= kMaxHeaderFiles)
        return true;
    m_prompter.tell(wordcount::msg::CountTooLarge(
        m_tokens > tokenLimit ? "more than " + std::to_string(tokenLimit) + " words (tokens)"
                              : "more than 9999999 files"));
    return false;
}

// The pair is written under temporary names of this run's own beside it, so that another run
// counting into the same name never writes into them.
bool CountRun::openTemporaryPair(const std::string& listPath, const std::string& indexPath) {
    int error = 0;
    m_list = CreateStagingFile(listPath, m_listTemp, error);
    if (!m_list.valid())
        m_listTemp.clear();
    m_index = CreateStagingFile(indexPath, m_indexTemp, error);
    if (!m_index.valid())
        m_indexTemp.clear();
    if (m_list.valid() && m_index.valid())
        return true;
    m_prompter.tell(wordcount::msg::ErrorOpeningFiles());
    m_state.ExitFlag = ExitRequest::UserPressedExit;
    return false;
}

// Why the gather stopped, told unless the user left or it was told where it happened; the
// system's error is the one the failed write gave.
CountOutcome CountRun::gatherFailure() {
    if (m_abandoned)
        return CountOutcome::Abandoned;
    if (m_failureTold)
        return CountOutcome::Failed;
    if (m_tooLarge)
        m_prompter.tell(wordcount::msg::CountTooLarge("more than 999999999 types, or a word list "
                                                      "above 2 GB"));
    else if (m_writeError == ENOSPC)
        m_prompter.tell(wordcount::msg::DiskError(61));
    else
        m_prompter.tell(core::msg::MajorFailure());
    return CountOutcome::Failed;
}

// The header goes in, both files reach the disk and take their names: the index first, so
// that a word list is only ever beside an index of its own count.
bool CountRun::completePair(const std::string& header, const std::string& listPath,
                            const std::string& indexPath) {
    if (::pwrite(m_list.get(), header.data(), header.size(), 0) !=
            static_cast<ssize_t>(header.size()) ||
        ::fsync(m_list.get()) != 0 || ::fsync(m_index.get()) != 0) {
        m_prompter.tell(core::msg::MajorFailure());
        return false;
    }
    m_list.reset();
    m_index.reset();
    return placePair(listPath, indexPath);
}

// The pair takes its names while no other run places one in the folder. The name is asked
// about at the start, but another run may have saved a list under it since: that list is kept
// unless the user agreed to overwrite. The index goes first, as a stray index beside no list
// is no one's result.
bool CountRun::placePair(const std::string& listPath, const std::string& indexPath) {
    const FolderLock lock(FolderOf(listPath));
    const std::string listName = utf8ToCp1252(FileNameOf(listPath));
    if (!m_replace && fileIsPresent(listPath)) {
        m_prompter.tell(wordcount::msg::PairNameTaken(listName));
        return false;
    }
    int error = 0;
    PlaceOutcome placed = PlaceFile(m_indexTemp, indexPath, Placement::Replace, error);
    if (placed == PlaceOutcome::Placed) {
        placed = PlaceFile(m_listTemp, listPath,
                           m_replace ? Placement::Replace : Placement::KeepExisting, error);
        if (placed != PlaceOutcome::Placed)
            ::unlink(indexPath.c_str());
    }
    if (placed == PlaceOutcome::NameTaken)
        m_prompter.tell(wordcount::msg::PairNameTaken(listName));
    else if (placed == PlaceOutcome::WriteFailed)
        m_prompter.tell(wordcount::msg::PairNotPlaced(listName, std::strerror(error)));
    if (placed != PlaceOutcome::Placed)
        return false;
    m_listTemp.clear();
    m_indexTemp.clear();
    return true;
}

CountResult CountRun::run(const CountRequest& request) {
    const std::optional<std::string> settled = settleListName(request.listName);
    if (!settled)
        return fail(CountOutcome::NotStarted);
    const std::string listPath = ListPathFor(m_state, *settled);
    const std::string indexPath = IndexPathOf(listPath);

    // The words are counted in memory; bucket files appear only if they outgrow it.
    m_start = Clock::now();
    m_tokens = 0;
    if (const auto ended = scatterAll(request.paths()))
        return fail(*ended);
    const std::int64_t files =
        std::max(static_cast<std::int64_t>(request.files.size()), request.filesNamed) -
        m_unreadFiles;
    if (!fitsHeader(files))
        return fail(CountOutcome::Failed);

    // The gather into the pair.
    if (!openTemporaryPair(listPath, indexPath))
        return fail(CountOutcome::Failed);
    std::int64_t types = 0;
    if (gather(types) == Flow::Stop)
        return fail(gatherFailure());
    if (!completePair(FillCountHeader(m_tokens, types, files), listPath, indexPath))
        return fail(CountOutcome::Failed);

    // The buckets go; the result.
    cleanUp();
    CountResult result;
    result.outcome = CountOutcome::Completed;
    result.tokens = m_tokens;
    result.types = types;
    result.files = files;
    result.partialFiles = m_unreadFiles + m_cutShortFiles;
    result.elapsedSeconds = elapsed();
    result.listPath = listPath;
    result.indexPath = indexPath;
    result.resultText = CountResultText(m_tokens, types, result.elapsedSeconds);
    return result;
}

} // namespace counting

namespace {

struct CollectSink {
    std::vector<std::string> words;
    void operator()(std::string_view word) { words.emplace_back(word); }
};

} // namespace

std::string CountResultText(std::int64_t tokens, std::int64_t types, std::int64_t seconds) {
    return "  Count results:   tokens: " + std::to_string(tokens) +
           " - types: " + std::to_string(types) +
           "    :   time elapsed:  " + std::to_string(seconds / 60) + " minutes " +
           std::to_string(seconds % 60) + " seconds" + kLineBreak +
           "   Please click on \xAB Continue \xBB...";
}

CountResult CountWords(ProgramState& state, const CountRequest& request, Prompter& prompter,
                       const CountHooks& hooks) {
    counting::CountRun run(state, prompter, hooks);
    return run.run(request);
}

std::vector<std::string> CutWords(const ProgramState& state, std::string_view text) {
    const WordRules rules = MakeWordRules(state);
    CollectSink sink;
    WordCutter<CollectSink> cutter(rules, sink);
    std::string block(text);
    std::string carry;
    const std::size_t ready =
        joinHyphens(block.data(), block.size(), detectSeparator(block), true, carry);
    cutter.feed(block, ready);
    cutter.finish();
    return sink.words;
}

std::string JoinLineEndHyphens(std::string_view text) {
    std::string block(text);
    std::string carry;
    block.resize(joinHyphens(block.data(), block.size(), detectSeparator(block), true, carry));
    return block;
}

} // namespace lexmora
