#include "analysis/corpus_counter.h"

#include "analysis/messages.h"
#include "analysis/source_bytes.h"
#include "core/file_io.h"
#include "core/quiet_thread.h"
#include "wordcount/count_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <system_error>

namespace lexmora {

void FoldSpelling(std::string_view word, std::string& out) {
    out.resize(word.size());
    for (std::size_t k = 0; k < word.size(); ++k)
        out[k] = static_cast<char>(LowerCp1252(static_cast<unsigned char>(word[k])));
}

namespace {

// True for a token: a word whose first character the count files under a letter, a digit or
// the ligature.
bool isToken(std::string_view word) {
    return BucketOfFirst(static_cast<unsigned char>(word[0])) != 0;
}

// Counts the tokens of a text and the words of a vocabulary among them.
class VocabularySink {
public:
    VocabularySink(const Vocabulary& vocabulary, CorpusCounts& counts)
        : m_vocabulary(vocabulary), m_counts(counts) {}
    void operator()(std::string_view word) {
        if (!isToken(word))
            return;
        ++m_counts.tokens;
        FoldSpelling(word, m_folded);
        if (const auto id = m_vocabulary.find(m_folded))
            ++m_counts.freq[*id];
    }

private:
    const Vocabulary& m_vocabulary;
    CorpusCounts& m_counts;
    std::string m_folded;
};

// Counts every token's spelling in a table, a batch of words at a time: a word's slot is asked
// for as it is queued and counted once the batch is full, so that the slots of rare words, far
// apart in a large table, come from memory together and not one after another.
class SpellingSink {
public:
    explicit SpellingSink(WordTable& table) : m_table(table), m_slots(table.prefetcher()) {}

    // A view of the text being cut, which stays where it is until flush().
    void operator()(std::string_view word) {
        if (!isToken(word) || m_full)
            return;
        ++m_tokens;
        Queued& q = m_queue[m_queued++];
        q.data = word.data();
        q.length = word.size();
        if (q.length <= WordTable::kShortWord) {
            // the text has room to read 8 bytes from any word in it
            q.key = WordTable::keyOfPadded(q.data, q.length);
            q.hash = WordTable::hashOfKey(q.key);
        } else {
            q.hash = WordTable::hashOfLong(q.data, q.length);
        }
        m_slots.prefetch(q.hash);
        if (m_queued == kBatch)
            flush();
    }
    // A word the cutter put together in a buffer of its own: counted at once.
    void copied(std::string_view word) {
        if (!isToken(word) || m_full)
            return;
        ++m_tokens;
        m_full = !m_table.add(word);
        m_slots = m_table.prefetcher(); // the table may have grown
    }
    void flush() {
        for (std::size_t i = 0; i < m_queued && !m_full; ++i) {
            const Queued& q = m_queue[i];
            m_full = q.length <= WordTable::kShortWord
                         ? !m_table.addShort(q.key, q.length, q.hash, 1)
                         : !m_table.addLong({q.data, q.length}, q.hash, 1);
        }
        m_queued = 0;
        m_slots = m_table.prefetcher();
    }

    std::int64_t tokens() const { return m_tokens; }
    // A new spelling found the table at its budget: the counts are incomplete.
    bool full() const { return m_full; }

private:
    static constexpr std::size_t kBatch = 64;
    using Queued = QueuedWord;

    WordTable& m_table;
    WordTable::Prefetcher m_slots;
    std::array<Queued, kBatch> m_queue{};
    std::size_t m_queued = 0;
    std::int64_t m_tokens = 0;
    bool m_full = false;
};

// True for a file the word count passes over: empty, or NUL bytes near its start.
bool countSkips(std::string_view bytes) {
    if (bytes.empty())
        return true;
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return false;
    const std::size_t probe = std::min(kBinaryProbe, bytes.size() > 1 ? bytes.size() - 1 : 1);
    return bytes.substr(0, probe).find('\0') != std::string_view::npos;
}

// Corpus files read as the word count reads them, into room kept from file to file: fresh
// pages for every file would cost more than the reading.
class CorpusFileReader {
public:
    enum class Read { Text, Skipped, Unreadable };

    // The file's text, its lines joined at line-end hyphens (text()); Skipped for a file the
    // count passes over; Unreadable with its note.
    Read read(const std::string& path) {
        errno = 0;
        if (!readWhole(path)) {
            m_note = analysis::msg::CorpusFileUnreadable(path, errno ? errno : ENOENT).text;
            return Read::Unreadable;
        }
        const std::string_view bytes(m_room.data(), m_size);
        if (countSkips(bytes))
            return Read::Skipped;
        const std::string_view text = SourceTextIn(bytes, m_converted);
        m_text = text.data() == m_room.data() ? &m_room : &m_converted;
        std::string carry;
        m_textSize = joinHyphens(m_text->data(), text.size(), detectSeparator(text), true, carry);
        return Read::Text;
    }
    // The text read, with room past it that the cutter may use.
    std::string& text() { return *m_text; }
    std::size_t textSize() const { return m_textSize; }
    std::string takeNote() { return std::move(m_note); }

private:
    // Every byte up to the end, as readFileBytes reads them; false as it fails.
    bool readWhole(const std::string& path) {
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!fd.valid())
            return false;
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode))
            return false;
        const auto expected = static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
        if (m_room.size() < expected + kCutterSlack + 1)
            m_room.resize(expected + expected / 4 + kCutterSlack + 1);
        m_size = 0;
        for (;;) {
            if (m_room.size() - m_size <= kCutterSlack)
                m_room.resize(m_room.size() * 2);
            const ssize_t got =
                ::read(fd.get(), m_room.data() + m_size, m_room.size() - kCutterSlack - m_size);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            m_size += static_cast<std::size_t>(got);
        }
    }

    std::string m_room; // the bytes read, then room
    std::size_t m_size = 0;
    std::string m_converted;
    std::string* m_text = &m_room;
    std::size_t m_textSize = 0;
    std::string m_note;
};

template <typename Sink>
void cutText(const WordRules& rules, CorpusFileReader& reader, Sink& sink) {
    WordCutter<Sink> cutter(rules, sink);
    cutter.feed(reader.text(), reader.textSize());
    cutter.finish();
}

} // namespace

CorpusCounter::CorpusCounter(const ProgramState& state, std::vector<std::string> files,
                             CorpusCounterLimits limits)
    : m_rules(MakeWordRules(state)), m_files(std::move(files)), m_limits(limits) {
    // The thread notes what it takes without allocating, so that a failure never loses a file.
    m_share.taken.reserve(m_files.size());
    m_share.givenBack.reserve(1);
}

bool CorpusCounter::start() {
    if (m_thread.joinable() || m_files.empty())
        return false;
    try {
        m_thread = StartQuietThread([this] { countOnThread(); });
    } catch (const std::system_error&) {
        return false; // the calling thread counts every file in finish()
    }
    return true;
}

void CorpusCounter::hold() {
    const std::lock_guard lock(m_mutex);
    m_held = true;
}

void CorpusCounter::release() {
    {
        const std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_gate.notify_all();
}

void CorpusCounter::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_gate.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool CorpusCounter::waitWhileHeld() {
    if (m_held.load()) {
        std::unique_lock lock(m_mutex);
        m_gate.wait(lock, [this] { return !m_held.load() || m_stop.load(); });
    }
    return !m_stop.load();
}

void CorpusCounter::countOnThread() {
    const CaughtFailure caught = RunCatching([this] { countTakenFiles(); });
    ThreadShare& share = m_share;
    if (!caught.thrown && !share.failed)
        return;
    // Nothing of a failed share counts: the calling thread counts all it took.
    share.failed = true;
    share.givenBack.swap(share.taken);
    share.table.clear(true);
    share.tokens = 0;
    share.notes.clear();
}

void CorpusCounter::countTakenFiles() {
    ThreadShare& share = m_share;
    SpellingSink sink(share.table);
    CorpusFileReader reader;
    while (waitWhileHeld()) {
        const std::size_t i = m_next.fetch_add(1);
        if (i >= m_files.size())
            return;
        share.taken.push_back(i);
        const CorpusFileReader::Read read = reader.read(m_files[i]);
        if (read == CorpusFileReader::Read::Unreadable) {
            share.notes.emplace_back(i, reader.takeNote());
            continue;
        }
        if (read == CorpusFileReader::Read::Skipped)
            continue;
        // a token is at least a byte of the text
        if (static_cast<std::uint64_t>(share.tokens) + reader.textSize() > m_limits.threadTokens) {
            share.givenBack.push_back(i);
            return;
        }
        cutText(m_rules, reader, sink);
        sink.flush(); // before the text goes
        share.tokens = sink.tokens();
        if (sink.full()) {
            share.failed = true;
            return;
        }
    }
}

bool CorpusCounter::pollGoes(RunControl* control) {
    if (control && control->poll() == RunStep::Stop)
        return false;
    resume(); // a pause in the poll held the thread
    return true;
}

void CorpusCounter::addThreadShare(const Vocabulary& wanted, CorpusCounts& counts,
                                   Notes& notes) const {
    counts.tokens += m_share.tokens;
    std::string folded;
    m_share.table.forEachWord([&](std::string_view spelling, std::uint32_t count) {
        FoldSpelling(spelling, folded);
        if (const auto id = wanted.find(folded))
            counts.freq[*id] += count;
    });
    notes.insert(notes.end(), m_share.notes.begin(), m_share.notes.end());
}

Result<CorpusCounts> CorpusCounter::finish(const Vocabulary& wanted, RunControl* control) {
    std::optional<ExtraPauseTick> pausing;
    if (control)
        pausing.emplace(*control, [this] { hold(); });
    resume();
    CorpusCounts counts;
    counts.freq.assign(wanted.size(), 0);
    Notes notes;
    VocabularySink sink(wanted, counts);
    CorpusFileReader reader;
    const auto countFile = [&](std::size_t i) {
        const CorpusFileReader::Read read = reader.read(m_files[i]);
        if (read == CorpusFileReader::Read::Unreadable)
            notes.emplace_back(i, reader.takeNote());
        else if (read == CorpusFileReader::Read::Text)
            cutText(m_rules, reader, sink);
    };
    for (;;) {
        if (!pollGoes(control)) {
            stop();
            return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
        }
        const std::size_t i = m_next.fetch_add(1);
        if (i >= m_files.size())
            break;
        countFile(i);
    }
    waitForThread();
    for (const std::size_t i : m_share.givenBack) {
        if (!pollGoes(control))
            return Failure(analysis::msg::WalkStopped(), FailureCode::Cancelled);
        countFile(i);
    }
    if (!m_share.failed)
        addThreadShare(wanted, counts, notes);
    std::sort(notes.begin(), notes.end());
    for (auto& note : notes)
        counts.notes.push_back(std::move(note.second));
    if (counts.tokens == 0)
        return Failure(analysis::msg::CorpusEmpty(), FailureCode::InvalidInput);
    return counts;
}

} // namespace lexmora
