// The corpus counted on a thread of its own while the caller works: whichever thread counts
// which file (the caller alone, the thread alone, both, the thread giving its files back when
// its table fills or its token bound is near), the counts and the notes are those of one pass
// over the files in order; a stop mid-run and a pause leave no thread behind and change nothing.
#include "analysis/corpus_counter.h"

#include "analysis/collocates.h"
#include "codes/code_tables.h"
#include "core/os_calls.h"
#include "core/prompter.h"
#include "support/english_state.h"
#include "support/saved_search.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
#include <thread>

namespace lexmora {
namespace {

// The threads of this process.
std::size_t threadCount() {
    std::size_t count = 0;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.' ? 1 : 0;
        ::closedir(dir);
    }
    return count;
}

class CorpusCounterFiles : public ::testing::Test {
protected:
    void SetUp() override {
        files = {
            // 9 tokens: the line-end hyphen before a capital stays, the lines join
            dir.write("a.txt", "The cat sat on the mat. THE END-\r\nOF IT"),
            dir.path() + "/missing.txt",
            // 5 tokens: numbers are tokens, "cat's" is one word, x and y are no English words
            dir.write("b.txt", "the 2nd cat's 42 dogs, x y"),
            dir.write("c.bin", std::string("the\0cat the cat", 15)), // binary: passed over
            dir.makeFolder("folder"),                                // no file: a note
            dir.write("d.txt", ""),
            dir.write("e.txt", std::string("\xFF\xFEt\0h\0e\0 \0C\0a\0t\0", 16)), // UTF-16: 2
            dir.write("f.txt", "\xEF\xBB\xBF"
                               "Caf\xC3\xA9 the caf\xC3\xA9"), // UTF-8: 3
            // 3 tokens of a word longer than a table slot holds
            dir.write("g/h.txt", "Extraordinary extraordinary EXTRAORDINARY"),
        };
        for (const char* word : {"the", "cat", "end-of", "it", "cat's", "2nd", "42", "dogs",
                                 "caf\xE9", "extraordinary", "absent"})
            wanted.idOf(word);
    }

    void expectOnePass(const Result<CorpusCounts>& counts) {
        ASSERT_TRUE(counts.ok()) << counts.error().text;
        EXPECT_EQ(counts->tokens, 9 + 5 + 2 + 3 + 3);
        EXPECT_EQ(counts->freq, (std::vector<std::int64_t>{6, 2, 1, 1, 1, 1, 1, 1, 2, 3, 0}));
        EXPECT_EQ(
            counts->notes,
            (std::vector<std::string>{
                "Cannot read the corpus file " + files[1] + "\r\nNo such file or directory",
                "Cannot read the corpus file " + files[4] + "\r\nNo such file or directory"}));
    }

    test::TempDir dir;
    std::vector<std::string> files;
    Vocabulary wanted;
    ProgramState state = test::EnglishState();
};

TEST_F(CorpusCounterFiles, EveryShareOfTheFilesCountsAsOnePass) {
    struct Case {
        const char* name;
        CorpusCounterLimits limits;
        bool thread;
        bool threadCountsAll; // waited for before finish()
    };
    const Case cases[] = {
        {"the calling thread alone", {}, false, false},
        {"the thread alone", {}, true, true},
        {"both threads", {}, true, false},
        // no room for the long word of the last file: the thread fails there, and gives
        // every file it took back
        {"the thread's table full", {1, UINT32_MAX}, true, true},
        // the files before g/h.txt fit under the bound, g/h.txt would pass it: given back
        {"the thread's token bound", {std::size_t{32} << 20, 50}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        struct Restore {
            ~Restore() { resetOsCalls(); }
        } restore;
        if (!c.thread)
            osCalls().threadAvailable = [] { return false; };
        CorpusCounter counter(state, files, c.limits);
        EXPECT_EQ(counter.start(), c.thread);
        if (c.threadCountsAll)
            counter.waitForThread();
        expectOnePass(counter.finish(wanted, nullptr));
    }
}

TEST_F(CorpusCounterFiles, ACorpusWithoutATokenFails) {
    CorpusCounter counter(state, {files[1], files[3], files[5]});
    counter.start();
    const auto counts = counter.finish(wanted, nullptr);
    ASSERT_FALSE(counts.ok());
    EXPECT_EQ(counts.code(), FailureCode::InvalidInput);
}

// A host that asks for what a click would set, at a given yield or wait.
struct ScriptedHost : RunHost {
    int yields = 0, waits = 0;
    int exitAtYield = 0, pauseAtYield = 0, unpauseAtWait = 0;
    void yield(ProgramState& state) override {
        ++yields;
        if (yields == exitAtYield)
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
        if (yields == pauseAtYield)
            state.PauseFlag = true;
    }
    void waitForEvents(ProgramState& state, std::chrono::milliseconds) override {
        ++waits;
        if (waits == unpauseAtWait)
            state.PauseFlag = false;
    }
};

class CollocatesOverACorpus : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("src/a.txt", "the cat sat on the mat the cat ran");
        request.resultPath = test::SearchAndSave(dir.path() + "/src/", {"a.txt"}, "cat",
                                                 dir.makeFolder("out") + "/", 20);
        request.state = &state;
        request.left = request.right = 1;
        request.minFreq = request.minCollFreq = 1;
        // more files than a stop lets either thread finish
        for (int i = 0; i < 60; ++i)
            request.corpusFiles.push_back(dir.write("corpus/" + std::to_string(i) + ".txt",
                                                    "the cat sat on the mat. The Cat ran"));
    }

    Result<CollocatesResult> runWith(ScriptedHost& host) {
        ProgramState run = state;
        SilentPrompter prompter;
        RunControl control(run, host, prompter, Message{});
        return ComputeCollocates(request, &control);
    }

    test::TempDir dir;
    ProgramState state = test::EnglishState();
    CollocatesRequest request;
};

TEST_F(CollocatesOverACorpus, AStopMidRunLeavesNoThreadBehind) {
    // A runtime may start a helper thread of its own at the first thread the process makes
    // (ThreadSanitizer does, and keeps it): made here, it is in the count before.
    std::thread([] {}).join();
    // The walk polls once (one source file), the corpus count before each file it takes. Only
    // those two polls are sure to come: the counter's thread may take every file before this
    // one takes a second (it did, on a loaded machine).
    for (const int exitAt : {1, 2}) {
        SCOPED_TRACE(exitAt);
        const std::size_t before = threadCount();
        ScriptedHost host;
        host.exitAtYield = exitAt;
        const auto result = runWith(host);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.code(), FailureCode::Cancelled);
        EXPECT_EQ(threadCount(), before);
    }
}

TEST_F(CollocatesOverACorpus, APauseHoldsTheCountAndChangesNothing) {
    ScriptedHost plain;
    const auto unpaused = runWith(plain);
    ASSERT_TRUE(unpaused.ok()) << unpaused.error().text;
    EXPECT_EQ(unpaused->corpusTokens, 60 * 9);
    for (const int pauseAt : {1, 2}) { // the polls sure to come (see above)
        SCOPED_TRACE(pauseAt);
        ScriptedHost host;
        host.pauseAtYield = pauseAt;
        host.unpauseAtWait = 2;
        const auto paused = runWith(host);
        ASSERT_TRUE(paused.ok()) << paused.error().text;
        EXPECT_EQ(host.waits, 2);
        EXPECT_EQ(paused->corpusTokens, unpaused->corpusTokens);
        EXPECT_EQ(paused->table.rows, unpaused->table.rows);
    }
}

} // namespace
} // namespace lexmora
