#include "search/result_files.h"

#include "search/kwic_line.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace lexmora {
namespace {

std::string blanks(std::size_t n) {
    return std::string(n, ' ');
}

TEST(ResultFilesRecord, RecordLengthIsAtLeast80AndFitsSixteenBits) {
    EXPECT_EQ(ComputeRecordLength(60, 4, 60), 139);
    EXPECT_EQ(ComputeRecordLength(10, 4, 10), 80);
    EXPECT_EQ(ComputeRecordLength(550, 40, 550), 1155);
    EXPECT_EQ(ComputeRecordLength(20000, 0, 20000), std::nullopt);
}

TEST(ResultFilesRecord, FieldsAreCutOrPaddedToExactWidths) {
    struct Case {
        std::string text, name;
        std::int32_t entry;
        int length;
        std::string expected;
    };
    const std::string text85(85, 'x');
    const Case cases[] = {
        // 85 characters lose 6 in a 79-character text field.
        {text85, "ABCDEFGH.TXT", 1, 100, std::string(79, 'x') + " ABCDEFGH.TXT 00001\r\n"},
        // 60 characters get 19 blanks; a short name is padded to 12.
        {std::string(60, 'y'), "A.TXT", 42, 100,
         std::string(60, 'y') + blanks(19) + " A.TXT" + blanks(7) + " 00042\r\n"},
        // A name longer than 12 is cut; the header record has 12 blanks.
        {"t", "VERYLONGNAME.TEXT", 99999, 80, "t" + blanks(58) + " VERYLONGNAME 99999\r\n"},
        {"", "", 0, 80, blanks(59) + " " + blanks(12) + " 00000\r\n"},
    };
    for (const auto& c : cases) {
        const std::string record = BuildDumpRecord(c.text, c.name, c.entry, c.length);
        EXPECT_EQ(record, c.expected);
        EXPECT_EQ(record.size(), static_cast<std::size_t>(c.length));
    }
}

TEST(ResultFilesRecord, EntryNumberNeverWidensTheRecord) {
    EXPECT_EQ(FormatEntryNumber(7), "00007");
    EXPECT_EQ(FormatEntryNumber(12345), "12345");
    EXPECT_EQ(BuildDumpRecord("a", "B", 123456, 80).size(), 80u);
}

TEST(ResultFilesRecord, HeaderTextIsCutLikeAnyTextField) {
    const std::string text = BuildDumpHeaderText("love_001.dmp", 80, 10, "love");
    EXPECT_EQ(text, "#32 Filename:     love_001.dmp    ##Recordlength:  80     ##LeftContext:  10"
                    " ##Keyword   :   love");
    // With RecordLength 80 only 59 characters stay: the left context label is lost.
    EXPECT_EQ(BuildDumpRecord(text, "", 0, 80),
              "#32 Filename:     love_001.dmp    ##Recordlength:  80     #" + blanks(1) +
                  blanks(12) + " 00000\r\n");
}

TEST(ResultFilesLog, LinesAreExactly296CharactersAndCrLf) {
    EXPECT_EQ(FitLogLine("abc"), "abc" + blanks(293) + "\r\n");
    EXPECT_EQ(FitLogLine(std::string(300, 'z')), std::string(296, 'z') + "\r\n");
    EXPECT_EQ(FitLogLine(std::string(296, 'q')), std::string(296, 'q') + "\r\n");
}

TEST(ResultFilesLog, EntryLineFieldsAndCutOfTheCodeName) {
    const std::string line =
        BuildLogEntry(3, "CHAT.TXT", "/home/u/corpus/chat.txt", "06/12/2026", "Windows  ");
    const std::string expected = "00003 file:CHAT.TXT     |/home/u/corpus/chat.txt" +
                                 blanks(256 - 23) + "06/12/2026" + "Windows  ";
    EXPECT_EQ(line, expected);
    // 281 characters before the date: a 10-character date leaves 5 for the code name.
    EXPECT_EQ(FitLogLine(line), expected.substr(0, 296) + "\r\n");
    EXPECT_EQ(FitLogLine(line).substr(281, 15), "06/12/2026Windo");
}

TEST(ResultFilesLog, HeaderAndKeywordField) {
    EXPECT_EQ(LogHeaderKeywordField({"a", "b", "c", "d", "e", "f"}, false), "a b c d e ");
    EXPECT_EQ(LogHeaderKeywordField({"a", "b"}, true), "");
    EXPECT_EQ(BuildLogHeader("love_001.dmp", "06:12:26", "love ", "*.txt", "/out"),
              "#32: Filename: love_001.dmp - Filedate: 06:12:26 - Keyword:  love  - Filemask$: "
              "*.txt - Pathname: /out");
}

TEST(ResultFilesSummary, StepAndKeywordLines) {
    EXPECT_EQ(BuildStepLine(12, "love", "/texts/", 3, 4567),
              "12 occurrences of \xAB love \xBB in /texts/: 3 files: bytes 4567");
    EXPECT_EQ(BuildKeywordLine(12, "love", 3, 4567),
              "12 total occurrences found of \xAB love \xBB in 3 files totalling 4567 bytes");
}

TEST(ResultFilesNames, LogAndSummaryBesideTheDump) {
    EXPECT_EQ(LogPathFor("/out/love.dmp"), "/out/love.log");
    EXPECT_EQ(SummaryPathFor("/out/love.dmp"), "/out/love.sum");
    EXPECT_EQ(LogPathFor("/out/dumpfile.003"), "/out/dumpfile.log");
    EXPECT_EQ(LogPathFor("/o.d/name"), "/o.d/name.log");
}

TEST(ResultFilesDates, RunDateAndShortDate) {
    // 2026-12-06 12:00 UTC; noon keeps the date in every time zone the tests run in.
    EXPECT_EQ(FormatRunDate(1796558400), "06:12:26");
    EXPECT_EQ(FormatShortDate(1796558400), "06/12/2026");
}

TEST(KwicLineLayout, FieldsAndKeywordColumn) {
    EXPECT_EQ(AssembleKwicLine(7, "the quick brown ", "fox", " jumps", 10, 8),
              "7    ick brown fox jumps  ");
    EXPECT_EQ(AssembleKwicLine(123456, "", "x", "", 3, 2), "12345   x  ");
    const std::string line = AssembleKwicLine(1, "ab", "KEY", "cd", 6, 4);
    EXPECT_EQ(line.substr(6 + 6 - 1, 3), "KEY"); // column LeftContext + 6
}

// A whole run of two sets as the search run writes them: the second set continues the run's
// entry numbers and its dump header carries the last number of the first set.
TEST(ResultFilesSet, TwoSetsOfOneRunByteForByte) {
    test::TempDir dir;
    std::int32_t entry = 0;
    ResultSetHeader header;
    header.dumpPath = dir.path() + "/cat_001.dmp";
    header.runDate = "06:12:26";
    header.recordLength = 80;
    header.leftContext = 10;
    header.keyword = "cat";
    header.logKeywordField = "cat dog ";
    header.fileMask = "*.txt";
    header.targetDirectory = "/out/";
    {
        auto set = ResultFileSet::open(header, entry);
        ASSERT_TRUE(set.ok());
        const ResultFileSet::SourceFileInfo a{"A.TXT", "/src/a.txt", "01/02/2026", "Windows", {}};
        const ResultFileSet::SourceFileInfo b{"B.TXT", "/src/b.txt", "01/02/2026", "Windows", {}};
        ASSERT_TRUE(set->writeHit("1    a cat", a, true, entry).ok());
        ASSERT_TRUE(set->writeHit("2    the cat", a, false, entry).ok());
        ASSERT_TRUE(set->writeHit("1    b cat", b, true, entry).ok());
        ASSERT_TRUE(set->writeSummaryLine(BuildStepLine(3, "cat", "/src/", 2, 100)).ok());
        ASSERT_TRUE(set->writeSummaryLine(BuildKeywordLine(3, "cat", 2, 100)).ok());
        // The whole header needs 96 characters: the records grow from 80 to 117 bytes.
        EXPECT_EQ(set->recordLength(), 117);
        EXPECT_EQ(set->dumpBytesWritten(), 4u * 117u);
        ASSERT_TRUE(set->close().ok());
    }
    EXPECT_EQ(entry, 2);
    const std::string head = "#32 Filename:     cat_001.dmp    ##Recordlength:  117     "
                             "##LeftContext:  10 ##Keyword   :   cat";
    EXPECT_EQ(test::readFile(header.dumpPath),
              head + " " + blanks(12) + " 00000\r\n" +                              //
                  "1    a cat" + blanks(86) + " A.TXT" + blanks(7) + " 00001\r\n" + //
                  "2    the cat" + blanks(84) + " A.TXT" + blanks(7) + " 00001\r\n" + "1    b cat" +
                  blanks(86) + " B.TXT" + blanks(7) + " 00002\r\n");
    const std::string logHead = "#32: Filename: cat_001.dmp - Filedate: 06:12:26 - Keyword:  cat "
                                "dog  - Filemask$: *.txt - Pathname: /out/";
    const std::string entryA =
        "00001 file:A.TXT        |/src/a.txt" + blanks(246) + "01/02/2026Windo";
    const std::string entryB =
        "00002 file:B.TXT        |/src/b.txt" + blanks(246) + "01/02/2026Windo";
    ASSERT_EQ(entryA.size(), 296u);
    EXPECT_EQ(test::readFile(dir.path() + "/cat_001.log"),
              logHead + blanks(296 - logHead.size()) + "\r\n" + entryA + "\r\n" + entryB + "\r\n");
    EXPECT_EQ(test::readFile(dir.path() + "/cat_001.sum"),
              "3 occurrences of \xAB cat \xBB in /src/: 2 files: bytes 100\r\n"
              "3 total occurrences found of \xAB cat \xBB in 2 files totalling 100 bytes\r\n");

    header.dumpPath = dir.path() + "/dog_001.dmp";
    header.keyword = "dog";
    {
        auto set = ResultFileSet::open(header, entry);
        ASSERT_TRUE(set.ok());
        const ResultFileSet::SourceFileInfo c{"C.TXT", "/src/c.txt", "01/02/2026", "Windows", {}};
        ASSERT_TRUE(set->writeHit("1    dog", c, true, entry).ok());
        ASSERT_TRUE(set->close().ok());
    }
    const std::string dump = test::readFile(header.dumpPath);
    ASSERT_EQ(dump.size(), 234u);
    EXPECT_EQ(dump.substr(110, 7), "00002\r\n");
    EXPECT_EQ(dump.substr(227, 7), "00003\r\n");
    const std::string log = test::readFile(dir.path() + "/dog_001.log");
    EXPECT_EQ(log.substr(298, 5), "00003");

    // The viewer finds every entry of either set.
    const std::string firstLog = test::readFile(dir.path() + "/cat_001.log");
    ASSERT_TRUE(FindLogEntry(firstLog, 2).has_value());
    EXPECT_EQ(FindLogEntry(firstLog, 2)->path, "/src/b.txt");
    ASSERT_TRUE(FindLogEntry(log, 3).has_value());
    EXPECT_EQ(FindLogEntry(log, 3)->shortName, "C.TXT");
    EXPECT_EQ(FindLogEntry(log, 1), std::nullopt);
    EXPECT_EQ(FindLogEntry(log.substr(0, 298), 3), std::nullopt); // a log cut short
}

TEST(ResultFilesSet, EntryNumbersAbove99999AreRefused) {
    test::TempDir dir;
    ResultSetHeader header;
    header.dumpPath = dir.path() + "/x.dmp";
    header.recordLength = 80;
    std::int32_t entry = kMaxLogEntryNumber;
    auto set = ResultFileSet::open(header, entry);
    ASSERT_TRUE(set.ok());
    const ResultFileSet::SourceFileInfo f{"F.TXT", "/f.txt", "", "", {}};
    const Status refused = set->writeHit("1 x", f, true, entry);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().title, " Too many files");
    EXPECT_EQ(refused.code(), FailureCode::LimitReached); // what the run decides on
    EXPECT_EQ(entry, kMaxLogEntryNumber);
    ASSERT_TRUE(set->close().ok());
    // Nothing but the header record, whose length the set chose.
    EXPECT_EQ(test::readFile(header.dumpPath).size(),
              static_cast<std::size_t>(set->recordLength()));
}

TEST(ResultFilesSet, UnwritableFolderGivesCannotContinue) {
    ResultSetHeader header;
    header.dumpPath = "/nonexistent-folder-of-lexmora/x.dmp";
    auto set = ResultFileSet::open(header, 0);
    ASSERT_FALSE(set.ok());
    EXPECT_EQ(set.error().text, "Cannot continue");
    EXPECT_EQ(set.error().title, "");
    EXPECT_EQ(set.error().icon, Icon::Exclamation);
    // The kind and the number the failing create gave.
    EXPECT_EQ(set.code(), FailureCode::CannotWrite);
    EXPECT_EQ(set.failure().systemError, ENOENT);
}

TEST(ResultFilesSet, AFullDiskIsReportedNotLost) {
    if (!fileIsPresent("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ResultSetHeader header;
    header.dumpPath = "/dev/full";
    auto set = ResultFileSet::open(header, 0);
    // /dev/full takes the open and fails the first write: the header write is reported.
    ASSERT_FALSE(set.ok());
    EXPECT_EQ(set.error().text, "Cannot print to dumpfile");
    EXPECT_EQ(set.code(), FailureCode::DiskFull);
    EXPECT_EQ(set.failure().systemError, ENOSPC);
}

TEST(ResultFilesRead, SplitRecordAndParseLogEntry) {
    const std::string record = BuildDumpRecord("1    a cat", "A.TXT", 17, 80);
    const auto fields = SplitDumpRecord(std::string_view(record).substr(0, 78), 80);
    EXPECT_EQ(fields.text.size(), 59u);
    EXPECT_EQ(fields.shortName, "A.TXT");
    EXPECT_EQ(fields.logEntryNumber, 17);
    EXPECT_EQ(SplitDumpRecord("short", 80).logEntryNumber, std::nullopt);

    const std::string line = FitLogLine(BuildLogEntry(5, "A.TXT", "/a b/c.txt", "d", "Windows"));
    const auto entry = ParseLogEntry(line);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->number, 5);
    EXPECT_EQ(entry->path, "/a b/c.txt");
    EXPECT_EQ(entry->dateAndCode, "dWindows");
    EXPECT_EQ(ParseLogEntry("#32: Filename: x"), std::nullopt);
}

} // namespace
} // namespace lexmora
