#include "analysis/ngrams.h"

#include "analysis/messages.h"
#include "analysis/ngram_counter.h"
#include "analysis/ngram_sorter.h"
#include "analysis/ngram_workers.h"
#include "analysis/word_ids.h"
#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/progress_pace.h"
#include "search/messages.h"
#include "wordcount/count_source.h"
#include "wordcount/messages.h"
#include "wordcount/word_rules.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace lexmora {

namespace {

bool isBlankOrLineEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool isSentenceMark(char c) {
    return c == '.' || c == '?' || c == '!';
}

// Where the cutter's words go: folded and numbered, a few dozen at a time, into the batch being
// filled, which the workers count. flush() before the batch is handed over.
struct NgramSink {
    WordIds* ids = nullptr;
    IdBatch* batch = nullptr;
    std::int64_t tokens = 0;
    WordIdBatch pending;

    void operator()(std::string_view word) {
        if (!pending.add(word, *ids))
            return;
        ++tokens;
        if (pending.full())
            flush();
    }
    void breakSequence() {
        pending.addMark(kSequenceBreak);
        if (pending.full())
            flush();
    }
    void flush() { pending.flushInto(*ids, batch->ids); }
};

using Cutter = WordCutter<NgramSink>;

// The counters' partitions are drained, and the list sorted, in this many shares at once.
constexpr std::size_t kDrainShares = 2;

// One worker for each of at most two ranges of sizes: the reading takes the other core.
int workersFor(const NgramRequest& request) {
    return request.maxSize > request.minSize ? 2 : 1;
}

WordRules rulesFor(const ProgramState& state, const std::optional<LanguageId>& language) {
    if (!language)
        return MakeWordRules(state);
    ProgramState copy = state;
    ApplyLanguage(copy, *language);
    return MakeWordRules(copy);
}

class NgramRun {
public:
    NgramRun(ProgramState& state, const NgramRequest& request, const NgramHooks& hooks)
        : m_state(state), m_request(request), m_hooks(hooks),
          m_prompter(hooks.prompter ? *hooks.prompter : m_silent),
          m_control(state, hooks.host ? *hooks.host : m_noHost, m_prompter,
                    analysis::msg::AbandonNgrams()),
          m_rules(rulesFor(state, request.language)),
          m_workers(request.minSize, request.maxSize, request.memoryBound, state.TempDirectory,
                    workersFor(request)) {
        m_sink.ids = &m_ids;
    }

    Result<NgramResult> run(const SequenceRowSink& row, const NgramListing& listing);

private:
    enum class Flow { Go, Stop, Failed };

    Flow readSource(const std::string& path, int number);
    Flow readBlocks(SourceReader& reader, const std::string& path, NgramProgress& progress);
    void cutSentences(Cutter& cutter, std::size_t ready, bool eof, const std::string& carry);
    void feedPiece(Cutter& cutter, std::size_t from, std::size_t to);
    Flow poll();
    // The batch filled so far to the workers, and the next one to fill.
    Flow handOver();
    void report(NgramProgress progress, bool force);
    Failure countingFailure() const;
    Failure sortFailure(std::span<NgramSorter* const> sorters) const;
    bool drainInto(std::span<NgramSorter* const> sorters, bool& stopped);
    bool handOn(std::span<NgramSorter* const> sorters, const SequenceRowSink& row,
                NgramResult& result, bool& stopped);
    void note(const Message& message) {
        m_prompter.tell(message);
        m_notes.push_back(message.text);
    }

    ProgramState& m_state;
    const NgramRequest& m_request;
    const NgramHooks& m_hooks;
    SilentPrompter m_silent;
    Prompter& m_prompter;
    RunHost m_noHost;
    RunControl m_control;
    WordRules m_rules;
    WordIds m_ids;
    NgramWorkers m_workers;
    NgramSink m_sink;
    std::uint32_t m_file = 0; // the number of the file being read
    std::string m_block, m_piece, m_text;
    bool m_pendingEnd = false; // a block ended with a . ? or ! whose next byte was unknown
    std::int64_t m_files = 0;
    std::vector<std::string> m_notes;
    ProgressPace m_pace;
};

NgramRun::Flow NgramRun::poll() {
    return m_control.poll() == RunStep::Go ? Flow::Go : Flow::Stop;
}

void NgramRun::report(NgramProgress progress, bool force) {
    if (!m_hooks.progress || !m_pace.due(force))
        return;
    progress.tokens = m_sink.tokens;
    m_hooks.progress(progress);
}

NgramRun::Flow NgramRun::handOver() {
    if (m_sink.batch != nullptr) {
        m_sink.flush();
        m_workers.handOver();
    }
    m_sink.batch = m_workers.nextBatch();
    if (m_sink.batch == nullptr)
        return Flow::Failed;
    m_sink.batch->file = m_file;
    return Flow::Go;
}

Failure NgramRun::countingFailure() const {
    const NgramCounter* counter = m_workers.failedCounter();
    if (counter == nullptr)
        return Failure(analysis::msg::NgramCountingFailed(m_workers.why()),
                       m_workers.outOfMemory() ? FailureCode::OutOfMemory
                                               : FailureCode::Unspecified);
    const int error = counter->error();
    const std::string text = std::strerror(error);
    if (counter->folderRefused())
        return Failure(analysis::msg::CannotSpillInFolder(counter->temporaryFolder(), text),
                       FailureCode::CannotWrite, error);
    return Failure(analysis::msg::SpillFailed(counter->temporaryFolder(), text),
                   error == ENOSPC ? FailureCode::DiskFull : FailureCode::CannotWrite, error);
}

void NgramRun::feedPiece(Cutter& cutter, std::size_t from, std::size_t to) {
    if (to <= from)
        return;
    const std::size_t n = to - from;
    if (m_piece.size() < n + kCutterSlack)
        m_piece.resize(n + kCutterSlack);
    std::memcpy(m_piece.data(), m_block.data() + from, n);
    cutter.feed(m_piece, n);
}

// The block cut a sentence at a time: a . ? or ! followed by a blank or a line end ends the
// sequences. The byte after a mark at the block's end is in `carry`, or else in the next block.
void NgramRun::cutSentences(Cutter& cutter, std::size_t ready, bool eof, const std::string& carry) {
    const char* p = m_block.data();
    if (m_pendingEnd && ready > 0 && isBlankOrLineEnd(p[0])) {
        cutter.finish();
        m_sink.breakSequence();
    }
    m_pendingEnd = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < ready; ++i) {
        if (!isSentenceMark(p[i]))
            continue;
        bool ends = false;
        if (i + 1 < ready)
            ends = isBlankOrLineEnd(p[i + 1]);
        else if (!carry.empty())
            ends = isBlankOrLineEnd(carry[0]);
        else
            m_pendingEnd = !eof;
        if (!ends)
            continue;
        feedPiece(cutter, start, i + 1);
        cutter.finish();
        m_sink.breakSequence();
        start = i + 1;
    }
    feedPiece(cutter, start, ready);
}

NgramRun::Flow NgramRun::readBlocks(SourceReader& reader, const std::string& path,
                                    NgramProgress& progress) {
    Cutter cutter(m_rules, m_sink);
    std::string carry;
    std::string_view separator;
    m_pendingEnd = false;
    for (bool first = true;; first = false) {
        SourceReader::reserveTail(m_block, 0, carry.size());
        std::memcpy(m_block.data(), carry.data(), carry.size());
        std::size_t end = 0;
        int error = 0;
        const long got = reader.next(m_block, carry.size(), end, error);
        const bool eof = got <= 0;
        if (first)
            separator = detectSeparator(std::string_view(m_block.data(), end));
        const std::size_t ready = joinHyphens(m_block.data(), end, separator, eof, carry);
        if (m_block.size() < ready + kCutterSlack)
            m_block.resize(ready + kCutterSlack);
        if (m_request.stopAtSentence)
            cutSentences(cutter, ready, eof, carry);
        else
            cutter.feed(m_block, ready);
        if (got < 0) // the words read so far stand, as in the count
            note(search::msg::SourceReadCutShort(path, reader.consumed(), reader.size(),
                                                 std::strerror(error)));
        if (eof)
            break;
        if (handOver() == Flow::Failed)
            return Flow::Failed;
        progress.fraction = reader.size() ? static_cast<double>(reader.consumed()) /
                                                static_cast<double>(reader.size())
                                          : 1.0;
        report(progress, false);
        if (poll() == Flow::Stop)
            return Flow::Stop;
    }
    cutter.finish();
    m_sink.breakSequence(); // never across the file's end
    return handOver();
}

// One source, refused as the count refuses it: missing and unreadable files are named, binary
// ones too (the count skips them quietly, but here a user asks why a file added nothing).
NgramRun::Flow NgramRun::readSource(const std::string& path, int number) {
    NgramProgress progress;
    progress.fileNumber = number;
    progress.fileTotal = static_cast<int>(m_request.sources.size());
    progress.path = path;
    report(progress, true);
    if (HasInvalidExtension(path, m_state.InvalidFileExtensions))
        return Flow::Go;
    SourceReader reader;
    int error = 0;
    const SourceReader::Kind kind = !isRegularFile(path)
                                        ? (error = ENOENT, SourceReader::Kind::Unreadable)
                                    : reader.open(path, error) ? reader.probe(error)
                                                               : SourceReader::Kind::Unreadable;
    if (kind == SourceReader::Kind::Unreadable) {
        note(wordcount::msg::CannotReadSource(path, std::strerror(error)));
        return Flow::Go;
    }
    if (kind == SourceReader::Kind::Binary)
        note(analysis::msg::NotATextSource(path));
    if (kind != SourceReader::Kind::Text)
        return Flow::Go;
    ++m_files;
    m_file = static_cast<std::uint32_t>(m_files);
    m_sink.batch->file = m_file;
    return readBlocks(reader, path, progress);
}

Failure NgramRun::sortFailure(std::span<NgramSorter* const> sorters) const {
    int error = EIO;
    for (const NgramSorter* sorter : sorters)
        if (sorter->error() != 0) {
            error = sorter->error();
            break;
        }
    return Failure(analysis::msg::SpillFailed(m_state.TempDirectory, std::strerror(error)),
                   error == ENOSPC ? FailureCode::DiskFull : FailureCode::CannotWrite, error);
}

// Every n-gram that passes into the sorters, a share of the partitions each, each share on a
// thread of its own where one can be had. False when stopped (`stopped`) or when a temporary
// file failed.
bool NgramRun::drainInto(std::span<NgramSorter* const> sorters, bool& stopped) {
    NgramProgress progress;
    progress.phase = NgramProgress::Phase::Merging;
    const auto threshold = [](std::int64_t v) {
        return static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 1, UINT32_MAX));
    };
    std::vector<NgramWorkers::DrainShare> shares;
    for (NgramSorter* sorter : sorters)
        shares.push_back({[sorter](int size, const std::uint32_t* ids, const SequenceTally& tally) {
                              return sorter->add(size, ids, tally.freq, tally.range);
                          },
                          [sorter] {
                              sorter->seal();
                              return true;
                          }});
    // the shares rest while the run is paused
    const ExtraPauseTick pausing(m_control, [this] { m_workers.holdDrain(); });
    return m_workers.drain(threshold(m_request.minFreq), threshold(m_request.minRange), shares,
                           [&](double done) {
                               progress.fraction = done;
                               report(progress, false);
                               stopped = poll() == Flow::Stop;
                               return !stopped;
                           });
}

// The sorted list to `row`, up to `top`, yielding now and then: a long list takes a while.
bool NgramRun::handOn(std::span<NgramSorter* const> sorters, const SequenceRowSink& row,
                      NgramResult& result, bool& stopped) {
    const std::size_t top = m_request.top;
    bool full = false;
    const auto take = [&](std::string_view text, std::int64_t f, std::int64_t r) {
        if ((++result.listed & 0xFFFF) == 0 && poll() == Flow::Stop) {
            stopped = true;
            return false;
        }
        if (!row(text, f, r)) {
            stopped = true;
            return false;
        }
        full = top != 0 && static_cast<std::size_t>(result.listed) >= top;
        return !full;
    };
    return NgramSorter::WriteRows(sorters, take) || full;
}

Result<NgramResult> NgramRun::run(const SequenceRowSink& row, const NgramListing& listing) {
    const Failure abandoned(analysis::msg::NgramsAbandoned(), FailureCode::Cancelled);
    m_workers.start(); // without threads the blocks are counted here as they are read
    if (handOver() == Flow::Failed)
        return countingFailure();
    for (std::size_t i = 0; i < m_request.sources.size(); ++i) {
        const Flow flow = readSource(m_request.sources[i], static_cast<int>(i) + 1);
        if (flow == Flow::Failed)
            return countingFailure();
        if (flow == Flow::Stop || poll() == Flow::Stop)
            return abandoned;
    }
    if (!m_workers.finish())
        return countingFailure();
    NgramResult result;
    result.notes = std::move(m_notes);
    if (m_files == 0 || m_sink.tokens == 0)
        return Failure(analysis::msg::NoWordsForNgrams(), FailureCode::InvalidInput);
    result.minSize = m_request.minSize;
    result.maxSize = m_request.maxSize;
    result.minFreq = m_request.minFreq;
    result.minRange = m_request.minRange;
    result.stopAtSentence = m_request.stopAtSentence;
    result.languageIndex = m_rules.languageIndex;
    result.tokens = m_sink.tokens;
    result.files = m_files;
    // The list takes half the counters' bound: more of its runs cost little to merge, and
    // every megabyte it holds is memory faulted in afresh (3-grams: a peak of 141 MB, not 172,
    // and 5% sooner). It is sorted in shares, one per thread that drains the counters.
    const NgramListWords words(m_ids, m_request.sort);
    std::array<std::optional<NgramSorter>, kDrainShares> sorters;
    std::array<NgramSorter*, kDrainShares> sorting{};
    for (std::size_t i = 0; i < kDrainShares; ++i)
        sorting[i] =
            &sorters[i].emplace(words, m_request.maxSize, m_request.memoryBound / 2 / kDrainShares,
                                m_state.TempDirectory);
    bool stopped = false;
    if (!drainInto(sorting, stopped)) {
        if (stopped)
            return abandoned;
        return m_workers.failed() ? countingFailure() : sortFailure(sorting);
    }
    result.spilled =
        m_workers.spilled() || std::any_of(sorting.begin(), sorting.end(),
                                           [](const NgramSorter* s) { return s->spilled(); });
    if (listing)
        listing(result);
    if (!handOn(sorting, row, result, stopped))
        return stopped ? abandoned : sortFailure(sorting);
    return result;
}

} // namespace

std::optional<std::pair<int, int>> ParseNgramSize(std::string_view text) {
    auto number = [](std::string_view digits) -> int {
        if (digits.size() != 1 || digits[0] < '0' || digits[0] > '9')
            return -1;
        return digits[0] - '0';
    };
    const std::size_t dash = text.find('-');
    const int low = number(text.substr(0, dash));
    const int high = dash == std::string_view::npos ? low : number(text.substr(dash + 1));
    if (low < kMinSequenceSize || high > kMaxSequenceSize || high < low)
        return std::nullopt;
    return std::pair{low, high};
}

std::string NgramSizeText(int minSize, int maxSize) {
    return minSize == maxSize ? std::to_string(minSize)
                              : std::to_string(minSize) + "-" + std::to_string(maxSize);
}

Result<NgramResult> CountNgrams(ProgramState& state, const NgramRequest& request,
                                const NgramHooks& hooks, const SequenceRowSink& row,
                                const NgramListing& listing) {
    if (request.minSize < kMinSequenceSize || request.maxSize > kMaxSequenceSize ||
        request.maxSize < request.minSize)
        return Failure(
            analysis::msg::SizeOutOfRange(NgramSizeText(request.minSize, request.maxSize)),
            FailureCode::InvalidInput);
    NgramRun run(state, request, hooks);
    return run.run(row, listing);
}

Result<NgramResult> CountNgrams(ProgramState& state, const NgramRequest& request,
                                const NgramHooks& hooks) {
    SequenceList list;
    Result<NgramResult> result =
        CountNgrams(state, request, hooks,
                    [&list](std::string_view text, std::int64_t freq, std::int64_t range) {
                        list.add(text, freq, range);
                        return true;
                    });
    if (result)
        result->list = std::move(list);
    return result;
}

Table NgramTable(const NgramResult& result) {
    return SequenceTable(result.list, "ngram");
}

} // namespace lexmora
