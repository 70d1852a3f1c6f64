// The word count's scatter pass on two threads: a worker reads the sources and cuts their
// words, the calling thread counts them and does everything the user sees (progress, pause and
// exit, messages and questions) in file order, from what the worker hands over.
#pragma once

#include "wordcount/count_source.h"
#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lexmora {

// A word cut from a block: its bytes in the block's text, or in the batch's arena when the
// cutter put it together; and, worked out by the worker too, the key or hash that counting asks
// of its bytes, so that the counting thread reads no text but that of long words. Sixteen
// bytes, for the counting thread reads each from the other core's cache.
struct CutWord {
    std::uint64_t key;    // a short word's bytes (the table hashes them), a long word's hash
    std::uint32_t at;     // in the text, or in the arena
    std::uint32_t length; // with kInArena when the bytes are in the arena
};
constexpr std::uint32_t kInArena = 0x80000000u;

// One step of one source file, from the worker to the calling thread. Its buffers are allocated
// once for the run and keep their size.
struct ScatterBatch {
    enum class Kind {
        Missing,    // no such file: the worker waits for the answer to the question
        Skipped,    // an invalid extension, empty or binary
        Unreadable, // error: why
        Text,       // a block's words
        Failed,     // the reading side failed: why, in `text`
    };
    Kind kind = Kind::Text;
    std::string text;                 // the block read, the cutter's end mark past it
    std::string arena;                // copied words, each followed by kShortWord zero bytes
    std::unique_ptr<CutWord[]> words; // wordCount of them, room for wordRoom
    std::size_t wordCount = 0;
    std::size_t wordRoom = 0;
    std::size_t finishAt = 0; // words from here on: those finish() recorded at the file's end
    bool eof = false;         // the file's last block
    bool readFailed = false;
    int error = 0;
    std::uint64_t consumed = 0; // of the file, after this block
    std::uint64_t size = 0;

    // Room for `more` words past those held.
    void reserveWords(std::size_t more) {
        if (wordCount + more <= wordRoom)
            return;
        const std::size_t room = std::max(wordCount + more, wordRoom * 2);
        auto grown = std::make_unique_for_overwrite<CutWord[]>(room);
        std::copy_n(words.get(), wordCount, grown.get());
        words = std::move(grown);
        wordRoom = room;
    }

    std::string_view word(const CutWord& w) const {
        const std::string& bytes = (w.length & kInArena) != 0 ? arena : text;
        return {bytes.data() + w.at, w.length & ~kInArena};
    }

    // The key of each short word, the hash of each long one, from `from` to wordCount.
    void prepareWords(std::size_t from) {
        for (std::size_t i = from; i < wordCount; ++i) {
            CutWord& w = words[i];
            const std::string_view bytes = word(w);
            const std::size_t n = bytes.size();
            // the block and the arena have room to read 8 bytes from any word in them
            w.key = n > WordTable::kShortWord ? WordTable::hashOfLong(bytes.data(), n)
                                              : WordTable::keyOfPadded(bytes.data(), n);
        }
    }
};

// The worker's sink: the words of the block being cut, as places in its batch. The words that
// stay in the block are disjoint pieces of it, so they are at most as many as its bytes: the
// room for them is made before the block is cut, and no word checks it.
struct BatchSink {
    ScatterBatch* batch = nullptr;
    const char* base = nullptr; // the block's text, which the cutter leaves where it is
    CutWord* out = nullptr;     // where the next word goes
    std::size_t blockBytes = 0; // of the block being cut

    void start(ScatterBatch* b, std::size_t bytes) {
        batch = b;
        blockBytes = bytes;
        batch->reserveWords(bytes + 1);
        base = batch->text.data();
        out = batch->words.get() + batch->wordCount;
    }
    // The words put in so far become the batch's.
    void end() { batch->wordCount = static_cast<std::size_t>(out - batch->words.get()); }
    // Only the place is written here; prepareWords() fills in the rest.
    void operator()(std::string_view word) {
        out->at = static_cast<std::uint32_t>(word.data() - base);
        out->length = static_cast<std::uint32_t>(word.size());
        ++out;
    }
    void copied(std::string_view word) {
        end();
        batch->reserveWords(blockBytes + 2);
        out = batch->words.get() + batch->wordCount;
        std::string& arena = batch->arena;
        out->at = static_cast<std::uint32_t>(arena.size());
        out->length = static_cast<std::uint32_t>(word.size()) | kInArena;
        ++out;
        arena.append(word);
        arena.append(WordTable::kShortWord, '\0'); // room for 8-byte reads
    }
};

// The reading and cutting of the sources, one batch at a time in file order. The worker's
// thread drives it, or the counting thread itself when no thread can be had.
class ScatterSource {
public:
    enum class Reply { Retry, Skip };

    ScatterSource(const WordRules& rules, const std::vector<std::string>& paths,
                  const std::string& invalidExtensions, const std::function<void()>& beforeBlock)
        : m_rules(rules), m_paths(paths), m_invalidExtensions(invalidExtensions),
          m_beforeBlock(beforeBlock) {}

    bool done() const { return m_file >= m_paths.size(); }
    // The blocks the counting thread must have polled before the next batch is read: within a
    // file it stays at most kReadAhead blocks ahead of the last poll.
    std::uint64_t pollsNeeded() const;
    // The next step into `b`, which is emptied and of kind Text; after a Missing one, answer()
    // tells what comes next.
    void fill(ScatterBatch& b);
    void answer(Reply reply);

    static constexpr std::uint64_t kReadAhead = 2;

private:
    void openFile(ScatterBatch& b);
    void readBlock(ScatterBatch& b);
    void endFile();

    const WordRules& m_rules;
    const std::vector<std::string>& m_paths;
    const std::string& m_invalidExtensions;
    const std::function<void()>& m_beforeBlock; // tests: a fault on the reading side
    std::size_t m_file = 0;
    std::optional<SourceReader> m_reader; // the file being read, past its first block
    BatchSink m_sink;
    std::optional<WordCutter<BatchSink>> m_cutter;
    std::string m_carry;
    std::string_view m_separator;
    std::uint64_t m_number = 0;       // blocks of the file handed over
    std::uint64_t m_notLast = 0;      // blocks handed over that are not their file's last
    std::uint64_t m_polledBefore = 0; // the polls of the files before the current one
};

// Reads and cuts the sources in order on a thread of its own, a few blocks ahead of the
// counting. Within a file it reads past the first block only once the calling thread has taken
// it and polled pause and exit, and then stays at most kReadAhead blocks ahead of the last
// poll: a pause stops the reading at once, and a file that changes while the user sees its
// first block is read as it is then. It never talks to the user: a missing file is handed over
// as a question whose answer it waits for. When no thread can be started the calling thread
// reads each batch itself as it asks for it; nothing else changes. Nothing is thrown: a failure
// of the reading side (out of memory) is handed over as a batch of kind Failed.
class ScatterWorker {
public:
    using Reply = ScatterSource::Reply;

    ScatterWorker(const WordRules& rules, std::vector<std::string> paths,
                  std::string invalidExtensions, std::function<void()> beforeBlock = {})
        : m_paths(std::move(paths)), m_invalidExtensions(std::move(invalidExtensions)),
          m_beforeBlock(std::move(beforeBlock)),
          m_source(rules, m_paths, m_invalidExtensions, m_beforeBlock) {}
    ScatterWorker(const ScatterWorker&) = delete;
    ScatterWorker& operator=(const ScatterWorker&) = delete;
    ~ScatterWorker() { stop(); }

    // The worker takes no signal: a stop signal reaches the thread that polls for it. False
    // when no thread could be started: the batches are then read on the calling thread.
    bool start();

    // The next batch in file order, waited for; the caller's until release(). Once the reading
    // side has failed, after the batches before the failure: a batch of kind Failed.
    ScatterBatch& next();
    void release() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_released;
        }
        m_toWorker.notify_one();
    }
    // After a block that is not its file's last, once pause and exit are polled: the worker
    // may read the file's next block.
    void readOn() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_readOns;
        }
        m_toWorker.notify_one();
    }
    void answer(Reply reply);
    // Ends the worker wherever it is and waits for it.
    void stop() {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_toWorker.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    static constexpr std::uint64_t kSlots = 4;

    void run();
    // A free batch to fill, emptied, once the caller has polled `polls` blocks in all. Null
    // once the run stops.
    ScatterBatch* acquire(std::uint64_t polls);
    void publish() {
        {
            const std::lock_guard lock(m_mutex);
            ++m_published;
        }
        m_toCaller.notify_one();
    }
    std::optional<Reply> awaitReply() {
        std::unique_lock lock(m_mutex);
        m_toWorker.wait(lock, [this] { return m_stop || m_reply; });
        if (m_stop)
            return std::nullopt;
        return std::exchange(m_reply, std::nullopt);
    }
    ScatterBatch& failed(std::string why);

    const std::vector<std::string> m_paths;
    const std::string m_invalidExtensions;
    const std::function<void()> m_beforeBlock;
    ScatterSource m_source;
    std::array<ScatterBatch, kSlots> m_slots;
    ScatterBatch m_failedBatch; // kind Failed, the reason in `text`
    bool m_inline = false;      // no thread: the caller reads

    std::mutex m_mutex;
    std::condition_variable m_toWorker; // a batch released, leave to read on, an answer, stop
    std::condition_variable m_toCaller; // a batch published, a failure
    std::uint64_t m_published = 0;      // batches handed over, taken, released since the start
    std::uint64_t m_taken = 0;
    std::uint64_t m_released = 0;
    std::uint64_t m_readOns = 0; // blocks polled
    std::optional<Reply> m_reply;
    std::optional<std::string> m_failure; // why the reading side failed
    bool m_stop = false;
    std::thread m_thread; // last: started once everything else is there
};

} // namespace lexmora
