#include "files/source_selection.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace lexmora;
using namespace lexmora::files;

namespace {

TEST(SourceSelection, EachKindOfSelection) {
    test::TempDir dir;
    dir.write("a.txt", "");
    dir.write("b.doc", "");
    dir.write("sub/c.txt", "");
    const std::string root = dir.path();
    ProgramState state;
    state.SourceDirectory = root;

    EXPECT_EQ(ExpandSourceSelection(state),
              (std::vector<std::string>{root + "/a.txt", root + "/b.doc"}));
    state.SourceFileType = "*.txt";
    EXPECT_EQ(ExpandSourceSelection(state), std::vector<std::string>{root + "/a.txt"});
    state.SourceFilesSaved = {"b.doc"};
    EXPECT_EQ(ExpandSourceSelection(state), std::vector<std::string>{root + "/b.doc"});
    state.IncludeSubfolders = true;
    EXPECT_EQ(ExpandSourceSelection(state),
              (std::vector<std::string>{root + "/a.txt", root + "/sub/c.txt"}));
    state.SourceIsFileList = true;
    state.StoredFileList = {"/elsewhere/x.txt", root + "/a.txt"};
    EXPECT_EQ(ExpandSourceSelection(state), state.StoredFileList);
}

} // namespace
