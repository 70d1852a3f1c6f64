#include "files/file_list.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

TEST(FileList, ThreePathsAreThreeCrLfLines) {
    const std::vector<std::string> paths = {"/texts/a.txt", "/texts/b.txt", "/other/c.txt"};
    EXPECT_EQ(FormatFileList(paths), "/texts/a.txt\r\n/texts/b.txt\r\n/other/c.txt\r\n");
    EXPECT_EQ(FormatFileList({}), "");
}

TEST(FileList, NamesAreWrittenInWindows1252WhenItHoldsThem) {
    // "é" and "€" fit the code page; "ł" (U+0142) does not; "\xE9" alone is not UTF-8.
    const std::vector<std::string> paths = {"/t/caf\xC3\xA9.txt", "/t/\xE2\x82\xAC.txt",
                                            "/t/\xC5\x82\xC3\xB3"
                                            "d\xC5\xBA.txt",
                                            "/t/latin\xE9.txt"};
    EXPECT_EQ(FormatFileList(paths), "/t/caf\xE9.txt\r\n/t/\x80.txt\r\n"
                                     "/t/\xC5\x82\xC3\xB3"
                                     "d\xC5\xBA.txt\r\n/t/latin\xE9.txt\r\n");
}

TEST(FileList, NamesWithLineBreaksCannotBeStored) {
    EXPECT_FALSE(IsStorableName("/t/a\nb.txt"));
    EXPECT_FALSE(IsStorableName("/t/a\rb.txt"));
    EXPECT_FALSE(IsStorableName(""));
    EXPECT_TRUE(IsStorableName("/t/a b.txt"));
    EXPECT_EQ(FormatFileList({"/t/a\nb.txt", "/t/ok.txt"}), "/t/ok.txt\r\n");
}

struct ParseCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> paths;
    std::size_t foreign;
};

TEST(FileList, ParseTable) {
    const ParseCase cases[] = {
        {"CR LF lines", "/a\r\n/b\r\n", {"/a", "/b"}, 0},
        {"empty lines skipped", "\r\n/a\r\n\r\n\r\n/b\r\n\r\n", {"/a", "/b"}, 0},
        {"last line without CR LF", "/a\r\n/b", {"/a", "/b"}, 0},
        {"LF and CR line ends", "/a\n/b\r/c\n", {"/a", "/b", "/c"}, 0},
        {"final Ctrl-Z dropped", "/a\r\n\x1A", {"/a"}, 0},
        {"UTF-8 byte-order mark dropped", "\xEF\xBB\xBF/a\r\n", {"/a"}, 0},
        {"lines that are not full paths", "/a\r\nC:\\texts\\b.txt\r\nhello\r\n", {"/a"}, 2},
        {"blanks kept as part of the name", "/a b \r\n", {"/a b "}, 0},
        {"nothing", "", {}, 0},
    };
    for (const auto& c : cases) {
        const ParsedFileList parsed = ParseFileList(c.bytes);
        EXPECT_EQ(parsed.paths, c.paths) << c.what;
        EXPECT_EQ(parsed.foreignLines, c.foreign) << c.what;
        EXPECT_FALSE(parsed.binary) << c.what;
    }
    EXPECT_TRUE(ParseFileList(std::string("/a\0/b", 5)).binary);
}

TEST(FileList, TakesAtMost32767Paths) {
    std::string bytes;
    for (int i = 0; i < 32770; ++i)
        bytes += "/f" + std::to_string(i) + "\r\n";
    const ParsedFileList parsed = ParseFileList(bytes);
    ASSERT_EQ(parsed.paths.size(), 32767u);
    EXPECT_EQ(parsed.paths.back(), "/f32766");
    EXPECT_EQ(parsed.linesCut, 3u);
}

TEST(FileList, WritesAndReadsBackNamesOutsideTheCodePage) {
    test::TempDir dir;
    const std::vector<std::string> paths = {
        dir.write("caf\xC3\xA9.txt", "1"), // UTF-8, fits Windows-1252
        dir.write("\xC5\x82\xC3\xB3"
                  "d\xC5\xBA.txt",
                  "2"),                  // UTF-8 beyond Windows-1252
        dir.write("latin\xE9.txt", "3"), // a name that is not UTF-8
        dir.write("sub/other.txt", "4"), // another folder in the same list
        dir.path() + "/gone.txt",        // not there any more
    };
    const std::string list = dir.path() + "/mine.flist";
    ASSERT_TRUE(WriteFileList(list, paths).ok());
    EXPECT_EQ(test::readFile(list), FormatFileList(paths));
    auto read = ReadFileList(list);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->paths, paths);
    EXPECT_EQ(read->missing, 1u);
}

TEST(FileList, MissingFilesKeepTheirLikelySpelling) {
    // Neither spelling exists: Windows-1252 bytes become UTF-8, UTF-8 lines stay as they are.
    EXPECT_EQ(DecodeListLine("/gone/caf\xE9.txt"), "/gone/caf\xC3\xA9.txt");
    EXPECT_EQ(DecodeListLine("/gone/\xC5\x82.txt"), "/gone/\xC5\x82.txt");
    EXPECT_EQ(DecodeListLine("/gone/plain.txt"), "/gone/plain.txt");
}

struct BadListCase {
    const char* what;
    std::string bytes;
    const char* title;
};

TEST(FileList, ListsThatCannotBeUsed) {
    test::TempDir dir;
    const BadListCase cases[] = {
        {"empty file", "", " Empty file list"},
        {"only empty lines", "\r\n\r\n", " Empty file list"},
        {"a binary file", std::string("PK\x03\x04\0\0", 6), " Not a file list"},
        {"UTF-16 text", std::string("\xFF\xFE/\0a\0", 6), " Not a file list"},
        {"prose", "It was a dark and stormy night.\r\n", " Not a file list"},
        {"a Windows list", "C:\\texts\\a.txt\r\n", " Not a file list"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write("bad.flist", c.bytes);
        auto read = ReadFileList(path);
        ASSERT_FALSE(read.ok()) << c.what;
        EXPECT_EQ(read.error().title, c.title) << c.what;
    }
    auto missing = ReadFileList(dir.path() + "/none.flist");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().title, " File list error");
    EXPECT_EQ(missing.error().text.substr(0, 25), "Cannot read the file list");
    EXPECT_FALSE(ReadFileList(dir.path()).ok()); // a folder is not a list
}

TEST(FileList, TruncatedListKeepsWhatIsThere) {
    test::TempDir dir;
    const std::string a = dir.write("a.txt", "1");
    const std::string path = dir.write("cut.flist", a + "\r\n" + dir.path() + "/b.t");
    auto read = ReadFileList(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->paths, (std::vector<std::string>{a, dir.path() + "/b.t"}));
    EXPECT_EQ(read->missing, 1u);
}

TEST(FileList, FailedWriteSaysWhyAndLeavesNothing) {
    // Nobody, root included, can create files in /proc.
    const Status status = WriteFileList("/proc/list.flist", {"/a"});
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().title, "Error!");
    EXPECT_EQ(status.error().text.substr(0, 18), "Cannot continue!\r\n");
    EXPECT_GT(status.error().text.size(), 18u);
}

TEST(FileList, RewritingReplacesTheWholeFile) {
    test::TempDir dir;
    const std::string list = dir.path() + "/l.flist";
    ASSERT_TRUE(WriteFileList(list, {"/a/long/path/one", "/a/long/path/two"}).ok());
    ASSERT_TRUE(WriteFileList(list, {"/b"}).ok());
    EXPECT_EQ(test::readFile(list), "/b\r\n");
}

TEST(FileList, AddingKeepsOneEntryPerPath) {
    std::vector<std::string> stored = {"/a"};
    AddOutcome outcome = AddToStoredList(stored, {"/a", "/b", "/b", "/c\nd"});
    EXPECT_EQ(stored, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(outcome.added, 1u);
    EXPECT_EQ(outcome.notStorable, 1u);

    std::vector<std::string> full(kMaxStoredFiles - 1, "");
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i] = "/f" + std::to_string(i);
    outcome = AddToStoredList(full, {"/x", "/y"});
    EXPECT_EQ(full.size(), kMaxStoredFiles);
    EXPECT_EQ(outcome.overLimit, 1u);
}

} // namespace
