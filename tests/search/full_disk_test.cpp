// A target disk that fills during a saved search: the counts the run reports are the hits the
// dump holds, and no summary is left that the files do not bear out.
#include "search/search_run.h"

#include "codes/code_tables.h"
#include "core/file_io.h"
#include "core/os_calls.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace lexmora {
namespace {

TEST(FullDisk, CountsAreTheSavedHitsAndNoHalfSummaryStays) {
    // Room for the headers and a little over one block of records: the second block is cut.
    for (const std::size_t room : {std::size_t{300000}, std::size_t{600000}}) {
        SCOPED_TRACE(room);
        test::TempDir dir;
        ProgramState state;
        state.CodeRows = BuiltInCodeRows();
        state.CodeMode = kCodeAnsi;
        state.LeftContext = 10;
        state.RightContext = 10;
        state.SourceDirectory = dir.makeFolder("src") + "/";
        state.SourceFileType = "*.*";
        state.TargetDirectory = dir.makeFolder("out");
        state.InvalidFileNameChars = "\\/:*?\"<>|";
        state.SaveToFile = true;
        state.Keywords = {"cat"};
        state.KeywordCase = {false};
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "a cat sat.\r\n";
        dir.write("src/a.txt", text);
        state.SourceFiles = {"a.txt"};
        SearchObserver observer;
        SilentPrompter prompter;
        SearchRun run;
        {
            const test::SmallDisk disk(room);
            RunSearch(state, run, observer, prompter);
        }
        ASSERT_TRUE(run.failed);
        ASSERT_EQ(run.incompleteDumpFiles.size(), 1u);
        const std::string dump = run.incompleteDumpFiles[0];
        const auto size = fileSize(dump);
        ASSERT_TRUE(size);
        const auto length = static_cast<std::uint64_t>(run.RecordLength);
        EXPECT_EQ(*size % length, 0u);
        const auto saved = static_cast<std::int64_t>(*size / length) - 1;
        EXPECT_GT(saved, 0);
        EXPECT_LT(saved, 20000);
        EXPECT_EQ(run.HitsPerKeyword[0], saved);
        EXPECT_EQ(run.HitsTotal, saved);
        EXPECT_EQ(SearchSummaryLines(state, run)[0],
                  " " + std::to_string(saved) + " examples found of \xAB cat \xBB");
        EXPECT_FALSE(fileIsPresent(SummaryPathFor(dump)));
    }
}

} // namespace
} // namespace lexmora
