// Patterns and counts, folder listings, invalid extensions, line reads, the Unicode and binary
// tests, the UTF-16 copy and unique result-file names.
#include "core/file_utils.h"

#include "core/settings.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lexmora {
namespace {

TEST(FileUtilsPattern, WildcardsCaseAndDotRules) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"notes.txt", "*.txt", true},
        {"NOTES.TXT", "*.txt", true}, // without regard to case
        {"notes.txt2", "*.txt", false},
        {"notes.txt", "*.*", true},
        {"README", "*.*", true}, // "*.*" also takes names without extension
        {"README", "readme.*", true},
        {"README", "*.txt", false},
        {"a.b.c", "*.c", true},
        {"le_chat_001.dmp", "le_chat_001.dmp", true},
        {"le_chat_001.dmp", "le_chat_00?.dmp", true},
        {"le_chat_01.dmp", "le_chat_00?.dmp", false},
        {"dumpfile.x", "dumpfile.*", true},
        {"a[1].txt", "a[1].txt", true}, // brackets are plain characters
        {"a1.txt", "a[1].txt", false},
        {".hidden.txt", "*.txt", false}, // hidden names need a pattern that starts with "."
        {".hidden.txt", ".*", true},
        {"abcabcx", "*abc*x", true}, // backtracking
        {"x", "", false},
        {"", "*", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(FileUtilsCount, PatternListsInTheFolderOfTheFirst) {
    test::TempDir dir;
    dir.write("a.txt", "a");
    dir.write("B.TXT", "b");
    dir.write("c.doc", "c");
    dir.write("dumpfile.1", "d");
    dir.write("x.dmp", "x");
    dir.write(".hidden.txt", "h");
    dir.makeFolder("folder.txt"); // folders are not files
    dir.write("sub/z.txt", "z");
    const std::string base = dir.path() + "/";
    EXPECT_EQ(CountFiles(base + "*.txt"), 2u);
    EXPECT_EQ(CountFiles(base + "*.*"), 5u);
    EXPECT_EQ(CountFiles(base + "*.dmp;dumpfile.*"), 2u);
    EXPECT_EQ(CountFiles(base + "*.txt;*.doc;nothing.*"), 3u);
    EXPECT_EQ(CountFiles(base + "a.txt"), 1u);
    EXPECT_EQ(CountFiles(base + "A.txt"), 0u); // a plain name names one file, case and all
    EXPECT_EQ(CountFiles(base + "folder.txt"), 0u);
    EXPECT_EQ(CountFiles(base + "missing/*.*"), 0u);
    EXPECT_EQ(CountFiles(""), 0u);
    EXPECT_TRUE(FileExists(base + "a.txt"));
    EXPECT_TRUE(FileExists(base + "*.doc"));
    EXPECT_FALSE(FileExists(base + "*.pdf"));
    EXPECT_FALSE(FileExists(base + "folder.txt"));
    EXPECT_FALSE(FileExists(base + "sub"));
}

TEST(FileUtilsInvalidExtension, WholeEntriesOfFourCharacters) {
    const std::string list = kBuiltInInvalidExtensions;
    ASSERT_EQ(list.size() % 4, 0u); // entries stay aligned when the user adds some
    // The extension is cut to four characters first: ".jpeg" is the listed ".JPE".
    struct Case {
        const char* name;
        bool invalid;
    };
    const Case cases[] = {
        {"a.gz", true},     {"a.GZ", true},         {"a.gzip", false}, {"noextension", false},
        {"a.exe", true},    {"a.Exe", true},        {"a.txt", false},  {"a.dmp", true},
        {"a.jpeg", true},   {"a.jpg", true},        {"a.js", true},    {"a.pl", true},
        {"a.c", false},     {"a.h", false},         {"a.", false},     {"a.d", false},
        {"a.tar.gz", true}, {"dir.gz/file", false}, {"a.386", true},   {"a.zip", true},
        {"a.ZIPX", true},   {"a.doc", false},       {"a.au", true},    {"a.b.au ", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasInvalidExtension(c.name, list), c.invalid) << c.name;
    // Entries the user adds count too; a misaligned text inside the list does not.
    EXPECT_TRUE(HasInvalidExtension("x.abc", list + ".ABC"));
    EXPECT_FALSE(HasInvalidExtension("x.Ps", ".DPS"));
    EXPECT_FALSE(HasInvalidExtension("x.any", ""));
}

TEST(FileUtilsSplit, FirstLineEndKindThatOccurs) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\nb\r\nc", {"a\nb", "c"}}, // CR LF wins over a lone LF
        {"a\rb\rc\r", {"a", "b", "c"}},
        {"a\nb\n", {"a", "b"}},
        {"a<br>b<br>c", {"a", "b", "c"}},
        {"a<br>b\nc", {"a<br>b", "c"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitText(c.text), c.lines) << c.text;
    test::TempDir dir;
    EXPECT_EQ(SplitLines(dir.write("f.txt", "x\r\ny")), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(SplitLines(dir.path() + "/missing").empty());
    EXPECT_EQ(ReadWholeFile(dir.path() + "/f.txt"), "x\r\ny");
    EXPECT_EQ(ReadWholeFile(dir.path() + "/missing"), "");
}

TEST(FileUtilsBinary, NulInTheTestedStartAndNoByteOrderMark) {
    using namespace std::string_literals;
    EXPECT_TRUE(IsUnicodeText("\xFF\xFE"s));
    EXPECT_TRUE(IsUnicodeText("\xFE\xFFx"s));
    EXPECT_FALSE(IsUnicodeText("\xFF"s));
    EXPECT_FALSE(IsUnicodeText("\xEF\xBB\xBFutf8"s));
    struct Case {
        std::string start;
        std::uint64_t length;
        bool binary;
    };
    const Case cases[] = {
        {"plain text", 10, false},
        {"ab\0cd"s, 5, true},
        {"abcd\0"s, 5, false}, // the last byte is not tested
        {"\0"s, 1, false},
        {"", 0, false},
        {"\xFF\xFE"
         "a\0b\0"s,
         6, false}, // UTF-16 text
        {std::string(32766, 'a') + "\0"s, 40000, true},
        {std::string(32767, 'a') + "\0"s, 40000, false}, // beyond the tested start
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsBinaryText(c.start, c.length), c.binary) << c.start.size();
}

TEST(FileUtilsUniqueName, ReplacedCharactersCounterAndLengthLimit) {
    test::TempDir dir;
    const std::string invalid = "\\?<>:*/|\"";
    struct Case {
        std::string base;
        const char* extension;
        std::string name;
    };
    const Case cases[] = {
        {"le chat", ".dmp", "le_chat_001.dmp"},
        {"?*", ".dmp", "___001.dmp"},
        {"a/b\\c:d", ".log", "a_b_c_d_001.log"},
        {"\xE9t\xE9", ".dmp", "\xC3\xA9t\xC3\xA9_001.dmp"}, // written to disk as UTF-8
        {".net", ".sum", "_net_001.sum"},                   // never a hidden file
        {"tab\there", ".dmp", "tab_here_001.dmp"},
        {"", ".dmp", "_001.dmp"},
        {"x", "", "x_001"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeUniqueFileName(dir.path(), c.base, c.extension, invalid), c.name) << c.base;

    // The base of "?" and "*" is "__", whatever the settings list holds.
    EXPECT_EQ(MakeUniqueFileName(dir.path(), "?*", ".dmp", ""), "___001.dmp");

    dir.write("le_chat_001.dmp", "");
    EXPECT_EQ(MakeUniqueFileName(dir.path(), "le chat", ".dmp", invalid), "le_chat_002.dmp");
    dir.write("le_chat_002.dmp", "");
    dir.makeFolder("le_chat_003.dmp"); // taken, though not a file
    EXPECT_EQ(MakeUniqueFileName(dir.path(), "le chat", ".dmp", invalid), "le_chat_004.dmp");
    EXPECT_EQ(MakeUniqueFileName(dir.path(), "Le chat", ".dmp", invalid), "Le_chat_001.dmp");

    const std::string longName =
        MakeUniqueFileName(dir.path(), std::string(300, 'k'), ".dmp", invalid);
    EXPECT_EQ(longName, std::string(247, 'k') + "_001.dmp");
    EXPECT_EQ(longName.size(), 255u);
    // A cut never splits a letter's UTF-8 sequence: 250 two-byte letters leave 123 whole ones.
    const std::string accented =
        MakeUniqueFileName(dir.path(), std::string(250, '\xE9'), ".dmp", invalid);
    EXPECT_EQ(accented.size(), 254u);
    EXPECT_EQ(accented.substr(246), "_001.dmp");
    dir.write(longName, "");
    EXPECT_EQ(MakeUniqueFileName(dir.path(), std::string(300, 'k'), ".dmp", invalid),
              std::string(247, 'k') + "_002.dmp");
}

TEST(FileUtilsDeleteResults, RemovesTheThreeResultFilesOfTheBase) {
    test::TempDir dir;
    for (const char* name : {"k_001.dmp", "k_001.log", "k_001.sum", "k_001.cnc", "k_002.dmp"})
        dir.write(name, "x");
    DeleteResultFiles(dir.path() + "/k_001.dmp");
    DeleteResultFiles(dir.path() + "/nothing.dmp"); // nothing there: no harm
    EXPECT_EQ(CountFiles(dir.path() + "/*.*"), 2u);
    EXPECT_TRUE(FileExists(dir.path() + "/k_001.cnc"));
    EXPECT_TRUE(FileExists(dir.path() + "/k_002.dmp"));
}

} // namespace
} // namespace lexmora
