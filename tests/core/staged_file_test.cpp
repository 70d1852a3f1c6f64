// A new file saved under a free name never takes a name another run took while it was written:
// it goes to the next free name, and the other run's file stays as it was.
#include "core/staged_file.h"

#include "core/file_io.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>

namespace lexmora {
namespace {

bool folderIsEmpty(const std::string& folder) {
    DIR* d = ::opendir(folder.c_str());
    int entries = 0;
    while (d != nullptr && ::readdir(d) != nullptr)
        ++entries;
    if (d != nullptr)
        ::closedir(d);
    return entries == 2; // "." and ".."
}

TEST(SaveUnderFreeName, ANameTakenWhileWritingGoesToTheNextFreeName) {
    test::TempDir dir;
    const auto freeName = [&]() -> std::string {
        for (int n = 1;; ++n) {
            const std::string path = dir.path() + "/x_" + std::to_string(n) + ".cnc";
            if (!fileIsPresent(path))
                return path;
        }
    };
    int writes = 0;
    const auto write = [&](StagedFile& out) {
        if (++writes == 1)
            dir.write("x_1.cnc", "theirs"); // another run saves under the name chosen
        return out.append("ours\r\n");
    };
    int error = -1;
    EXPECT_EQ(SaveUnderFreeName(freeName, write, error), dir.path() + "/x_2.cnc");
    EXPECT_EQ(error, 0);
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(dir.read("x_1.cnc"), "theirs");
    EXPECT_EQ(dir.read("x_2.cnc"), "ours\r\n");
}

TEST(SaveUnderFreeName, NoFreeNameOrADeclinedWriteLeavesNothing) {
    test::TempDir dir;
    int error = -1;
    EXPECT_EQ(
        SaveUnderFreeName([] { return std::string(); }, [](StagedFile&) { return true; }, error),
        "");
    EXPECT_EQ(error, 0);
    const std::string target = dir.path() + "/a.lex";
    EXPECT_EQ(SaveUnderFreeName([&] { return target; }, [](StagedFile&) { return false; }, error),
              "");
    EXPECT_FALSE(fileIsPresent(target));
    EXPECT_TRUE(folderIsEmpty(dir.path())); // no temporary either
}

} // namespace
} // namespace lexmora
