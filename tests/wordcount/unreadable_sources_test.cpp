// Sources the count cannot read, or that shrink under it: each is named, the rest is counted,
// and the totals count only what was read.
#include "wordcount/count_sources.h"
#include "wordcount/word_counter.h"

#include "core/os_calls.h"
#include "core/paths.h"
#include "count_fixture.h"
#include "support/test_support.h"
#include "wordcount/frequency_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace lexmora {
namespace {

using test::LockedCalls;

std::vector<std::string> shownLines(const SilentPrompter& prompter) {
    std::vector<std::string> out;
    for (const Message& m : prompter.shown)
        out.push_back(m.title + "|" + m.text);
    return out;
}

TEST(WordcountUnreadable, FilesNotReadAreNamedAndLeftOutOfTheTotals) {
    struct Case {
        const char* name;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"locked", "Cannot read file {path} -\r\nit is not counted.\r\nPermission denied"},
        {"broken", "Cannot read file {path} -\r\nit is not counted.\r\nBad file descriptor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        ProgramState state = test::wordcountState(dir, LanguageId::English);
        dir.write("source/a.txt", "one two");
        const std::string path = dir.write(std::string("source/") + c.name, "never counted");
        dir.write("source/b.txt", "two three");
        LockedCalls locked;
        SilentPrompter prompter;
        const CountResult result = CountWords(
            state, test::countRequest(state, {"a.txt", c.name, "b.txt"}, "list"), prompter, {});
        ASSERT_EQ(result.outcome, CountOutcome::Completed);
        EXPECT_EQ(result.tokens, 4);
        EXPECT_EQ(result.types, 3);
        EXPECT_EQ(result.files, 2);
        EXPECT_EQ(result.partialFiles, 1); // the command line's "partial results"
        std::string text = c.expected;
        text.replace(text.find("{path}"), 6, path);
        EXPECT_EQ(shownLines(prompter), std::vector<std::string>{" File error|" + text});
        const std::string header = FillCountHeader(4, 3, 2); // "files:" counts the files read
        EXPECT_EQ(test::readFile(JoinPath(state.FrequencyFilesDirectory, "list.lst"))
                      .substr(0, header.size()),
                  header);
    }
}

TEST(WordcountUnreadable, FileShrunkDuringTheCountIsNamedAndCountedAsRead) {
    test::TempDir dir;
    ProgramState state = test::wordcountState(dir, LanguageId::English);
    std::string text;
    while (text.size() < (std::size_t{1} << 19))
        text += "alpha beta gamma delta\r\n";
    const std::string path = dir.write("source/a.txt", text);
    // The file loses all but its first bytes once its first block has been read.
    struct TruncateOnFirstYield : RunHost {
        std::string path;
        int calls = 0;
        void yield(ProgramState&) override {
            if (++calls == 1) {
                EXPECT_EQ(::truncate(path.c_str(), 10), 0);
            }
        }
    } host;
    host.path = path;
    CountHooks hooks;
    hooks.host = &host;
    SilentPrompter prompter;
    const CountResult result =
        CountWords(state, test::countRequest(state, {"a.txt"}, "list"), prompter, hooks);
    ASSERT_EQ(result.outcome, CountOutcome::Completed);
    EXPECT_EQ(result.partialFiles, 1);
    const std::size_t read = std::size_t{1} << 18; // one block
    EXPECT_EQ(result.tokens,
              static_cast<std::int64_t>(CutWords(state, text.substr(0, read)).size()));
    EXPECT_EQ(shownLines(prompter),
              std::vector<std::string>{" File changed|" + path +
                                       " changed while it was counted:\r\n" + std::to_string(read) +
                                       " bytes read of the " + std::to_string(text.size()) +
                                       " it held when opened."});
}

TEST(WordcountUnreadable, FoldersNotListedAreNamedAndTheRestListed) {
    test::TempDir dir;
    const std::string top = dir.makeFolder("top");
    dir.write("top/a.txt", "a");
    dir.makeFolder("top/locked");
    dir.write("top/locked/hidden.txt", "h");
    dir.makeFolder("top/sub");
    dir.write("top/sub/b.txt", "b");
    LockedCalls locked;
    const std::string lockedText = " Folder error|Cannot read the folder " + top +
                                   "/locked -\r\nits files and sub-folders are not "
                                   "counted.\r\nPermission denied";
    struct Case {
        std::string folder;
        bool tree;
        std::vector<std::string> files;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {top, true, {top + "/a.txt", top + "/sub/b.txt"}, {lockedText}},
        {top, false, {top + "/a.txt"}, {}},
        {top + "/locked", false, {}, {lockedText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + (c.tree ? " (tree)" : ""));
        SilentPrompter prompter;
        EXPECT_EQ(ListCountSources(c.folder, c.tree, prompter), c.files);
        EXPECT_EQ(shownLines(prompter), c.shown);
    }
}

} // namespace
} // namespace lexmora
