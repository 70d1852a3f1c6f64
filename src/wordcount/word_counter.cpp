#include "wordcount/word_counter.h"

#include "core/file_utils.h"

#include "core/file_io.h"
#include "core/os_calls.h"
#include "core/paths.h"
#include "core/staged_file.h"
#include "core/text_codec.h"
#include "search/messages.h"
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

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kWriteBuffer = 1 << 16; // per bucket file
constexpr int kMaxSplitDepth = 200;           // file names stay far below the 255-byte limit
constexpr std::int64_t kPollEvery = 65536;    // words split between two polls

// ---------------------------------------------------------------------------------------------
// Spilled words on disk

// A letter's words, or a piece of them, as "word TAB count CR LF" records: in a write buffer
// while they fit, in a file in the run folder once they do not. Only a count whose words
// outgrow the memory budget makes such files.
struct BucketFile {
    std::string path;
    UniqueFd fd;
    bool onDisk = false;
    std::string buffer;
    std::int64_t words = 0; // occurrences, the sum of the records' counts
    bool nonAscii = false;  // a word with a character above 127 went in (pieces)
};

void appendRecord(std::string& out, std::string_view word, std::uint32_t count) {
    char digits[16];
    char* end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count != 0);
    out.append(word);
    out += '\t';
    out.append(p, static_cast<std::size_t>(end - p));
    out += "\r\n";
}

// Splits a record into its word and count; a line without a count is one occurrence.
std::string_view parseRecord(std::string_view line, std::uint32_t& count) {
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos) {
        count = 1;
        return line;
    }
    std::uint64_t n = 0;
    for (char c : line.substr(tab + 1))
        if (c >= '0' && c <= '9')
            n = std::min<std::uint64_t>(n * 10 + static_cast<unsigned>(c - '0'), UINT32_MAX);
    count = static_cast<std::uint32_t>(n);
    return line.substr(0, tab);
}

bool createFile(BucketFile& b, int& error) {
    b.fd = UniqueFd(
        osCalls().createFile(b.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!b.fd.valid()) {
        error = errno;
        return false;
    }
    b.onDisk = true;
    return true;
}

void removeFile(BucketFile& b) {
    b.fd.reset();
    if (b.onDisk)
        ::unlink(b.path.c_str());
    b.onDisk = false;
    b.words = 0;
    b.nonAscii = false;
    b.buffer.clear();
    b.buffer.shrink_to_fit();
}

// Calls `onLine` for every CR LF line of a text held in memory.
template <typename OnLine> void splitLines(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::size_t len =
            end > start && text[end - 1] == '\r' ? end - 1 - start : end - start;
        onLine(text.substr(start, len));
        start = end + 1;
    }
}

// Calls `onLine` for every CR LF line of a file; false on a read error.
template <typename OnLine> bool readLines(const std::string& path, OnLine&& onLine, int& error) {
    UniqueFd fd(osCalls().openFile(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        error = errno;
        return false;
    }
    std::string block(kReadBlock, '\0');
    std::size_t kept = 0; // an unfinished line carried to the front
    for (;;) {
        if (block.size() - kept < kReadBlock / 2)
            block.resize(kept + kReadBlock); // a line longer than a block
        const ssize_t got = ::read(fd.get(), block.data() + kept, block.size() - kept);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (got == 0)
            break;
        const std::size_t size = kept + static_cast<std::size_t>(got);
        const char* data = block.data();
        std::size_t start = 0;
        for (;;) {
            const void* hit = std::memchr(data + start, '\n', size - start);
            if (hit == nullptr)
                break;
            const auto end = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            const std::size_t len =
                end > start && data[end - 1] == '\r' ? end - 1 - start : end - start;
            onLine(std::string_view(data + start, len));
            start = end + 1;
        }
        kept = size - start;
        if (kept > 0 && start > 0)
            std::memmove(block.data(), block.data() + start, kept);
    }
    if (kept > 0)
        onLine(std::string_view(block.data(), kept));
    return true;
}

// Every record of a piece (its file, then what its buffer still holds): onRecord(word, count).
template <typename OnRecord>
bool readRecords(const BucketFile& b, OnRecord&& onRecord, int& error) {
    auto onLine = [&onRecord](std::string_view line) {
        std::uint32_t count = 0;
        const std::string_view word = parseRecord(line, count);
        if (!word.empty() && count > 0)
            onRecord(word, count);
    };
    if (b.onDisk && !readLines(b.path, onLine, error))
        return false;
    splitLines(b.buffer, onLine);
    return true;
}

// The letter's spellings in memory: entries whose bytes lie in `arena`; a word rewritten while
// splitting (œ to "oe") is appended to the arena.
struct Piece {
    std::string& arena;
    std::span<WordEntry> entries;
    std::int64_t count = 0; // occurrences
};

// The piece (0 the word ends, 1 not a letter, 2..27 a..z) of a word at a splitting depth.
int pieceAt(std::string_view word, int depth) {
    const auto d = static_cast<std::size_t>(depth);
    return word.size() > d ? PieceOf(static_cast<unsigned char>(word[d])) : 0;
}

bool isOe(std::string_view word, int depth) {
    const auto d = static_cast<std::size_t>(depth);
    return word.size() > d && (word[d] == '\x8C' || word[d] == '\x9C');
}

// ---------------------------------------------------------------------------------------------
// The run

enum class Flow { Go, Stop };

class CountRun {
public:
    CountRun(ProgramState& state, Prompter& prompter, const CountHooks& hooks)
        : m_state(state), m_prompter(prompter), m_hooks(hooks),
          m_control(state, hooks.host ? *hooks.host : m_noHost, prompter,
                    wordcount::msg::AbandonWordcount()),
          m_rules(MakeWordRules(state)), m_start(Clock::now()), m_table(hooks.memoryBudget / 3 * 2),
          m_loadLimit(std::max<std::size_t>(hooks.memoryBudget / 4, 1)) {}

    ~CountRun() { cleanUp(); }

    CountResult run(const std::vector<std::string>& sources, const std::string& proposed);

    // The words of a batch from `from` to `to`. A word with a digit first is a token that is
    // never listed; one with a non-letter first is no token at all. The words of a letter are
    // not counted here: the table's counts add up to them when it is emptied.
    void countCut(const ScatterBatch& batch, std::size_t from, std::size_t to) {
        // held in registers: the stores to the queue might otherwise be taken to change them
        WordTable::Prefetcher slots = m_table.prefetcher();
        std::size_t shorts = 0, longFrom = kBatch;
        std::int64_t tokens = 0;
        for (std::size_t i = from; i < to; ++i) {
            // the words come from the other core: asked for ahead of their turn
            __builtin_prefetch(batch.words.get() + std::min(i + 24, to));
            const CutWord& w = batch.words[i];
            const std::uint32_t n = w.length & ~kInArena;
            const bool isShort = n <= WordTable::kShortWord;
            const char* data =
                ((w.length & kInArena) != 0 ? batch.arena : batch.text).data() + w.at;
            // a short word's first byte is the key's lowest: its text stays unread
            const auto first = static_cast<unsigned char>(isShort ? w.key : *data);
            const auto bucket = static_cast<std::uint32_t>(BucketOfFirst(first));
            if (bucket - 1 >= kLetterRecords) [[unlikely]] {
                // no letter first: no token, a digit, or the ligature
                if (bucket == 0)
                    continue;
                ++tokens;
                if (bucket == kOeBucket) {
                    addOeWord(batch.word(w));
                    slots = m_table.prefetcher(); // the table may have grown
                }
                continue;
            }
            ++tokens;
            longFrom -= isShort ? 0 : 1;
            Queued& q = m_queued[isShort ? shorts : longFrom];
            shorts += isShort ? 1 : 0;
            q.data = data;
            q.length = n;
            q.key = w.key;
            q.hash = isShort ? WordTable::hashOfKey(w.key) : w.key;
            slots.prefetch(q.hash);
            if (shorts == longFrom) {
                addQueued(shorts, longFrom);
                shorts = 0;
                longFrom = kBatch;
                slots = m_table.prefetcher();
            }
        }
        addQueued(shorts, longFrom);
        m_tokens += tokens;
    }

private:
    static constexpr std::size_t kBatch = 64;
    struct Queued {
        const char* data;
        std::size_t length;
        std::uint64_t key; // a short word's bytes
        std::uint64_t hash;
    };
    // The queued words are counted in a sweep of their own, once their slots are asked for:
    // most words of a large vocabulary are rare, and their slots are far apart. The short words
    // are queued from the front, the long ones from the back (from `longFrom`), so that no
    // sweep asks which kind a word is: that is a branch the processor cannot foresee.
    void addQueued(std::size_t shorts, std::size_t longFrom) {
        for (std::size_t i = 0; i < shorts; ++i)
            addQueued(m_queued[i]);
        for (std::size_t i = longFrom; i < kBatch; ++i)
            addQueued(m_queued[i]);
    }
    void addOeWord(std::string_view word);
    void addQueued(const Queued& q) {
        if (q.length <= WordTable::kShortWord) {
            if (!m_table.addShort(q.key, q.length, q.hash, 1)) [[unlikely]]
                addAfterSpill(q.key, q.length);
            return;
        }
        const std::string_view word(q.data, q.length);
        if (!m_table.addLong(word, q.hash, 1)) [[unlikely]]
            addAfterSpill(word);
    }
    void addAfterSpill(std::uint64_t key, std::size_t length) {
        char bytes[WordTable::kShortWord];
        std::memcpy(bytes, &key, sizeof bytes);
        addAfterSpill(std::string_view(bytes, length));
    }
    void addAfterSpill(std::string_view word);
    Flow spill();
    bool openSpillFiles();
    Flow flush(BucketFile& b);
    Flow settle(BucketFile& b);
    ScatterBatch* takeBatch(ScatterWorker& worker);
    Flow scatterFile(ScatterWorker& worker, const std::string& path, int number, int total);
    Flow pollCommands();
    std::optional<std::string> settleListName(const std::string& proposed);
    std::optional<CountOutcome> scatterAll(const std::vector<std::string>& sources);
    bool fitsHeader(std::int64_t files);
    bool openTemporaryPair(const std::string& listPath, const std::string& indexPath);
    CountOutcome gatherFailure();
    bool completePair(const std::string& header, const std::string& listPath,
                      const std::string& indexPath);
    bool placePair(const std::string& listPath, const std::string& indexPath);
    void report(CountProgress progress, bool force);
    std::int64_t elapsed() const {
        return std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - m_start).count();
    }
    bool makeRunFolder();
    Flow gather(std::int64_t& types);
    std::vector<WordEntry> entriesByLetter(std::array<std::size_t, kLetterRecords + 1>& starts);
    // The types of one piece of a letter, written to the list; -1 when the run stops. Pieces
    // are split by the next letter while they are large, exactly as buckets on disk were.
    std::int64_t gatherPiece(Piece piece, const std::string& base, int depth,
                             std::int64_t parentCount);
    std::int64_t gatherFile(BucketFile& bucket, const std::string& base, int depth,
                            std::int64_t parentCount);
    std::int64_t splitFile(BucketFile& bucket, const std::string& base, int depth);
    std::int64_t loadAndGather(BucketFile& bucket, const std::string& base, int depth,
                               std::int64_t parentCount);
    bool isLeaf(const std::string& base, std::int64_t count, int depth,
                std::int64_t parentCount) const;
    bool takenUnread(const std::string& base, bool nonAscii) const;
    std::int64_t writeSorted(const std::string& arena, std::span<WordEntry> entries);
    bool writeType(std::string_view word, std::int64_t frequency);
    bool writeOut(UniqueFd& fd, std::string& buffer, bool force);
    void cleanUp();
    void tellFailure(const Message& message) {
        m_prompter.tell(message);
        m_failureTold = true;
    }
    CountResult fail(CountOutcome outcome) {
        CountResult r;
        r.outcome = outcome;
        r.tokens = m_tokens;
        return r;
    }

    ProgramState& m_state;
    Prompter& m_prompter;
    const CountHooks& m_hooks;
    RunHost m_noHost;
    RunControl m_control;
    WordRules m_rules;
    Clock::time_point m_start;
    Clock::time_point m_lastReport{};
    std::string m_runFolder;
    // a..z: the words counted per letter, and their files once the table has spilled
    std::vector<BucketFile> m_buckets = std::vector<BucketFile>(kLetterRecords);
    WordTable m_table;
    std::size_t m_loadLimit; // the largest piece on disk read back whole
    std::array<Queued, kBatch> m_queued{};
    std::vector<KeyedWord> m_sortKeys; // writeSorted's, kept for their room
    bool m_spilled = false;
    std::int64_t m_tokens = 0;
    std::int64_t m_processed = 0;
    std::int64_t m_sincePoll = 0;
    int m_suitableFiles = 0;
    std::int64_t m_unreadFiles = 0;   // named to the user and left out of the file count
    std::int64_t m_cutShortFiles = 0; // read only in part, named to the user
    bool m_stopped = false;
    bool m_abandoned = false;

    // the pair being written, under temporary names until it is complete
    std::string m_listTemp, m_indexTemp;
    bool m_replace = false; // the user agreed to overwrite a pair of the name
    UniqueFd m_list, m_index;
    std::string m_listBuffer, m_indexBuffer;
    std::int64_t m_listBytes = 0;
    std::int64_t m_typesWritten = 0;
    bool m_tooLarge = false;
    bool m_failureTold = false; // where it happened: the gather's end says nothing more
    int m_writeError = 0;       // of the pair's last failed write
};

void CountRun::report(CountProgress progress, bool force) {
    if (!m_hooks.progress)
        return;
    const auto now = Clock::now();
    if (!force && now - m_lastReport < std::chrono::milliseconds(50))
        return;
    m_lastReport = now;
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

Flow CountRun::flush(BucketFile& b) {
    if (b.buffer.empty())
        return Flow::Go;
    int error = 0;
    while (!b.onDisk && !createFile(b, error)) {
        const Answer answer =
            m_prompter.ask(wordcount::msg::DiskError(wordcount::msg::errorNumberOf(error)));
        if (answer == Answer::Retry || answer == Answer::Ok)
            continue;
        m_state.ExitFlag = answer == Answer::Cancel ? ExitRequest::UserPressedExit
                                                    : ExitRequest::UserConfirmedLeaving;
        m_abandoned = true;
        return Flow::Stop;
    }
    std::size_t done = 0;
    while (done < b.buffer.size()) {
        const ssize_t put =
            osCalls().writeFile(b.fd.get(), b.buffer.data() + done, b.buffer.size() - done);
        if (put >= 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (errno == EINTR)
            continue;
        const Answer answer =
            m_prompter.ask(wordcount::msg::DiskError(wordcount::msg::errorNumberOf(errno)));
        if (answer == Answer::Retry || answer == Answer::Ok)
            continue;
        if (answer == Answer::Ignore) {
            // The words that could not be stored leave the count too, so that the totals
            // agree with the list.
            std::int64_t lost = 0;
            splitLines(std::string_view(b.buffer).substr(done), [&lost](std::string_view line) {
                std::uint32_t count = 0;
                if (!parseRecord(line, count).empty())
                    lost += count;
            });
            b.words -= lost;
            m_tokens -= lost;
            break;
        }
        m_state.ExitFlag = answer == Answer::Cancel ? ExitRequest::UserPressedExit
                                                    : ExitRequest::UserConfirmedLeaving;
        m_abandoned = true;
        return Flow::Stop;
    }
    b.buffer.clear();
    return Flow::Go;
}

// After a piece is complete: what its buffer holds goes to its file, if it has one.
Flow CountRun::settle(BucketFile& b) {
    if (!b.onDisk)
        return Flow::Go;
    const Flow flow = flush(b);
    b.fd.reset();
    b.buffer.shrink_to_fit();
    return flow;
}

bool CountRun::makeRunFolder() {
    // The buckets live in a folder of their own, so that two counts at once never share them.
    std::string pattern =
        AddBackslash(m_state.TempDirectory.empty() ? std::string("/tmp") : m_state.TempDirectory) +
        "~lexmora-count-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return false;
    m_runFolder = pattern;
    return true;
}

bool CountRun::openSpillFiles() {
    if (!makeRunFolder()) {
        m_prompter.tell(wordcount::msg::CannotOpenBucketFiles(std::strerror(errno)));
        return false;
    }
    int error = 0;
    for (std::size_t n = 0; n < m_buckets.size(); ++n) {
        BucketFile& b = m_buckets[n];
        b.path = JoinPath(m_runFolder, std::string("~") + static_cast<char>('a' + n) + ".tmp");
        if (!createFile(b, error)) {
            m_prompter.tell(wordcount::msg::CannotOpenBucketFiles(std::strerror(error)));
            return false;
        }
    }
    return true;
}

// The table is full: every spelling it holds goes to its letter's file with its count, and
// the table starts again empty. A spelling may so be spilled several times; the gather adds
// its counts up.
Flow CountRun::spill() {
    if (!m_spilled) {
        if (!openSpillFiles()) {
            m_state.ExitFlag = ExitRequest::UserPressedExit;
            return Flow::Stop;
        }
        m_spilled = true;
    }
    Flow flow = Flow::Go;
    m_table.forEachWord([&](std::string_view word, std::uint32_t count) {
        if (flow == Flow::Stop)
            return;
        const int letter = BucketOfFirst(static_cast<unsigned char>(word[0]));
        BucketFile& b = m_buckets[static_cast<std::size_t>(letter - 1)];
        b.words += count;
        appendRecord(b.buffer, word, count);
        if (b.buffer.size() >= kWriteBuffer)
            flow = flush(b);
    });
    m_table.clear();
    return flow;
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

bool CountRun::writeOut(UniqueFd& fd, std::string& buffer, bool force) {
    if (!force && buffer.size() < kWriteBuffer)
        return true;
    const bool ok = writeAll(fd.get(), buffer);
    if (!ok)
        m_writeError = errno;
    buffer.clear();
    return ok;
}

bool CountRun::writeType(std::string_view word, std::int64_t frequency) {
    if (m_listBytes + 1 > kMaxPosition || frequency > kMaxPosition ||
        m_typesWritten + 1 > kMaxHeaderCount) {
        m_tooLarge = true;
        return false;
    }
    AppendIndexRecord(m_indexBuffer, {static_cast<std::int32_t>(m_listBytes + 1),
                                      static_cast<std::int32_t>(frequency)});
    m_listBuffer.append(word.data(), word.size());
    m_listBuffer += "\r\n";
    m_listBytes += static_cast<std::int64_t>(word.size()) + 2;
    ++m_typesWritten;
    return writeOut(m_list, m_listBuffer, false) && writeOut(m_index, m_indexBuffer, false);
}

// A piece is sorted whole when it is small, when splitting it would separate nothing, or when
// it is the piece of words that end here ("_") or go on with a non-letter ("`").
bool CountRun::isLeaf(const std::string& base, std::int64_t count, int depth,
                      std::int64_t parentCount) const {
    return static_cast<unsigned char>(base.back()) < 'a' || count <= kInMemoryWords ||
           count == parentCount || depth >= kMaxSplitDepth;
}

// Every word of a plain-letter "_" piece is the piece's own prefix in some mixture of cases:
// it is listed as that prefix, in lower case, unread. Not for one-letter pieces that also
// gather accented one-letter words.
bool CountRun::takenUnread(const std::string& base, bool nonAscii) const {
    if (base.back() != '_' || nonAscii)
        return false;
    const int lang = m_state.LanguageIndex;
    const char letter = base[1];
    const bool accentedOneLetter =
        (lang == static_cast<int>(LanguageId::French) && (letter == 'a' || letter == 'c')) ||
        (lang == static_cast<int>(LanguageId::Italian) && letter == 'e');
    return lang == static_cast<int>(LanguageId::English) ||
           (base.size() == 3 && !accentedOneLetter);
}

// Sorts a piece's spellings and writes one type per run of case variants, spelled as the
// first of the run, with the occurrences of all of them.
std::int64_t CountRun::writeSorted(const std::string& arena, std::span<WordEntry> entries) {
    SortWords(arena, entries, m_sortKeys);
    std::int64_t types = 0;
    for (std::size_t i = 0; i < entries.size();) {
        const std::string_view word = entries[i].in(arena);
        std::int64_t frequency = entries[i].count;
        std::size_t j = i + 1;
        while (j < entries.size() && SameType(word, entries[j].in(arena)))
            frequency += entries[j++].count;
        if (!writeType(word, frequency))
            return -1;
        ++types;
        i = j;
    }
    return types;
}

std::int64_t CountRun::gatherPiece(Piece piece, const std::string& base, int depth,
                                   std::int64_t parentCount) {
    if (piece.count == 0)
        return 0;
    std::string& arena = piece.arena;
    if (isLeaf(base, piece.count, depth, parentCount)) {
        m_processed += piece.count;
        bool nonAscii = false;
        if (base.back() == '_')
            for (const WordEntry& e : piece.entries)
                nonAscii = nonAscii || !allAscii(e.in(arena));
        if (takenUnread(base, nonAscii))
            return writeType(base.substr(1, base.size() - 2), piece.count) ? 1 : -1;
        return writeSorted(arena, piece.entries);
    }

    // Split by the character after the depth into 28 pieces (a stable counting sort), then
    // gather each in order.
    const std::size_t n = piece.entries.size();
    std::vector<std::uint8_t> keys(n);
    std::array<std::size_t, kSubBucketCount + 1> starts{};
    std::array<std::int64_t, kSubBucketCount> counts{};
    for (std::size_t i = 0; i < n; ++i) {
        if (++m_sincePoll >= kPollEvery && pollCommands() == Flow::Stop)
            return -1;
        WordEntry& e = piece.entries[i];
        if (isOe(e.in(arena), depth)) {
            const std::string_view word = e.in(arena);
            const auto d = static_cast<std::size_t>(depth);
            std::string rewritten(word.substr(0, d));
            rewritten += "oe";
            rewritten += word.substr(d + 1);
            e.offset = static_cast<std::uint32_t>(arena.size());
            e.length = static_cast<std::uint32_t>(rewritten.size());
            arena += rewritten;
        }
        const int k = pieceAt(e.in(arena), depth);
        keys[i] = static_cast<std::uint8_t>(k);
        ++starts[static_cast<std::size_t>(k) + 1];
        counts[static_cast<std::size_t>(k)] += e.count;
    }
    for (std::size_t k = 1; k <= kSubBucketCount; ++k)
        starts[k] += starts[k - 1];
    {
        std::vector<WordEntry> placed(n);
        std::array<std::size_t, kSubBucketCount + 1> at = starts;
        for (std::size_t i = 0; i < n; ++i)
            placed[at[keys[i]]++] = piece.entries[i];
        std::copy(placed.begin(), placed.end(), piece.entries.begin());
    }
    keys = {};
    std::int64_t types = 0;
    for (std::size_t k = 0; k < kSubBucketCount; ++k) {
        const Piece part{arena, piece.entries.subspan(starts[k], starts[k + 1] - starts[k]),
                         counts[k]};
        const std::int64_t t =
            gatherPiece(part, base + static_cast<char>(95 + k), depth + 1, piece.count);
        if (t < 0)
            return -1;
        types += t;
    }
    return types;
}

// A piece on disk: sorted from its records added up when it need not be split, read back whole
// and split in memory when it is small enough, else split on disk.
std::int64_t CountRun::gatherFile(BucketFile& bucket, const std::string& base, int depth,
                                  std::int64_t parentCount) {
    const std::int64_t count = bucket.words;
    if (count == 0)
        return 0;
    if (!isLeaf(base, count, depth, parentCount)) {
        std::uint64_t bytes = bucket.buffer.size();
        if (bucket.onDisk)
            bytes += fileSize(bucket.path).value_or(0);
        return bytes <= m_loadLimit ? loadAndGather(bucket, base, depth, parentCount)
                                    : splitFile(bucket, base, depth);
    }
    m_processed += count;
    if (takenUnread(base, bucket.nonAscii))
        return writeType(base.substr(1, base.size() - 2), count) ? 1 : -1;
    WordTable table;
    bool full = false;
    int error = 0;
    const bool read = readRecords(
        bucket,
        [&](std::string_view word, std::uint32_t n) {
            if (!table.add(word, n))
                full = true;
        },
        error);
    if (!read || full) {
        tellFailure(core::msg::MajorFailure());
        return -1;
    }
    table.freeze();
    std::vector<WordEntry> entries;
    entries.reserve(table.size());
    table.forEachEntry([&entries](const WordEntry& e) { entries.push_back(e); });
    return writeSorted(table.arena(), entries);
}

std::int64_t CountRun::loadAndGather(BucketFile& bucket, const std::string& base, int depth,
                                     std::int64_t parentCount) {
    std::string arena;
    std::vector<WordEntry> entries;
    int error = 0;
    const bool read = readRecords(
        bucket,
        [&](std::string_view word, std::uint32_t n) {
            entries.push_back({static_cast<std::uint32_t>(arena.size()),
                               static_cast<std::uint32_t>(word.size()), n});
            arena += word;
        },
        error);
    if (!read) {
        tellFailure(core::msg::MajorFailure());
        return -1;
    }
    const std::int64_t count = bucket.words;
    removeFile(bucket);
    return gatherPiece({arena, entries, count}, base, depth, parentCount);
}

std::int64_t CountRun::splitFile(BucketFile& bucket, const std::string& base, int depth) {
    const std::int64_t count = bucket.words;
    std::vector<BucketFile> pieces(kSubBucketCount);
    for (int k = 0; k < kSubBucketCount; ++k)
        pieces[static_cast<std::size_t>(k)].path =
            JoinPath(m_runFolder, base + static_cast<char>(95 + k) + ".tmp");
    bool stop = false;
    std::string rewritten;
    int error = 0;
    const bool read = readRecords(
        bucket,
        [&](std::string_view word, std::uint32_t n) {
            if (stop)
                return;
            if (isOe(word, depth)) {
                const auto d = static_cast<std::size_t>(depth);
                rewritten.assign(word.substr(0, d));
                rewritten += "oe";
                rewritten.append(word.substr(d + 1));
                word = rewritten;
            }
            BucketFile& p = pieces[static_cast<std::size_t>(pieceAt(word, depth))];
            appendRecord(p.buffer, word, n);
            p.words += n;
            p.nonAscii = p.nonAscii || !allAscii(word);
            if (p.buffer.size() >= kWriteBuffer && flush(p) == Flow::Stop)
                stop = true;
            if (++m_sincePoll >= kPollEvery && pollCommands() == Flow::Stop)
                stop = true;
        },
        error);
    // the parent's words are all in the pieces now
    if (!stop)
        removeFile(bucket);
    for (BucketFile& p : pieces)
        if (!stop && settle(p) == Flow::Stop)
            stop = true;
    if (!read && !stop)
        tellFailure(core::msg::MajorFailure());
    std::int64_t types = read && !stop ? 0 : -1;
    for (std::size_t k = 0; k < kSubBucketCount && types >= 0; ++k) {
        const std::int64_t t =
            gatherFile(pieces[k], base + static_cast<char>(95 + k), depth + 1, count);
        types = t < 0 ? -1 : types + t;
        removeFile(pieces[k]);
    }
    for (BucketFile& p : pieces)
        removeFile(p);
    return types;
}

// The table's spellings grouped by letter: entries of a..z one after the other, letter n from
// starts[n - 1] to starts[n].
std::vector<WordEntry>
CountRun::entriesByLetter(std::array<std::size_t, kLetterRecords + 1>& starts) {
    m_table.freeze();
    const std::string& arena = m_table.arena();
    auto letterOf = [&arena](const WordEntry& e) {
        return static_cast<std::size_t>(BucketOfFirst(static_cast<unsigned char>(arena[e.offset])));
    };
    starts.fill(0);
    m_table.forEachEntry([&](const WordEntry& e) { ++starts[letterOf(e)]; });
    for (std::size_t n = 1; n <= kLetterRecords; ++n)
        starts[n] += starts[n - 1];
    std::vector<WordEntry> entries(m_table.size());
    std::array<std::size_t, kLetterRecords + 1> at = starts;
    m_table.forEachEntry([&](const WordEntry& e) { entries[at[letterOf(e) - 1]++] = e; });
    return entries;
}

Flow CountRun::gather(std::int64_t& types) {
    m_indexBuffer.assign(kLetterRecords * kIndexRecordSize, '\0');
    m_listBuffer = std::string(kCountHeader) + "\r\n";
    m_listBytes = static_cast<std::int64_t>(m_listBuffer.size());
    std::array<CountIndexRecord, kLetterRecords> letters{};
    std::array<std::size_t, kLetterRecords + 1> starts{};
    std::vector<WordEntry> entries;
    if (m_spilled) {
        // what the table still holds joins the rest on disk
        if (spill() == Flow::Stop)
            return Flow::Stop;
        m_table.clear(true);
        for (BucketFile& b : m_buckets)
            if (settle(b) == Flow::Stop)
                return Flow::Stop;
    } else {
        entries = entriesByLetter(starts);
        for (std::size_t n = 0; n < kLetterRecords; ++n)
            for (std::size_t e = starts[n]; e < starts[n + 1]; ++e)
                m_buckets[n].words += entries[e].count;
        m_table.releaseSlots();
    }
    types = 0;
    for (int n = 1; n <= kLetterRecords; ++n) {
        BucketFile& bucket = m_buckets[static_cast<std::size_t>(n - 1)];
        CountProgress progress;
        progress.phase = CountProgress::Phase::Gather;
        progress.letter = n;
        progress.bucketText = std::string(1, static_cast<char>(96 + n)) + ".tmp (" +
                              std::to_string(bucket.words) + " words)";
        progress.fraction =
            m_tokens ? static_cast<double>(m_processed) / static_cast<double>(m_tokens) : 1.0;
        report(progress, true);
        if (pollCommands() == Flow::Stop)
            return Flow::Stop;
        const std::int64_t position = m_listBytes + 1;
        const std::string base = std::string("~") + static_cast<char>(96 + n);
        const auto letter = static_cast<std::size_t>(n - 1);
        const std::int64_t t =
            m_spilled ? gatherFile(bucket, base, 1, -1)
                      : gatherPiece({m_table.arena(),
                                     std::span<WordEntry>(entries).subspan(
                                         starts[letter], starts[letter + 1] - starts[letter]),
                                     bucket.words},
                                    base, 1, -1);
        if (t < 0)
            return Flow::Stop;
        types += t;
        letters[letter] = {static_cast<std::int32_t>(position), static_cast<std::int32_t>(t)};
        removeFile(bucket);
    }
    if (!writeOut(m_list, m_listBuffer, true) || !writeOut(m_index, m_indexBuffer, true))
        return Flow::Stop;
    std::string table;
    for (const CountIndexRecord& r : letters)
        AppendIndexRecord(table, r);
    if (::pwrite(m_index.get(), table.data(), table.size(), 0) ==
        static_cast<ssize_t>(table.size()))
        return Flow::Go;
    m_writeError = errno;
    return Flow::Stop;
}

// (2) the name of the pair: French ligatures written out, then settled with the user.
std::optional<std::string> CountRun::settleListName(const std::string& proposed) {
    std::string name = proposed;
    if (m_state.LanguageIndex == static_cast<int>(LanguageId::French)) {
        std::string replaced;
        for (char c : name) {
            if (c == '\x9C')
                replaced += "oe";
            else if (c == '\x8C')
                replaced += "OE";
            else
                replaced += c;
        }
        name = replaced;
    }
    return ChooseListName(m_state, name, m_prompter, m_hooks.askText, &m_replace);
}

// (4) scatter: every source in turn; how the run ends when it cannot go on.
std::optional<CountOutcome> CountRun::scatterAll(const std::vector<std::string>& sources) {
    const int total = static_cast<int>(sources.size());
    std::vector<std::string> paths;
    paths.reserve(sources.size());
    for (const std::string& name : sources)
        paths.push_back(
            (!name.empty() && name[0] == '/') ? name : JoinPath(m_state.SourceDirectory, name));
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

CountResult CountRun::run(const std::vector<std::string>& sources, const std::string& proposed) {
    const std::optional<std::string> settled = settleListName(proposed);
    if (!settled)
        return fail(CountOutcome::NotStarted);
    const std::string listPath = ListPathFor(m_state, *settled);
    const std::string indexPath = IndexPathOf(listPath);

    // (3) the words are counted in memory; bucket files appear only if they outgrow it
    m_start = Clock::now();
    m_tokens = 0;
    if (const auto ended = scatterAll(sources))
        return fail(*ended);
    const std::int64_t files =
        std::max<std::int64_t>(static_cast<std::int64_t>(sources.size()),
                               static_cast<std::int64_t>(m_state.SourceFilesSaved.size())) -
        m_unreadFiles;
    if (!fitsHeader(files))
        return fail(CountOutcome::Failed);

    // (5) gather into the pair
    if (!openTemporaryPair(listPath, indexPath))
        return fail(CountOutcome::Failed);
    std::int64_t types = 0;
    if (gather(types) == Flow::Stop)
        return fail(gatherFailure());
    if (!completePair(FillCountHeader(m_tokens, types, files), listPath, indexPath))
        return fail(CountOutcome::Failed);

    // (6) the buckets go, (7) the result
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

CountResult CountWords(ProgramState& state, const std::vector<std::string>& sourceFiles,
                       const std::string& listName, Prompter& prompter, const CountHooks& hooks) {
    CountRun run(state, prompter, hooks);
    CountResult result = run.run(sourceFiles, listName);
    if (result.outcome == CountOutcome::Completed) {
        state.TokenCount = result.tokens;
        state.TypeCount = result.types;
    }
    return result;
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
