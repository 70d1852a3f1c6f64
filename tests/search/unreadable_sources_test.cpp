// Sources the search cannot read, or that change under it: each is named, the rest is searched,
// and the totals count only what was read.
#include "search/search_run.h"

#include "codes/code_tables.h"
#include "core/os_calls.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {
namespace {

using test::LockedCalls;

struct Lines : SearchObserver {
    std::function<void()> onFirstHit;
    int hits = 0;
    void onHit(std::string_view, std::string_view) override {
        if (hits++ == 0 && onFirstHit)
            onFirstHit();
    }
};

struct Fixture {
    test::TempDir dir;
    ProgramState state;
    Lines observer;
    SilentPrompter prompter;
    SearchRun run;

    Fixture() {
        state.CodeRows = BuiltInCodeRows();
        state.CodeMode = kCodeAnsi;
        state.LeftContext = 10;
        state.RightContext = 10;
        state.SourceDirectory = dir.makeFolder("src") + "/";
        state.SourceFileType = "*.*";
        state.Keywords = {"cat"};
        state.KeywordCase = {false};
    }
    void runSearch() { RunSearch(state, SearchRequestFor(state), run, observer, prompter); }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Message& m : prompter.shown)
            out.push_back(m.title + "|" + m.text);
        return out;
    }
};

TEST(UnreadableSources, EachIsNamedAndOnlyFilesReadAreCounted) {
    struct Case {
        const char* what;
        bool tree;
        std::vector<std::string> selected; // without --tree
        std::vector<std::string> shown;    // title|text, the error text left out
        std::int64_t files, bytes, hits;
    };
    const std::vector<Case> cases = {
        {"a file that cannot be opened",
         false,
         {"a.txt", "locked"},
         {" File error|Cannot read file @src/locked -\r\nit is not searched."},
         1,
         8,
         1},
        {"a folder in place of a file",
         false,
         {"a.txt", "sub"},
         {" File error|Cannot search @src/sub -\r\nit is a folder, not a file."},
         1,
         8,
         1},
        {"an unreadable folder of the tree",
         true,
         {},
         {" Folder error|Cannot read the folder @src/sub/locked -\r\nits files and sub-folders "
          "are not searched.",
          " File error|Cannot read file @src/locked -\r\nit is not searched."},
         2,
         16,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        const LockedCalls locked;
        f.dir.write("src/a.txt", "a cat.\r\n");
        f.dir.write("src/locked", "cat cat cat\r\n");
        f.dir.write("src/sub/b.txt", "a cat.\r\n");
        f.dir.write("src/sub/locked/c.txt", "cat cat cat\r\n");
        f.state.IncludeSubfolders = c.tree;
        f.state.SourceFiles = c.selected;
        f.runSearch();
        std::vector<std::string> shown;
        for (std::string text : f.texts()) {
            // The system's error text is the message's last line.
            const std::size_t last = text.rfind("\r\n");
            if (text.find("Cannot read") != std::string::npos)
                text.resize(last);
            const std::size_t at = text.find(f.dir.path() + "/");
            if (at != std::string::npos)
                text.replace(at, f.dir.path().size() + 1, "@");
            shown.push_back(text);
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(f.run.FilesSearched, c.files);
        EXPECT_EQ(f.run.BytesSearched, c.bytes);
        EXPECT_EQ(f.run.HitsTotal, c.hits);
        EXPECT_FALSE(f.run.failed);
    }
}

TEST(UnreadableSources, AFifoIsNamedAndNeverWaitedOn) {
    Fixture f;
    f.dir.write("src/a.txt", "a cat.\r\n");
    const std::string fifo = f.state.SourceDirectory + "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    f.state.SourceFiles = {"pipe", "a.txt"};
    f.runSearch(); // no writer: an open that waited would hang the test
    EXPECT_EQ(f.texts(),
              (std::vector<std::string>{" File error|Cannot search " + fifo +
                                        " -\r\nit is a FIFO (named pipe), not a file."}));
    EXPECT_EQ(f.run.FilesSearched, 1);
    EXPECT_EQ(f.run.HitsTotal, 1);
}

TEST(ShrinkingSource, IsToldAndTheBytesReadAreTheTotal) {
    Fixture f;
    // Far more than one read's worth, a hit on every line: the file is cut to 300,000 bytes
    // once the first hit is shown, while the first read's text is being searched.
    std::string text;
    while (text.size() < 1000000)
        text += "the cat sat on the mat in the sun.\r\n"; // 36 bytes a line
    text.resize(1000000 - 1000000 % 36);
    const std::string path = f.dir.write("src/long.txt", text);
    f.observer.onFirstHit = [&] { ASSERT_EQ(::truncate(path.c_str(), 300024), 0); };
    f.state.SourceFiles = {"long.txt"};
    f.runSearch();
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].title, " File changed");
    EXPECT_EQ(f.prompter.shown[0].text,
              path + " changed while it was searched:\r\n300024 bytes read of the " +
                  std::to_string(text.size()) + " it held when opened.");
    EXPECT_EQ(f.run.BytesSearched, 300024);
    EXPECT_EQ(f.run.FilesSearched, 1);
    EXPECT_EQ(f.run.FilesCutShort, 1); // the command line's "partial results"
    EXPECT_EQ(f.run.HitsTotal, 300024 / 36);
}

TEST(ShrinkingSource, AFileReadWholeIsNotMentioned) {
    Fixture f;
    f.dir.write("src/a.txt", "a cat.\r\n");
    f.state.SourceFiles = {"a.txt"};
    f.runSearch();
    EXPECT_TRUE(f.prompter.shown.empty());
    EXPECT_EQ(f.run.BytesSearched, 8);
    EXPECT_EQ(f.run.FilesCutShort, 0);
}

} // namespace
} // namespace lexmora
