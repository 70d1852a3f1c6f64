#include "viewer/record_details.h"

#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

using test::Hit;

constexpr const char* kSourceA = "The black cat sat on the mat.\r\nA walking  cat ran.\r\n";

std::vector<Hit> detailHits() {
    return {{"a.txt", "The black ", "cat", " sat on the mat. A"},
            {"a.txt", "A walking ", "cat", " ran."},
            {"b.txt", "", "cat", " alone"}};
}

ViewerOptions onDisk() {
    ViewerOptions o;
    o.freeMemory = [] { return std::optional<std::uint64_t>(0); };
    return o;
}

TEST(RecordDetails, FindsTheHitInTheSourceThroughTheLog) {
    test::TempDir dir;
    dir.write("a.txt", kSourceA);
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto details = ExpandRecord(*viewer, 3);
    ASSERT_TRUE(details.ok()) << details.error().text;
    EXPECT_EQ(details->positionInFile, 43u);
    EXPECT_EQ(DetailsText(*details),
              "record no. = 2     keyword = cat     position in file = 43\r\n"
              "path           =  " +
                  dir.path() +
                  "\r\n"
                  "sourcefile  =  a.txt\r\n"
                  "\r\n"
                  "The black cat sat on the mat. A walking cat ran. \r\n");
    EXPECT_EQ(DetailsClipboardText(*details, true),
              "findstring = cat   sourcefile = a.txt  path = " + dir.path() + "\r\n\r\ncat ran.");
    EXPECT_EQ(DetailsClipboardText(*details, false),
              "The black cat sat on the mat. A walking cat ran. ");

    auto saved = SaveDetails(*details, *viewer, true, dir.path(), "", prompter);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(*saved, dir.path() + "/d_001.sav");
    EXPECT_EQ(test::readFile(*saved), "         sourcefile   =  a.txt\r\n" + DetailsText(*details));
    auto plain = SaveDetails(*details, *viewer, false, dir.path(), "", prompter);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(test::readFile(*plain), "         sourcefile   =  a.txt\r\n"
                                      "The black cat sat on the mat. A walking cat ran. \r\n");
}

TEST(RecordDetails, LaterSetOfARunFindsItsEntries) {
    test::TempDir dir;
    dir.write("a.txt", kSourceA);
    // The run's numbering continues: this set's first entry is 00008.
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits(), "cat", 7);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto details = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(details.ok()) << details.error().text;
    EXPECT_EQ(details->positionInFile, 11u);
    EXPECT_EQ(details->sourceFile, "a.txt");
}

TEST(RecordDetails, VanishedChangedSourceAndBrokenLogs) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "d.dmp", detailHits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());

    // The source is gone: the record's own text, and why.
    auto gone = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(gone.ok());
    EXPECT_FALSE(gone->positionInFile.has_value());
    EXPECT_EQ(gone->text, "The black cat sat on the mat. A");
    EXPECT_NE(DetailsText(*gone).find("position in file = unknown"), std::string::npos);
    EXPECT_NE(gone->notice.find("cannot be found"), std::string::npos);

    dir.write("a.txt", "Completely different text now.\r\n");
    auto changed = ExpandRecord(*viewer, 2);
    ASSERT_TRUE(changed.ok());
    EXPECT_NE(changed->notice.find("has changed"), std::string::npos);

    // The log holds only its header: entry 1 is not there.
    const std::string log = dir.path() + "/d.log";
    const std::string logBytes = test::readFile(log);
    dir.write("d.log", logBytes.substr(0, 298));
    auto shorter = ExpandRecord(*viewer, 2);
    ASSERT_FALSE(shorter.ok());
    EXPECT_NE(shorter.error().text.find("Cannot find entry 1"), std::string::npos);

    // A log of another result file names other files under the same numbers.
    std::string foreign = logBytes;
    foreign.replace(298 + 11, 5, "Z.TXT");
    dir.write("d.log", foreign);
    auto mismatch = ExpandRecord(*viewer, 2);
    ASSERT_FALSE(mismatch.ok());
    EXPECT_NE(mismatch.error().text.find("names another source file"), std::string::npos);

    std::remove(log.c_str());
    auto missing = ExpandRecord(*viewer, 2);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().text, "Sorry - cannot find d.log");
    EXPECT_EQ(missing.error().title, "File not found");
    EXPECT_EQ(missing.error().buttons, Buttons::RetryCancel);
    // The user picked the log by hand.
    const std::string picked = dir.write("picked.log", logBytes);
    EXPECT_TRUE(ExpandRecord(*viewer, 2, picked).ok());

    EXPECT_FALSE(ExpandRecord(*viewer, 1).ok()); // the header has no details
}

TEST(RecordDetails, CleanedTextFoundInRawSource) {
    const std::string source = std::string("ab\r\n  cd\0ef  gh", 15);
    const auto found = FindCleanedText(source, "ab cdef gh", 3);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->start, 0u);
    EXPECT_EQ(found->mark, 6u); // the "c"
    EXPECT_EQ(found->end, source.size());
    EXPECT_FALSE(FindCleanedText(source, "abcd", 0).has_value());
    EXPECT_EQ(CleanContext(std::string("a\r\n\tb\0c  ", 9)), "a bc ");
}

} // namespace
} // namespace lexmora
