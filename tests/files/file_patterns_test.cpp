#include "files/file_patterns.h"

#include "support/test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

struct PatternCase {
    const char* name;
    const char* pattern;
    bool matches;
};

TEST(FilePatterns, MatchTable) {
    const PatternCase cases[] = {
        {"notes.txt", "*.txt", true},
        {"NOTES.TXT", "*.txt", true}, // the chooser never minded case
        {"notes.txt.bak", "*.txt", false},
        {"README", "*.*", true}, // "*.*" takes names without a dot
        {"a.b.c", "*.*", true},
        {"report", "report.*", true}, // so does any "name.*"
        {"report.doc", "report.*", true},
        {"reporter", "report.*", false},
        {"page.htm", "*.htm", true},
        {"page.html", "*.htm", false}, // no 8.3 aliasing on this system
        {"a1.dat", "a?.dat", true},
        {"a12.dat", "a?.dat", false},
        {"caf\xC3\xA9.txt", "CAF?*.TXT", true}, // "?" is one byte, "*" takes the rest
        {"x.wp5", "*.wp#", false},              // "#" is a plain character in patterns
        {"x.wp#", "*.wp#", true},
        {"", "*", false},
        {".profile", "*.*", false}, // hidden names are never listed
        {"abc", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(FilePatterns, SplitsListsOfPatterns) {
    EXPECT_EQ(SplitPatterns("*.htm;*.html"), (std::vector<std::string>{"*.htm", "*.html"}));
    EXPECT_EQ(SplitPatterns(" *.a ; ;*.b;"), (std::vector<std::string>{"*.a", "*.b"}));
    EXPECT_TRUE(SplitPatterns("").empty());
    EXPECT_EQ(std::string(kFileTypes[3]), "*.htm;*.html");
}

TEST(FilePatterns, ListOrderIsCaseBlindAndTotal) {
    std::vector<std::string> names = {"b.txt", "A.txt", "a.txt", "C.txt", "a.TXT"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameBefore(a, b); });
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "a.TXT", "a.txt", "b.txt", "C.txt"}));
}

TEST(FilePatterns, ListsRegularFilesOfOneFolder) {
    test::TempDir dir;
    dir.write("b.txt", "b");
    dir.write("a.TXT", "a");
    dir.write("c.doc", "c");
    dir.write(".hidden.txt", "h");
    dir.write("sub/inner.txt", "i");
    dir.write("line\nbreak.txt", "n");
    dir.write("latin\xE9.txt", "l"); // not UTF-8: listed with its own bytes
    ASSERT_EQ(::symlink("b.txt", (dir.path() + "/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere.txt", (dir.path() + "/dangling.txt").c_str()), 0);
    EXPECT_EQ(ListMatchingFiles(dir.path(), "*.txt"),
              (std::vector<std::string>{"a.TXT", "b.txt", "latin\xE9.txt", "line\nbreak.txt",
                                        "link.txt"}));
    EXPECT_EQ(ListMatchingFiles(dir.path(), "*.doc;*.TXT").size(), 6u);
    EXPECT_EQ(ListSubfolders(dir.path()), std::vector<std::string>{"sub"});
    EXPECT_TRUE(ListMatchingFiles(dir.path() + "/missing", "*.*").empty());
}

TEST(FilePatterns, TreeCountEndsInLinkLoops) {
    test::TempDir dir;
    dir.write("top.txt", "1");
    dir.write("one/a.txt", "2");
    dir.write("one/two/b.txt", "3");
    dir.write("one/two/c.dat", "4");
    // A loop back to the top and a second way into the same folder: each folder counts once.
    ASSERT_EQ(::symlink("../..", (dir.path() + "/one/two/up").c_str()), 0);
    ASSERT_EQ(::symlink("one/two", (dir.path() + "/zagain").c_str()), 0);
    const TreeCount count = CountTreeFiles(dir.path(), "*.txt");
    EXPECT_EQ(count.files, 3u);
    EXPECT_EQ(count.folders, 3u);
    EXPECT_EQ(
        ListTreeFiles(dir.path(), "*.*"),
        (std::vector<std::string>{dir.path() + "/top.txt", dir.path() + "/one/a.txt",
                                  dir.path() + "/one/two/b.txt", dir.path() + "/one/two/c.dat"}));
}

TEST(FilePatterns, UnreadableFolderIsCountedNotFatal) {
    test::TempDir dir;
    dir.write("a.txt", "1");
    const TreeCount count = CountTreeFiles(dir.path() + "/no-such-folder", "*.*");
    EXPECT_EQ(count.files, 0u);
    EXPECT_EQ(count.folders, 0u);
    if (::geteuid() != 0) {
        const std::string locked = dir.makeFolder("locked");
        dir.write("locked/x.txt", "x");
        ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
        const TreeCount partial = CountTreeFiles(dir.path(), "*.txt");
        EXPECT_EQ(partial.files, 1u);
        EXPECT_EQ(partial.unreadableFolders, 1u);
    }
}

} // namespace
