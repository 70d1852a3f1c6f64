// The count under faults: two runs that save under one name, a reading thread that cannot start
// or fails mid-count, a bucket that cannot be read back, a disk that fills while the table
// spills. Every run ends with a whole pair or one message saying why it has none, and leaves
// no temporary file.
#include "wordcount/word_counter.h"

#include "core/os_calls.h"
#include "count_fixture.h"
#include "support/test_support.h"
#include "wordcount/messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <latch>
#include <new>
#include <thread>

namespace lexmora {
namespace {

using test::folderEntries;
using test::readFile;

// A distinct all-letter word for each number ("ba", "ca", ..., "bba", ...).
std::string wordFor(int n) {
    std::string word;
    do {
        word += static_cast<char>('a' + n % 26);
        n /= 26;
    } while (n > 0);
    return "q" + word;
}

// `files` texts of `words` words each, under source/<tag>NN.txt; their full paths.
std::vector<std::string> writeCorpus(test::TempDir& dir, const std::string& tag, int files,
                                     int words, int firstWord) {
    std::vector<std::string> paths;
    for (int f = 0; f < files; ++f) {
        std::string text;
        for (int w = 0; w < words; ++w)
            text += wordFor(firstWord + (f * 7 + w) % 3000) + (w % 12 == 11 ? "\r\n" : " ");
        paths.push_back(dir.write("source/" + tag + std::to_string(10 + f) + ".txt", text));
    }
    return paths;
}

struct Pair {
    std::string list, index;
    bool operator==(const Pair&) const = default;
};

Pair pairIn(const std::string& folder, const std::string& name) {
    return {readFile(folder + "/" + name + ".lst"), readFile(folder + "/" + name + ".sta")};
}

// Restores the system's calls however a test ends.
struct OsCallsGuard {
    ~OsCallsGuard() { resetOsCalls(); }
};

// ---------------------------------------------------------------------------------------------
// Two runs, one name

struct RaceRun {
    ProgramState state;
    std::vector<std::string> files;
    CountResult result;
    std::vector<Message> shown;
};

TEST(CountReliability, TwoCountsWithOneNameEachPlaceAWholePairOrSaySo) {
    test::TempDir dir;
    ProgramState english = test::wordcountState(dir, LanguageId::English);
    ProgramState french = english;
    ApplyLanguage(french, LanguageId::French);
    const std::vector<std::string> englishFiles = writeCorpus(dir, "en", 20, 4000, 0);
    const std::vector<std::string> frenchFiles = writeCorpus(dir, "fr", 20, 4000, 5000);

    // what each run saves when it runs alone
    std::vector<Pair> alone;
    for (ProgramState* state : {&english, &french}) {
        ProgramState s = *state;
        s.FrequencyFilesDirectory = dir.makeFolder("alone");
        SilentPrompter quiet;
        const auto& files = state == &english ? englishFiles : frenchFiles;
        ASSERT_EQ(CountWords(s, test::countRequest(s, files, "same"), quiet, {}).outcome,
                  CountOutcome::Completed);
        alone.push_back(pairIn(s.FrequencyFilesDirectory, "same"));
        ::unlink((s.FrequencyFilesDirectory + "/same.lst").c_str());
        ::unlink((s.FrequencyFilesDirectory + "/same.sta").c_str());
    }
    ASSERT_NE(alone[0], alone[1]);

    for (const bool overwrite : {false, true}) {
        for (int attempt = 0; attempt < 12; ++attempt) {
            SCOPED_TRACE(std::string(overwrite ? "overwrite" : "keep") + " attempt " +
                         std::to_string(attempt));
            const std::string name =
                "race" + std::to_string(overwrite) + "_" + std::to_string(attempt);
            const std::string out = dir.makeFolder(name);
            if (overwrite) {
                dir.write(name + "/same.lst", "old");
                dir.write(name + "/same.sta", "old");
            }
            std::array<RaceRun, 2> runs{RaceRun{english, englishFiles, {}, {}},
                                        RaceRun{french, frenchFiles, {}, {}}};
            std::latch go(2);
            std::vector<std::thread> threads;
            for (std::size_t r = 0; r < 2; ++r) {
                runs[r].state.FrequencyFilesDirectory = out;
                runs[r].state.TempDirectory = dir.makeFolder("temp" + std::to_string(r));
                threads.emplace_back([&run = runs[r], &go, overwrite] {
                    ScriptedPrompter prompter(overwrite ? std::vector<Answer>{Answer::Yes}
                                                        : std::vector<Answer>{});
                    go.arrive_and_wait();
                    run.result = CountWords(
                        run.state, test::countRequest(run.state, run.files, "same"), prompter, {});
                    run.shown = prompter.shown;
                });
            }
            for (std::thread& t : threads)
                t.join();

            // one whole pair, of a run that says it saved it
            EXPECT_EQ(folderEntries(out), (std::vector<std::string>{"same.lst", "same.sta"}));
            const Pair saved = pairIn(out, "same");
            int completed = 0;
            for (std::size_t r = 0; r < 2; ++r) {
                EXPECT_TRUE(folderEntries(runs[r].state.TempDirectory).empty());
                if (runs[r].result.outcome == CountOutcome::Completed) {
                    ++completed;
                    continue;
                }
                // the run that has no pair says so
                EXPECT_FALSE(runs[r].shown.empty());
                EXPECT_TRUE(runs[r].result.outcome == CountOutcome::Failed ||
                            runs[r].result.outcome == CountOutcome::NotStarted);
            }
            EXPECT_TRUE(saved == alone[0] || saved == alone[1]);
            if (overwrite) {
                EXPECT_EQ(completed, 2); // both agreed to replace: the later pair stands whole
            } else {
                ASSERT_EQ(completed, 1);
                const std::size_t winner =
                    runs[0].result.outcome == CountOutcome::Completed ? 0 : 1;
                EXPECT_EQ(saved, alone[winner]);
            }
        }
    }
}

TEST(CountReliability, ANameTakenDuringTheCountKeepsTheOtherList) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    const std::vector<std::string> files = writeCorpus(dir, "en", 2, 100, 0);
    CountHooks hooks;
    // another program saves a list of the name while this count reads its first file
    hooks.progress = [&](const CountProgress& p) {
        if (p.phase == CountProgress::Phase::Scatter && p.fileNumber == 1)
            dir.write("out/same.lst", "theirs");
    };
    SilentPrompter prompter;
    const CountResult result =
        CountWords(state, test::countRequest(state, files, "same"), prompter, hooks);
    EXPECT_EQ(result.outcome, CountOutcome::Failed);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, wordcount::msg::PairNameTaken("same.lst").text);
    EXPECT_EQ(folderEntries(state.FrequencyFilesDirectory), std::vector<std::string>{"same.lst"});
    EXPECT_EQ(readFile(state.FrequencyFilesDirectory + "/same.lst"), "theirs");
    EXPECT_TRUE(folderEntries(state.TempDirectory).empty());
}

// ---------------------------------------------------------------------------------------------
// The reading thread

bool noThread() {
    return false;
}

TEST(CountReliability, WithoutAThreadTheCountReadsOnItsOwnAndGivesTheSamePair) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    std::vector<std::string> files = writeCorpus(dir, "en", 3, 60000, 0); // several blocks each
    files.insert(files.begin() + 1, dir.path() + "/source/missing.txt");
    std::vector<Pair> pairs;
    std::vector<std::vector<std::string>> told;
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads);
        const OsCallsGuard guard;
        if (!threads)
            osCalls().threadAvailable = noThread;
        ScriptedPrompter prompter({Answer::Retry, Answer::Ignore}); // the missing file
        const CountResult result =
            CountWords(state, test::countRequest(state, files, "list"), prompter, {});
        ASSERT_EQ(result.outcome, CountOutcome::Completed);
        EXPECT_EQ(result.files, 3 + 1);
        pairs.push_back(pairIn(state.FrequencyFilesDirectory, "list"));
        told.emplace_back();
        for (const Message& m : prompter.shown)
            told.back().push_back(m.text);
        ::unlink((state.FrequencyFilesDirectory + "/list.lst").c_str());
        ::unlink((state.FrequencyFilesDirectory + "/list.sta").c_str());
        EXPECT_TRUE(folderEntries(state.TempDirectory).empty());
    }
    EXPECT_EQ(pairs[0], pairs[1]);
    EXPECT_EQ(told[0], told[1]);
    EXPECT_EQ(told[0].size(), 2u); // the missing file, asked twice
}

TEST(CountReliability, AReadingFailureMidCountIsOneMessageAndTheProgramGoesOn) {
    for (const bool threads : {true, false}) {
        SCOPED_TRACE(threads);
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, LanguageId::English);
        const std::vector<std::string> files = writeCorpus(dir, "en", 4, 60000, 0);
        const OsCallsGuard guard;
        if (!threads)
            osCalls().threadAvailable = noThread;
        std::atomic<int> blocks{0};
        CountHooks hooks;
        hooks.beforeBlock = [&blocks] {
            if (++blocks == 5) // the third file's first block
                throw std::bad_alloc();
        };
        SilentPrompter prompter;
        const CountResult failed =
            CountWords(state, test::countRequest(state, files, "list"), prompter, hooks);
        EXPECT_EQ(failed.outcome, CountOutcome::Failed);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text,
                  wordcount::msg::CountReadingFailed("not enough memory").text);
        EXPECT_TRUE(folderEntries(state.FrequencyFilesDirectory).empty());
        EXPECT_TRUE(folderEntries(state.TempDirectory).empty());

        // the next count in the same program runs whole
        SilentPrompter next;
        EXPECT_EQ(CountWords(state, test::countRequest(state, files, "list"), next, {}).outcome,
                  CountOutcome::Completed);
        EXPECT_TRUE(next.shown.empty());
    }
}

// ---------------------------------------------------------------------------------------------
// Spilled words on a failing disk

int refuseBuckets(const char* path, int flags) {
    if (std::strstr(path, "~lexmora-count") != nullptr) {
        errno = EIO;
        return -1;
    }
    return ::open(path, flags);
}

// Enough distinct words to make a 64 KB table spill.
std::vector<std::string> spillingCorpus(test::TempDir& dir) {
    std::string text;
    for (int w = 0; w < 40000; ++w)
        text += wordFor(w) + (w % 12 == 11 ? "\r\n" : " ");
    return {dir.write("source/many.txt", text)};
}

TEST(CountReliability, ABucketThatCannotBeReadBackIsToldOnce) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    const std::vector<std::string> files = spillingCorpus(dir);
    CountHooks hooks;
    hooks.memoryBudget = 64 << 10;
    // the buckets are written, then cannot be opened again for the gather
    hooks.progress = [](const CountProgress& p) {
        if (p.phase == CountProgress::Phase::Gather)
            osCalls().openFile = refuseBuckets;
    };
    const OsCallsGuard guard;
    SilentPrompter prompter;
    EXPECT_EQ(CountWords(state, test::countRequest(state, files, "list"), prompter, hooks).outcome,
              CountOutcome::Failed);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, core::msg::MajorFailure().text);
    EXPECT_TRUE(folderEntries(state.FrequencyFilesDirectory).empty());
    EXPECT_TRUE(folderEntries(state.TempDirectory).empty());
}

TEST(CountReliability, ADiskThatFillsDuringASpillAsksOnceAndLeavesNothing) {
    for (const std::size_t room : {std::size_t{0}, std::size_t{100000}}) {
        SCOPED_TRACE(room);
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, LanguageId::English);
        const std::vector<std::string> files = spillingCorpus(dir);
        CountHooks hooks;
        hooks.memoryBudget = 64 << 10;
        SilentPrompter prompter; // Abort
        CountResult result;
        {
            const test::SmallDisk disk(room);
            result = CountWords(state, test::countRequest(state, files, "list"), prompter, hooks);
        }
        EXPECT_EQ(result.outcome, CountOutcome::Abandoned);
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_EQ(prompter.shown[0].text, wordcount::msg::DiskError(61).text);
        EXPECT_EQ(prompter.shown[0].buttons, Buttons::AbortRetryIgnore);
        EXPECT_TRUE(folderEntries(state.FrequencyFilesDirectory).empty());
        EXPECT_TRUE(folderEntries(state.TempDirectory).empty());
    }
}

} // namespace
} // namespace lexmora
