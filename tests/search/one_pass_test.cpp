// A keyword list searched by reading each source once gives the result files, the live lines
// and the totals of the walk per keyword, byte for byte; abandoned, on a full disk or without
// room for its temporary files, it leaves no temporary file and nothing half-written counted.
#include "search/search_run.h"

#include "codes/code_tables.h"
#include "core/file_io.h"
#include "core/os_calls.h"
#include "core/paths.h"
#include "search/one_pass_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <filesystem>
#include <map>
#include <random>
#include <unistd.h>

namespace lexmora {
namespace {

namespace fs = std::filesystem;

// Everything the live screen is told, in order.
struct EventLog : SearchObserver {
    std::vector<std::string> events;
    int yieldsBeforeLeaving = -1;     // >= 0: the user leaves after so many yields
    std::int64_t leaveAtKeyword = -1; // >= 0: the user leaves once this keyword's turn begins
    int leaveAtHit = 0;               // > 0: the user leaves once so many hits are shown
    int hitsShown = 0;
    void note(std::string e) { events.push_back(std::move(e)); }
    void onHit(std::string_view line, std::string_view name) override {
        note("hit " + std::string(line) + "|" + std::string(name));
        if (++hitsShown == leaveAtHit)
            yieldsBeforeLeaving = 0;
    }
    void onKeyword(std::int64_t i) override {
        note("keyword " + std::to_string(i));
        if (i == leaveAtKeyword)
            yieldsBeforeLeaving = 0;
    }
    void onHitCounter(std::int64_t h) override { note("hits " + std::to_string(h)); }
    void onFileCounter(std::int64_t f) override { note("file " + std::to_string(f)); }
    void onFilesInStep(std::int64_t f) override { note("step " + std::to_string(f)); }
    void onFileName(std::string_view n, std::string_view f) override {
        note("name " + std::string(n) + "|" + std::string(f));
    }
    void onFolder(std::string_view f) override { note("folder " + std::string(f)); }
    void onCodeName(std::string_view n) override { note("code " + std::string(n)); }
    void onSavingResults(std::string_view p) override { note("saving " + std::string(p)); }
    void onResultSetDeleted(std::string_view n) override { note("deleted " + std::string(n)); }
    void yield(ProgramState& state) override {
        if (yieldsBeforeLeaving == 0)
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
        if (yieldsBeforeLeaving > 0)
            --yieldsBeforeLeaving;
    }
};

// Every file of a folder, by name.
std::map<std::string, std::string> filesIn(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::directory_iterator(folder))
        out[entry.path().filename().string()] = test::readFile(entry.path().string());
    return out;
}

bool emptyFolder(const std::string& folder) {
    return fs::is_empty(folder);
}

// A generated corpus: words of a small vocabulary (hits of every keyword, partial words,
// hyphens at line ends, upper case, accents), in files of several sizes in a small tree.
void writeCorpus(const test::TempDir& dir) {
    const std::vector<std::string> words = {
        "the",   "The",     "cat",     "cats",   "catalogue", "Cat",      "love",
        "loved", "lover",   "loves",   "LOVE",   "house",     "houses",   "dog",
        "dogma", "caf\xE9", "CAF\xC9", "and",    "walk",      "walked",   "walking",
        "over",  "overt",   "a",       "maison", "time",      "sometimes"};
    std::mt19937 random(7);
    dir.makeFolder("src");
    dir.makeFolder("src/sub");
    const std::vector<std::pair<std::string, std::size_t>> files = {
        {"src/a.txt", 200}, {"src/b.txt", 90000}, {"src/sub/c.txt", 400000}, {"src/d.txt", 3}};
    for (const auto& [name, count] : files) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += words[random() % words.size()];
            const unsigned r = random() % 40;
            text += r == 0 ? "-\r\n" : r < 4 ? ".\r\n" : r < 6 ? ", " : " ";
        }
        dir.write(name, text);
    }
}

// Words for keywords that begin with a wildcard or a special letter, and a byte whose word class
// its fold changes, in a file of their own.
void writeWildcardWords(const test::TempDir& dir) {
    // Y with diaeresis (\237) is no letter, but its folded form is.
    const std::vector<std::string> words = {
        "\xE9t\xE9", "\xC9T\xC9", "ete",     "ment",     "gouvernement", "mentir",  "hat",    "bat",
        "at",        "what",      "caf\xE9", "\351cole", "walking",      "cat\237", "\237cat"};
    std::mt19937 random(11);
    std::string text;
    for (std::size_t i = 0; i < 60000; ++i) {
        text += words[random() % words.size()];
        const unsigned r = random() % 30;
        text += r == 0 ? "-\r\n" : r < 3 ? ".\r\n" : " ";
    }
    dir.write("src/sub/e.txt", text);
}

struct Case {
    const char* name;
    std::vector<std::string> keywords;
    std::vector<bool> exactCase; // empty: none
    bool singleFile;
    bool tree;
    bool samples;               // the bundled sample texts instead of the generated corpus
    std::size_t spoolMemory;    // small: the hits go through temporary files
    bool wildcardWords = false; // writeWildcardWords as well
    int leaveAtHit = 0;         // > 0: the user leaves once so many hits are shown
};

struct Outcome {
    std::map<std::string, std::string> files;
    std::vector<std::string> events, summary;
    std::int64_t hits = 0, unread = 0;
    long long logEntries = 0;
};

Outcome runOnce(const Case& c, const std::string& source, const std::string& target,
                const std::string& temp, bool keywordByKeyword, std::size_t batch = kOnePassBatch) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    state.CodeMode = kCodeAnsi;
    state.LeftContext = 30;
    state.RightContext = 30;
    state.SourceDirectory = source;
    state.SourceFileType = "*.txt";
    state.TargetDirectory = target;
    state.TempDirectory = temp;
    state.InvalidFileNameChars = "\\/:*?\"<>|";
    state.SaveToFile = true;
    state.SingleFile = c.singleFile;
    state.IncludeSubfolders = c.tree;
    state.Keywords = c.keywords;
    state.KeywordCase =
        c.exactCase.empty() ? std::vector<bool>(c.keywords.size(), false) : c.exactCase;
    if (!c.tree)
        for (const auto& entry : fs::directory_iterator(source))
            if (entry.is_regular_file())
                state.SourceFiles.push_back(entry.path().filename().string());
    std::sort(state.SourceFiles.begin(), state.SourceFiles.end());
    if (!keywordByKeyword) {
        EXPECT_NE(PrepareOnePass(state, SearchChoicesIn(state), 1 << 20),
                  nullptr); // the list is read in one pass
    }
    EventLog observer;
    observer.leaveAtHit = c.leaveAtHit;
    SilentPrompter prompter;
    SearchRun run;
    run.keywordByKeyword = keywordByKeyword;
    run.spoolMemory = c.spoolMemory;
    run.onePassBatch = batch;
    RunSearch(state, SearchRequestFor(state), run, observer, prompter);
    Outcome out;
    out.files = filesIn(target);
    for (const auto& entry : fs::directory_iterator(target))
        fs::remove(entry.path());
    out.events = observer.events;
    out.summary = SearchSummaryLines(SearchChoicesIn(state), run);
    out.hits = run.HitsTotal;
    out.unread = run.FilesUnread;
    out.logEntries = state.LogEntryNumber;
    return out;
}

TEST(OnePass, ResultFilesLinesAndTotalsAreThoseOfTheWalkPerKeyword) {
    const std::vector<Case> cases = {
        {"list", {"cat", "love", "house", "maison"}, {}, false, false, false, 16u << 20},
        {"single file", {"cat", "love", "house", "maison"}, {}, true, false, false, 16u << 20},
        {"tree through temp files",
         {"the", "cat*", "lov+e,ed,er", "caf\xE9", "dog"},
         {},
         true,
         true,
         false,
         4096},
        {"per keyword, temp files",
         {"the", "cat*", "walk/ed,ing", "over", "nohit"},
         {},
         false,
         true,
         false,
         1000},
        {"case and next word",
         {"Cat", "LOVE", "the cat", "a house"},
         {true, true, false, false},
         false,
         true,
         false,
         16u << 20},
        {"samples", {"maison", "the", "und", "que", "love", "di"}, {}, true, false, true, 64 << 10},
        // Keywords without a literal start search the pass's windows themselves.
        {"wildcard starts among literals",
         {"the", "?at", "*ment", "cat", "\xE9t\xE9", "* cat", "*ing", "love"},
         {},
         true,
         true,
         false,
         16u << 20,
         true},
        {"wildcard starts only, exact case, temp files",
         {"\xC9T\xC9", "?at", "*ment", "\xE9*"},
         {true, false, false, false},
         false,
         true,
         false,
         3000,
         true},
        // The first keyword's turn is the walk, shown as it goes: the user leaving at one of its
        // hits leaves where a walk of that keyword alone would have stopped.
        {"left at the first hit", {"cat", "love"}, {}, true, true, false, 16u << 20, false, 1},
        {"left in a later folder", {"love", "?at", "the"}, {}, false, true, false, 4096, true, 900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        writeCorpus(dir);
        if (c.wildcardWords)
            writeWildcardWords(dir);
        const std::string source =
            c.samples ? test::sourceDir() + "/data/samples/" : dir.path() + "/src/";
        const std::string target = dir.makeFolder("out");
        const std::string temp = dir.makeFolder("tmp");
        const Outcome each = runOnce(c, source, target, temp, true);
        const Outcome once = runOnce(c, source, target, temp, false);
        ASSERT_FALSE(each.files.empty());
        EXPECT_GT(each.hits, 0);
        ASSERT_EQ(once.files.size(), each.files.size());
        for (const auto& [name, bytes] : each.files) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(once.files.count(name));
            EXPECT_TRUE(once.files.at(name) == bytes);
        }
        EXPECT_EQ(once.events, each.events);
        EXPECT_EQ(once.summary, each.summary);
        EXPECT_EQ(once.hits, each.hits);
        EXPECT_EQ(once.unread, each.unread);
        EXPECT_EQ(once.logEntries, each.logEntries);
        EXPECT_TRUE(emptyFolder(temp));
    }
}

// A list longer than a batch is read once per batch: the files, lines and totals are those of
// one pass, whatever the batch (a batch of one keyword is the walk per keyword, a lone keyword
// left at a batch's end too).
TEST(OnePass, BatchesOfTheListGiveTheResultsOfOnePass) {
    const Case c{"batches", {"the", "cat*", "lov+e,ed,er", "caf\xE9", "dog", "?at", "walk/ed,ing"},
                 {},        true,
                 true,      false,
                 4096,      true};
    test::TempDir dir;
    writeCorpus(dir);
    writeWildcardWords(dir);
    const std::string source = dir.path() + "/src/";
    const std::string target = dir.makeFolder("out");
    const std::string temp = dir.makeFolder("tmp");
    const Outcome whole = runOnce(c, source, target, temp, false);
    EXPECT_GT(whole.hits, 0);
    for (const std::size_t batch : {std::size_t{1}, std::size_t{3}}) {
        SCOPED_TRACE(batch);
        const Outcome batched = runOnce(c, source, target, temp, false, batch);
        EXPECT_TRUE(batched.files == whole.files);
        EXPECT_EQ(batched.events, whole.events);
        EXPECT_EQ(batched.summary, whole.summary);
        EXPECT_EQ(batched.hits, whole.hits);
        EXPECT_EQ(batched.logEntries, whole.logEntries);
        EXPECT_TRUE(emptyFolder(temp));
    }
}

TEST(OnePass, AbandonedFullOrWithoutTempRoomLeavesNoTempFileAndNothingHalfCounted) {
    struct Stop {
        const char* name;
        int yields;           // the user leaves after so many yields (-1: never)
        int keyword;          // the user leaves in this keyword's turn (-1: never)
        std::size_t diskRoom; // 0: no limit
        bool tempMissing;     // the temporary folder cannot be written
    };
    const std::vector<Stop> stops = {{"abandoned early", 3, -1, 0, false},
                                     {"abandoned late", 400, -1, 0, false},
                                     {"abandoned in a later turn", -1, 1, 0, false},
                                     {"disk full", -1, -1, 200000, false},
                                     {"no temp folder", -1, -1, 0, true}};
    for (const Stop& stop : stops) {
        SCOPED_TRACE(stop.name);
        test::TempDir dir;
        writeCorpus(dir);
        ProgramState state;
        state.CodeRows = BuiltInCodeRows();
        state.CodeMode = kCodeAnsi;
        state.LeftContext = 10;
        state.RightContext = 10;
        state.SourceDirectory = dir.path() + "/src/";
        state.SourceFileType = "*.txt";
        state.TargetDirectory = dir.makeFolder("out");
        state.TempDirectory = stop.tempMissing ? dir.path() + "/none" : dir.makeFolder("tmp");
        state.InvalidFileNameChars = "\\/:*?\"<>|";
        state.SaveToFile = true;
        state.IncludeSubfolders = true;
        state.SingleFile = true; // one record length for all the hits
        state.Keywords = {"the", "cat", "love"};
        state.KeywordCase = {false, false, false};
        EventLog observer;
        observer.yieldsBeforeLeaving = stop.yields;
        observer.leaveAtKeyword = stop.keyword;
        SilentPrompter prompter;
        SearchRun run;
        run.spoolMemory = 2000;
        {
            const test::SmallDisk disk(stop.diskRoom ? stop.diskRoom : SIZE_MAX);
            RunSearch(state, SearchRequestFor(state), run, observer, prompter);
        }
        EXPECT_EQ(run.abandoned, stop.yields >= 0 || stop.keyword >= 0);
        if (stop.keyword >= 0) {
            EXPECT_GT(run.HitsPerKeyword[0], 0);
            EXPECT_EQ(run.HitsPerKeyword[2], 0);
        }
        EXPECT_EQ(run.failed, stop.diskRoom > 0);
        if (stop.tempMissing) {
            EXPECT_EQ(run.keptDumpFiles.size(), 1u);
            EXPECT_GT(run.HitsPerKeyword[2], 0);
        } else {
            EXPECT_TRUE(emptyFolder(state.TempDirectory));
        }
        // What is kept holds whole records, and the counts are what it holds.
        std::int64_t saved = 0;
        for (const std::string& dump : run.keptDumpFiles) {
            const auto size = fileSize(dump);
            ASSERT_TRUE(size);
            EXPECT_EQ(*size % static_cast<std::uint64_t>(run.RecordLength), 0u);
            saved += static_cast<std::int64_t>(*size / run.RecordLength) - 1;
            const auto log = fileSize(LogPathFor(dump));
            ASSERT_TRUE(log);
            EXPECT_EQ(*log % kLogLineBytes, 0u);
        }
        EXPECT_EQ(run.HitsTotal, saved);
        for (const std::string& dump : run.incompleteDumpFiles)
            EXPECT_FALSE(fileIsPresent(SummaryPathFor(dump)));
    }
}

} // namespace
} // namespace lexmora
