// The word count's run: the scatter of the source files' words into a table in memory (and into
// bucket files once it outgrows its budget), and the gather of each letter into the word list
// and its index. Its parts are defined in word_counter.cpp (the run from name to result),
// bucket_file.cpp (the buckets on disk) and count_gather.cpp (sorting, splitting and writing).
#pragma once

#include "core/program_state.h"
#include "core/progress_pace.h"
#include "core/prompter.h"
#include "core/run_control.h"
#include "wordcount/bucket_file.h"
#include "wordcount/messages.h"
#include "wordcount/scatter_worker.h"
#include "wordcount/word_counter.h"
#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lexmora::counting {

using Clock = std::chrono::steady_clock;

inline constexpr int kMaxSplitDepth = 200;        // file names stay far below the 255-byte limit
inline constexpr std::int64_t kPollEvery = 65536; // words split between two polls

// The letter's spellings in memory: entries whose bytes lie in `arena`; a word rewritten while
// splitting (œ to "oe") is appended to the arena.
struct Piece {
    std::string& arena;
    std::span<WordEntry> entries;
    std::int64_t count = 0; // occurrences
};

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

    CountResult run(const CountRequest& request);

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
    using Queued = QueuedWord;
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
    std::optional<CountOutcome> scatterAll(const std::vector<std::string>& paths);
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
    // The types of one piece of a letter, written to the list; nothing when the run stops
    // (a failure is told where it happens). Pieces are split by the next letter while they are
    // large, exactly as buckets on disk are.
    using Gathered = std::optional<std::int64_t>;
    Gathered gatherPiece(Piece piece, const std::string& base, int depth, std::int64_t parentCount);
    Gathered gatherFile(BucketFile& bucket, const std::string& base, int depth,
                        std::int64_t parentCount);
    Gathered splitFile(BucketFile& bucket, const std::string& base, int depth);
    Gathered loadAndGather(BucketFile& bucket, const std::string& base, int depth,
                           std::int64_t parentCount);
    bool isLeaf(const std::string& base, std::int64_t count, int depth,
                std::int64_t parentCount) const;
    bool takenUnread(const std::string& base, bool nonAscii) const;
    Gathered writeSorted(const std::string& arena, std::span<WordEntry> entries);
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
    ProgressPace m_pace;
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

} // namespace lexmora::counting
