// The profile reader and writer: names without regard to case, first match, and a write that
// leaves every other byte of the file alone.
#include "core/profile.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(ProfileRead, FindsValuesAsTheProfileFunctionsDo) {
    const std::string text = "; comment=1\r\n"
                             "[Other]\r\nKey=other\r\n"
                             "[ defaults ]\r\n"
                             "  key  =  first value  \r\n"
                             "KEY=second\r\n"
                             "Quoted=\"  spaced  \"\r\n"
                             "Empty=\r\n"
                             "no equals sign\r\n"
                             "[Defaults]\r\nLater=hidden\r\n";
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    } cases[] = {
        {"Defaults", "Key", "first value"},    // case-blind names, first match, trimmed
        {"DEFAULTS", "quoted", "  spaced  "},  // quotes keep inner blanks
        {"Defaults", "Empty", ""},             // present but empty
        {"Defaults", "Missing", std::nullopt}, // absent
        {"Other", "Key", "other"},             // other sections are separate
        {"Defaults", "Later", std::nullopt},   // only the first section of a name counts
        {"Nowhere", "Key", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findProfileValue(text, c.section, c.key), c.expected) << c.key;
}

TEST(ProfileWrite, ChangesOnlyWhatItMust) {
    struct Case {
        const char* what;
        std::string before;
        std::string after;
    } cases[] = {
        {"new file", "", "[Defaults]\r\nKey=v\r\n"},
        {"replace first match, keep spelling of the rest",
         "[Defaults]\r\nkey = old\r\nKey=older\r\n", "[Defaults]\r\nKey=v\r\nKey=older\r\n"},
        {"add at the end of the section, before blank lines and the next section",
         "[Defaults]\r\nA=1\r\n\r\n[Next]\r\nKey=x\r\n",
         "[Defaults]\r\nA=1\r\nKey=v\r\n\r\n[Next]\r\nKey=x\r\n"},
        {"add a section to a file without a final line end", "[Other]\r\nA=1",
         "[Other]\r\nA=1\r\n[Defaults]\r\nKey=v\r\n"},
        {"LF file keeps LF", "[Defaults]\nA=1\n", "[Defaults]\nA=1\nKey=v\n"},
        {"last line of the section without line end", "[Defaults]\r\nA=1",
         "[Defaults]\r\nA=1\r\nKey=v\r\n"},
        {"comment lines that look like keys are not keys", "[Defaults]\r\n;Key=c\r\n",
         "[Defaults]\r\n;Key=c\r\nKey=v\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(setProfileValue(c.before, "Defaults", "Key", "v"), c.after) << c.what;
}

TEST(ProfileWrite, WritesTheFileWholeAndRefusesAFolder) {
    test::TempDir dir;
    const std::string path = dir.path() + "/lexmora9.ini";
    ASSERT_TRUE(writeProfileValue(path, "Defaults", "A", "1"));
    ASSERT_TRUE(writeProfileValue(path, "Defaults", "B", "2"));
    EXPECT_EQ(test::readFile(path), "[Defaults]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(readProfileValue(path, "defaults", "b"), "2");
    EXPECT_FALSE(writeProfileValue(dir.makeFolder("folder.ini"), "Defaults", "A", "1"));
    EXPECT_FALSE(writeProfileValue(dir.path() + "/missing/x.ini", "Defaults", "A", "1"));
}

} // namespace
} // namespace lexmora
