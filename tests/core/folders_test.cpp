#include "core/folders.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace lexmora {
namespace {

// A tree with a link beside it: root/src/sub/deep, root/out, root/link -> root/src.
struct Tree {
    test::TempDir dir;
    std::string root = dir.path();
    Tree() {
        dir.makeFolder("src/sub/deep");
        dir.makeFolder("out");
        dir.makeFolder("src2");
        EXPECT_EQ(::symlink((root + "/src").c_str(), (root + "/link").c_str()), 0);
    }
};

TEST(SameFolder, LinksDotsAndSeparatorsNameOneFolder) {
    Tree t;
    const std::string& r = t.root;
    struct Case {
        std::string a, b;
        bool same;
    };
    const std::vector<Case> cases = {
        {r + "/src", r + "/src/", true},        {r + "/src", r + "/src//", true},
        {r + "/src", r + "/out/../src", true},  {r + "/src", r + "/./src/sub/..", true},
        {r + "/src", r + "/link", true},        {r + "/src/sub", r + "/link/sub/", true},
        {r + "/src", r + "/src2", false},       {r + "/src", r + "/src/sub", false},
        {r + "/new", r + "/out/../new/", true}, // not there yet: by its resolved name
        {r + "/new", r + "/new2", false},       {"", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameFolder(c.a, c.b), c.same) << c.a << " vs " << c.b;
}

TEST(FolderInside, BelowOrEqualJudgedOnTheFolders) {
    Tree t;
    const std::string& r = t.root;
    struct Case {
        std::string inner, outer;
        bool inside;
    };
    const std::vector<Case> cases = {
        {r + "/src", r + "/src", true},
        {r + "/src/sub/deep", r + "/src/", true},
        {r + "/out/../src/sub", r + "/src", true},
        {r + "/link/sub", r + "/src", true},    // through a link
        {r + "/src/sub", r + "/link/", true},   // the tree named through a link
        {r + "/src/new/one", r + "/src", true}, // not there yet
        {r + "/src/sub/../../out", r + "/src", false},
        {r + "/src2", r + "/src", false}, // a longer name is not a sub-folder
        {r + "/src", r + "/src/sub", false},
        {r + "/out", r + "/src", false},
        {"", r, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderInside(c.inner, c.outer), c.inside) << c.inner << " in " << c.outer;
}

TEST(FolderInside, RelativeNamesCountFromTheCurrentFolder) {
    Tree t;
    const std::string before = CurrentFolder();
    ASSERT_EQ(::chdir((t.root + "/src").c_str()), 0);
    EXPECT_TRUE(SameFolder(".", t.root + "/src"));
    EXPECT_TRUE(FolderInside("sub/../sub/deep", "."));
    EXPECT_FALSE(FolderInside("..", "."));
    EXPECT_TRUE(FolderInside(".", ".."));
    ASSERT_EQ(::chdir(before.c_str()), 0);
}

} // namespace
} // namespace lexmora
