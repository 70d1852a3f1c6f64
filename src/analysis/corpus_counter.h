// The files of a corpus counted by the word count's rules on a thread of their own while the
// caller does other work (the hit walk). The words wanted are not known then, so the thread
// counts every spelling; once they are, finish() counts the files the thread has not taken on
// the calling thread too, for those words only, and a word's frequency is the sum of the
// counts of its spellings, folded as the word list folds them.
#pragma once

#include "analysis/corpus_counts.h"
#include "analysis/vocabulary.h"
#include "core/program_state.h"
#include "core/result.h"
#include "core/run_control.h"
#include "wordcount/word_rules.h"
#include "wordcount/word_table.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace lexmora {

// A word folded as the word list folds it, byte by byte, into `out`.
void FoldSpelling(std::string_view word, std::string& out);

struct CorpusCounterLimits {
    // The bytes the thread's spellings may take. Past them it stops, and the files it took are
    // counted again on the calling thread: a corpus of millions of spellings costs time, never
    // more memory.
    std::size_t tableBytes = std::size_t{32} << 20;
    // The tokens the thread may count: below it no spelling's count can saturate its 32 bits.
    // A file that would pass it is left to the calling thread.
    std::uint64_t threadTokens = UINT32_MAX;
};

class CorpusCounter {
public:
    CorpusCounter(const ProgramState& state, std::vector<std::string> files,
                  CorpusCounterLimits limits = {});
    ~CorpusCounter() { stop(); }
    CorpusCounter(const CorpusCounter&) = delete;
    CorpusCounter& operator=(const CorpusCounter&) = delete;

    // Starts the thread (it takes no signal). False when none could be started: finish() then
    // counts every file.
    bool start();
    // While the run is paused: the thread ends the file it is on and waits until resume().
    void hold();
    void resume() {
        if (m_held.load(std::memory_order_relaxed))
            release();
    }
    // Counts the files the thread has not taken, for `wanted`'s words only, waits for the
    // thread and adds it all up: the counts and the notes (files left out, in the files' order)
    // of one pass over the files in order. `control` (may be null) is polled between files; a
    // stop fails with FailureCode::Cancelled; a corpus without a token fails too. Once only.
    Result<CorpusCounts> finish(const Vocabulary& wanted, RunControl* control);
    // Ends the thread after the file it is on and waits for it.
    void stop();
    // Waits until the thread has counted every file it will take (tests: all of them, for
    // finish() then has none left; never while held).
    void waitForThread() {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    using Notes = std::vector<std::pair<std::size_t, std::string>>; // by file index
    // What the thread counted: every token's spelling (no token dropped), and what it gives
    // back. Only the thread touches it until it is joined.
    struct ThreadShare {
        explicit ThreadShare(std::size_t tableBytes) : table(tableBytes) {}
        WordTable table;
        std::int64_t tokens = 0;
        Notes notes;
        std::vector<std::size_t> taken;     // the files it claimed, in order
        std::vector<std::size_t> givenBack; // for the calling thread to count
        bool failed = false;                // its counts are void: every file taken is given back
    };

    void countOnThread();
    void countTakenFiles();
    bool waitWhileHeld();
    void release();
    bool pollGoes(RunControl* control);
    void addThreadShare(const Vocabulary& wanted, CorpusCounts& counts, Notes& notes) const;

    const WordRules m_rules;
    const std::vector<std::string> m_files;
    const CorpusCounterLimits m_limits;
    std::atomic<std::size_t> m_next{0}; // the next file to claim, by either thread
    ThreadShare m_share{m_limits.tableBytes};

    std::mutex m_mutex;
    std::condition_variable m_gate; // held no more, or stopped
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread; // last: started once everything else is there
};

} // namespace lexmora
