// Path helpers, table-driven.
#include "core/paths.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(Paths, SplitAndJoin) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
        const char* extension;
        const char* stripped;
    } cases[] = {
        {"/home/ann/texts/le chat.txt", "/home/ann/texts", "le chat.txt", ".txt",
         "/home/ann/texts/le chat"},
        {"/a.b/file", "/a.b", "file", "", "/a.b/file"}, // a dot in a folder is no extension
        {"notes", "", "notes", "", "notes"},
        {"/top.txt", "/", "top.txt", ".txt", "/top"},
        {"archive.tar.gz", "", "archive.tar.gz", ".gz", "archive.tar"},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
        EXPECT_EQ(StripExtension(c.path), c.stripped) << c.path;
    }
    EXPECT_EQ(AddBackslash("/tmp/"), "/tmp/");
    EXPECT_EQ(AddBackslash("/tmp"), "/tmp/");
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(JoinPath("/tmp", "a"), "/tmp/a");
    EXPECT_EQ(JoinPath("/tmp/", "/a"), "/tmp/a");
}

TEST(Paths, ShortenPathKeepsBothEnds) {
    const std::string sixty = "123456789012345678901234567890123456789012345678901234567890";
    const std::string shortened = ShortenPath(sixty, 50);
    EXPECT_EQ(shortened, sixty.substr(0, 25) + "~" + sixty.substr(35));
    EXPECT_EQ(shortened.size(), 51u);
    EXPECT_EQ(ShortenPath(sixty.substr(0, 50), 50), sixty.substr(0, 50));
}

TEST(Paths, ShortNames) {
    EXPECT_EQ(ShortFileName("Frequency lists.text"), "FREQUENC.TEX");
    EXPECT_EQ(ShortFileName("a.b.c"), "AB.C");
    EXPECT_EQ(ShortFileName("README"), "README");
}

} // namespace
} // namespace lexmora
