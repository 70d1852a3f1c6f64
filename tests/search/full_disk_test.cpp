// A target disk that fills during a saved search: the counts the run reports are the hits the
// dump holds, and no summary is left that the files do not bear out.
#include "search/search_run.h"

#include "codes/code_tables.h"
#include "core/file_io.h"
#include "core/os_calls.h"
#include "search/result_files.h"
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
            RunSearch(state, SearchRequestFor(state), run, observer, prompter);
        }
        ASSERT_TRUE(run.failed);
        // Told as a full disk, with the number of the write that failed (on the writer's
        // thread or here).
        ASSERT_TRUE(run.lastFailure);
        EXPECT_EQ(run.lastFailure->code, FailureCode::DiskFull);
        EXPECT_EQ(run.lastFailure->systemError, ENOSPC);
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
        EXPECT_EQ(SearchSummaryLines(SearchChoicesIn(state), run)[0],
                  " " + std::to_string(saved) + " examples found of \xAB cat \xBB");
        EXPECT_FALSE(fileIsPresent(SummaryPathFor(dump)));
    }
}

// Sixty files of hits: the disk fills while the dump's blocks and the files' log entries
// interleave. Whatever the dump holds afterwards, each of its records names a log entry the log
// holds, so that the viewer can always show a record's source.
TEST(FullDisk, EveryDumpRecordHasItsLogEntry) {
    for (const std::size_t room :
         {std::size_t{150000}, std::size_t{400000}, std::size_t{900000}, std::size_t{1700000}}) {
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
        state.Keywords = {"the"};
        state.KeywordCase = {false};
        std::string text;
        for (int i = 0; i < 500; ++i)
            text += "the cat sat.\r\n";
        for (int f = 0; f < 60; ++f) {
            const std::string name = "f" + std::to_string(100 + f) + ".txt";
            dir.write("src/" + name, text);
            state.SourceFiles.push_back(name);
        }
        SearchObserver observer;
        SilentPrompter prompter;
        SearchRun run;
        {
            const test::SmallDisk disk(room);
            RunSearch(state, SearchRequestFor(state), run, observer, prompter);
        }
        ASSERT_TRUE(run.failed);
        ASSERT_EQ(run.incompleteDumpFiles.size(), 1u);
        const std::string dump = test::readFile(run.incompleteDumpFiles[0]);
        const std::string log = test::readFile(LogPathFor(run.incompleteDumpFiles[0]));
        const auto length = static_cast<std::size_t>(run.RecordLength);
        ASSERT_EQ(dump.size() % length, 0u);
        ASSERT_GT(dump.size() / length, 1u); // some records were saved
        std::int32_t last = 0;
        for (std::size_t at = length; at < dump.size(); at += length) {
            const auto number =
                SplitDumpRecord(std::string_view(dump).substr(at, length), run.RecordLength)
                    .logEntryNumber;
            ASSERT_TRUE(number);
            if (*number == last)
                continue;
            last = *number;
            EXPECT_TRUE(FindLogEntry(log, *number)) << "entry " << *number;
        }
        EXPECT_GT(last, 1);
    }
}

} // namespace
} // namespace lexmora
