// Running other programs without a shell: exit status, missing programs, arguments kept whole.
#include "core/run_process.h"

#include "core/file_utils.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

TEST(RunProcess, ExitStatusAndMissingPrograms) {
    EXPECT_EQ(RunAndWait({"true"}), 0);
    EXPECT_EQ(RunAndWait({"false"}), 1);
    EXPECT_EQ(RunAndWait({"sh", "-c", "exit 7"}), 7);
    EXPECT_EQ(RunAndWait({"sh", "-c", "kill -9 $$"}), -1);
    EXPECT_EQ(RunAndWait({"no-such-program-lexmora"}), -1);
    EXPECT_EQ(RunAndWait({}), -1);
    EXPECT_FALSE(StartProcess({"no-such-program-lexmora"}));
    EXPECT_TRUE(StartProcess({"true"}));
}

TEST(RunProcess, ArgumentsAreNeverShellSyntax) {
    test::TempDir dir;
    const std::string name = dir.path() + "/a b;touch injected $(x).txt";
    EXPECT_EQ(RunAndWait({"touch", name}), 0);
    EXPECT_TRUE(FileExists(name));
    EXPECT_FALSE(FileExists("injected"));
    EXPECT_EQ(CountFiles(dir.path() + "/*.*"), 1u);
}

TEST(RunProcess, FindProgramAlongPath) {
    const std::string sh = FindProgram("sh");
    ASSERT_FALSE(sh.empty());
    EXPECT_EQ(sh.front(), '/');
    EXPECT_EQ(FindProgram(sh), sh);
    EXPECT_EQ(FindProgram("no-such-program-lexmora"), "");
    EXPECT_EQ(FindProgram("/etc/passwd"), ""); // not executable
    EXPECT_EQ(FindProgram(""), "");
}

} // namespace
} // namespace lexmora
