#include "wordcount/scatter_worker.h"

#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/quiet_thread.h"
#include "wordcount/count_source.h"

namespace lexmora {

void ScatterWorker::start() {
    m_thread = StartQuietThread([this] { run(); });
}

void ScatterWorker::run() {
    try {
        for (std::size_t i = 0; i < m_paths.size(); ++i)
            if (!scatterFile(m_paths[i]))
                return;
    } catch (...) {
        {
            const std::lock_guard lock(m_mutex);
            m_failure = std::current_exception();
        }
        m_toCaller.notify_one();
    }
}

ScatterBatch* ScatterWorker::acquire(ScatterBatch::Kind kind, std::uint64_t polls) {
    {
        std::unique_lock lock(m_mutex);
        m_toWorker.wait(lock, [&] {
            return m_stop || (m_published - m_released < kSlots && m_readOns >= polls);
        });
        if (m_stop)
            return nullptr;
    }
    ScatterBatch& b = m_slots[m_published % kSlots];
    b.kind = kind;
    b.wordCount = 0;
    b.arena.clear();
    b.finishAt = 0;
    b.eof = b.readFailed = false;
    b.error = 0;
    b.consumed = b.size = 0;
    return &b;
}

bool ScatterWorker::scatterFile(const std::string& path) {
    while (!isRegularFile(path)) {
        if (acquire(ScatterBatch::Kind::Missing) == nullptr)
            return false;
        publish();
        const std::optional<Reply> reply = awaitReply();
        if (!reply)
            return false;
        if (*reply == Reply::Skip)
            return true;
    }
    ScatterBatch* b = acquire(ScatterBatch::Kind::Text);
    if (b == nullptr)
        return false;
    if (HasInvalidExtension(path, m_invalidExtensions)) {
        b->kind = ScatterBatch::Kind::Skipped;
        publish();
        return true;
    }
    SourceReader reader;
    int error = 0;
    const SourceReader::Kind kind =
        reader.open(path, error) ? reader.probe(error) : SourceReader::Kind::Unreadable;
    if (kind != SourceReader::Kind::Text) {
        b->kind = kind == SourceReader::Kind::Unreadable ? ScatterBatch::Kind::Unreadable
                                                         : ScatterBatch::Kind::Skipped;
        b->error = error;
        publish();
        return true;
    }
    BatchSink sink;
    WordCutter<BatchSink> cutter(m_rules, sink);
    std::string carry;
    std::string_view separator;
    // the polls of the files before: one for each of their blocks but the last
    const std::uint64_t polledBefore = m_notLast;
    for (std::uint64_t number = 1;; ++number) {
        const bool first = number == 1;
        std::string& block = b->text;
        SourceReader::reserveTail(block, 0, carry.size());
        std::memcpy(block.data(), carry.data(), carry.size());
        std::size_t end = 0;
        const long got = reader.next(block, carry.size(), end, error);
        // A read error ends the file as its end would: the words read so far stand.
        b->readFailed = got < 0;
        b->eof = got <= 0;
        if (first)
            separator = detectSeparator(std::string_view(block.data(), end));
        const std::size_t ready = joinHyphens(block.data(), end, separator, b->eof, carry);
        if (block.size() < ready + kCutterSlack)
            block.resize(ready + kCutterSlack); // not by feed(), under the sink's words
        sink.start(b, ready);
        cutter.feed(block, ready);
        sink.end();
        b->prepareWords(0);
        b->finishAt = b->wordCount;
        b->error = error;
        b->consumed = reader.consumed();
        b->size = reader.size();
        if (b->eof) {
            cutter.finish();
            sink.end();
            b->prepareWords(b->finishAt);
            publish();
            return true;
        }
        publish();
        ++m_notLast;
        b = acquire(ScatterBatch::Kind::Text,
                    polledBefore + std::max(number + 1, kReadAhead + 1) - kReadAhead);
        if (b == nullptr)
            return false;
    }
}

} // namespace lexmora
