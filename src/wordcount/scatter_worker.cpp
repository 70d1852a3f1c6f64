#include "wordcount/scatter_worker.h"

#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/quiet_thread.h"

#include <new>
#include <system_error>

namespace lexmora {

// ---------------------------------------------------------------------------------------------
// The reading side

std::uint64_t ScatterSource::pollsNeeded() const {
    if (!m_reader)
        return 0; // a file's first block, a question, a skipped file
    return m_polledBefore + std::max(m_number + 1, kReadAhead + 1) - kReadAhead;
}

void ScatterSource::answer(Reply reply) {
    if (reply == Reply::Skip)
        ++m_file;
}

void ScatterSource::fill(ScatterBatch& b) {
    if (m_reader)
        readBlock(b);
    else
        openFile(b);
}

void ScatterSource::openFile(ScatterBatch& b) {
    const std::string& path = m_paths[m_file];
    if (!isRegularFile(path)) {
        b.kind = ScatterBatch::Kind::Missing; // the file stays current until answered
        return;
    }
    if (HasInvalidExtension(path, m_invalidExtensions)) {
        b.kind = ScatterBatch::Kind::Skipped;
        ++m_file;
        return;
    }
    SourceReader& reader = m_reader.emplace();
    int error = 0;
    const SourceReader::Kind kind =
        reader.open(path, error) ? reader.probe(error) : SourceReader::Kind::Unreadable;
    if (kind != SourceReader::Kind::Text) {
        b.kind = kind == SourceReader::Kind::Unreadable ? ScatterBatch::Kind::Unreadable
                                                        : ScatterBatch::Kind::Skipped;
        b.error = error;
        endFile();
        return;
    }
    m_cutter.emplace(m_rules, m_sink);
    m_carry.clear();
    m_number = 0;
    m_polledBefore = m_notLast; // one poll for each block of the files before but their last
    readBlock(b);
}

void ScatterSource::readBlock(ScatterBatch& b) {
    if (m_beforeBlock)
        m_beforeBlock();
    SourceReader& reader = *m_reader;
    const bool first = ++m_number == 1;
    std::string& block = b.text;
    SourceReader::reserveTail(block, 0, m_carry.size());
    std::memcpy(block.data(), m_carry.data(), m_carry.size());
    std::size_t end = 0;
    int error = 0;
    const long got = reader.next(block, m_carry.size(), end, error);
    // A read error ends the file as its end would: the words read so far stand.
    b.readFailed = got < 0;
    b.eof = got <= 0;
    if (first)
        m_separator = detectSeparator(std::string_view(block.data(), end));
    const std::size_t ready = joinHyphens(block.data(), end, m_separator, b.eof, m_carry);
    if (block.size() < ready + kCutterSlack)
        block.resize(ready + kCutterSlack); // not by feed(), under the sink's words
    m_sink.start(&b, ready);
    m_cutter->feed(block, ready);
    m_sink.end();
    b.prepareWords(0);
    b.finishAt = b.wordCount;
    b.error = error;
    b.consumed = reader.consumed();
    b.size = reader.size();
    if (!b.eof) {
        ++m_notLast;
        return;
    }
    m_cutter->finish();
    m_sink.end();
    b.prepareWords(b.finishAt);
    endFile();
}

void ScatterSource::endFile() {
    m_cutter.reset();
    m_reader.reset();
    ++m_file;
}

// ---------------------------------------------------------------------------------------------
// The thread

namespace {

void emptyBatch(ScatterBatch& b) {
    b.kind = ScatterBatch::Kind::Text;
    b.wordCount = 0;
    b.arena.clear();
    b.finishAt = 0;
    b.eof = b.readFailed = false;
    b.error = 0;
    b.consumed = b.size = 0;
}

} // namespace

bool ScatterWorker::start() {
    try {
        m_thread = StartQuietThread([this] { run(); });
        return true;
    } catch (const std::system_error&) {
        m_inline = true;
        return false;
    }
}

ScatterBatch& ScatterWorker::failed(std::string why) {
    emptyBatch(m_failedBatch);
    m_failedBatch.kind = ScatterBatch::Kind::Failed;
    m_failedBatch.text = std::move(why);
    return m_failedBatch;
}

ScatterBatch& ScatterWorker::next() {
    if (m_inline) {
        if (m_failure || m_source.done())
            return failed(m_failure.value_or("no more files"));
        ScatterBatch& b = m_slots[m_taken++ % kSlots];
        emptyBatch(b);
        try {
            m_source.fill(b);
            return b;
        } catch (...) {
            m_failure = WhyThreadFailed(std::current_exception());
            return failed(*m_failure);
        }
    }
    std::unique_lock lock(m_mutex);
    m_toCaller.wait(lock, [this] { return m_published > m_taken || m_failure; });
    if (m_published == m_taken)
        return failed(*m_failure);
    return m_slots[m_taken++ % kSlots];
}

void ScatterWorker::answer(Reply reply) {
    if (m_inline) {
        m_source.answer(reply);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_reply = reply;
    }
    m_toWorker.notify_one();
}

void ScatterWorker::run() {
    CaughtFailure caught = RunCatching([&] {
        while (!m_source.done()) {
            ScatterBatch* b = acquire(m_source.pollsNeeded());
            if (b == nullptr)
                return;
            m_source.fill(*b);
            const bool question = b->kind == ScatterBatch::Kind::Missing;
            publish();
            if (!question)
                continue;
            const std::optional<Reply> reply = awaitReply();
            if (!reply)
                return;
            m_source.answer(*reply);
        }
    });
    if (!caught.thrown)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_failure = std::move(caught.why);
    }
    m_toCaller.notify_one();
}

ScatterBatch* ScatterWorker::acquire(std::uint64_t polls) {
    {
        std::unique_lock lock(m_mutex);
        m_toWorker.wait(lock, [&] {
            return m_stop || (m_published - m_released < kSlots && m_readOns >= polls);
        });
        if (m_stop)
            return nullptr;
    }
    ScatterBatch& b = m_slots[m_published % kSlots];
    emptyBatch(b);
    return &b;
}

} // namespace lexmora
