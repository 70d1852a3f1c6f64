// The recent files kept in the settings file: most recent first, no repeats, ten at most, the
// other settings untouched, and a shorter list leaving no stale entries.
#include "core/recent_files.h"

#include "core/file_io.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace lexmora;

namespace {

class RecentFilesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string ini = dir.path() + "/lexmora9.ini";
};

TEST_F(RecentFilesTest, MostRecentFirstWithoutRepeatsAndTheSettingsKept) {
    std::ofstream(ini, std::ios::binary) << "[Defaults]\r\nLanguage=English\r\n";
    ASSERT_TRUE(RememberRecent(ini, RecentKind::ResultFile, "/c/a.dmp"));
    ASSERT_TRUE(RememberRecent(ini, RecentKind::ResultFile, "/c/b.dmp"));
    ASSERT_TRUE(RememberRecent(ini, RecentKind::ResultFile, "/c/a.dmp"));
    ASSERT_TRUE(RememberRecent(ini, RecentKind::SourceFolder, "/corpus/fr"));
    EXPECT_EQ(RecentPaths(ini, RecentKind::ResultFile),
              (std::vector<std::string>{"/c/a.dmp", "/c/b.dmp"}));
    EXPECT_EQ(RecentPaths(ini, RecentKind::SourceFolder), (std::vector<std::string>{"/corpus/fr"}));
    EXPECT_TRUE(RecentPaths(ini, RecentKind::WordList).empty());
    EXPECT_EQ(*readFileBytes(ini), "[Defaults]\r\nLanguage=English\r\n[Recent Files]\r\n"
                                   "Result1=/c/a.dmp\r\nResult2=/c/b.dmp\r\n"
                                   "Folder1=/corpus/fr\r\n");
}

TEST_F(RecentFilesTest, TenAtMostAndForgettingLeavesNoStaleEntry) {
    for (int i = 1; i <= 12; ++i)
        ASSERT_TRUE(RememberRecent(ini, RecentKind::WordList, "/l/" + std::to_string(i) + ".lst"));
    std::vector<std::string> expected;
    for (int i = 12; i >= 3; --i)
        expected.push_back("/l/" + std::to_string(i) + ".lst");
    EXPECT_EQ(RecentPaths(ini, RecentKind::WordList), expected);

    ASSERT_TRUE(ForgetRecent(ini, RecentKind::WordList, "/l/12.lst"));
    expected.erase(expected.begin());
    EXPECT_EQ(RecentPaths(ini, RecentKind::WordList), expected);
    EXPECT_EQ(readFileBytes(ini)->find("WordList10=/"), std::string::npos);
}

TEST_F(RecentFilesTest, PathsTheFileCannotHoldAreRefused) {
    for (const std::string bad : {"", "/a\nb.dmp", " /lead.dmp", "/trail.dmp "})
        EXPECT_FALSE(RememberRecent(ini, RecentKind::ResultFile, bad)) << bad;
    EXPECT_TRUE(RecentPaths(ini, RecentKind::ResultFile).empty());
}

TEST_F(RecentFilesTest, AnUnwritableSettingsFileKeepsTheListAsItWas) {
    ASSERT_TRUE(RememberRecent(ini, RecentKind::ResultFile, "/c/a.dmp"));
    const std::string blocked = dir.path() + "/missing/dir/lexmora9.ini";
    EXPECT_FALSE(RememberRecent(blocked, RecentKind::ResultFile, "/c/b.dmp"));
    EXPECT_TRUE(RecentPaths(blocked, RecentKind::ResultFile).empty());
}

} // namespace
