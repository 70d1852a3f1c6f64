// KWIC lines leave the viewer as it shows them: in the sorted order with the sort key, without
// deleted lines, every nth only, with the source's name from the log, and not at all when the
// user stops the export.
#include "viewer/kwic_export.h"

#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

namespace lexmora {
namespace {

std::vector<test::Hit> hits() {
    return {{"a.txt", "the black ", "cat", " sat on the mat"},
            {"a.txt", "a walking ", "cat", " ran"},
            {"b.txt", "no ", "cat", " at all"},
            {"c.txt", "said \"a, ", "cat", " for \"tea\", yes"}};
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string exported(ResultViewer& viewer, TableFormat format) {
    std::string bytes;
    auto writer = MakeTextTableWriter(format, [&](std::string_view b) {
        bytes += b;
        return true;
    });
    const Status status = ExportKwicLines(viewer, *writer);
    EXPECT_TRUE(status.ok()) << (status.ok() ? "" : status.error().text);
    return bytes;
}

ViewerOptions onDisk(int stepN = 1) {
    ViewerOptions o;
    o.stepN = stepN;
    o.freeMemory = [] { return std::optional<std::uint64_t>(0); };
    return o;
}

TEST(KwicExport, LinesInFileOrderWithTheirSourceNames) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "cat.dmp", hits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_EQ(exported(*viewer, TableFormat::Tsv),
              "hit\tfile\tleft\tnode\tright\tkeyword\n"
              "1\ta.txt\tthe black\tcat\tsat on the mat\tcat\n"
              "2\ta.txt\ta walking\tcat\tran\tcat\n"
              "3\tb.txt\tno\tcat\tat all\tcat\n"
              "4\tc.txt\tsaid \"a,\tcat\tfor \"tea\", yes\tcat\n");
    EXPECT_EQ(exported(*viewer, TableFormat::Csv),
              "hit,file,left,node,right,keyword\r\n"
              "1,a.txt,the black,cat,sat on the mat,cat\r\n"
              "2,a.txt,a walking,cat,ran,cat\r\n"
              "3,b.txt,no,cat,at all,cat\r\n"
              "4,c.txt,\"said \"\"a,\",cat,\"for \"\"tea\"\", yes\",cat\r\n");
}

// Sorted on the first word to the right, the third line deleted, then every second line.
TEST(KwicExport, FollowsSortDeletionAndEveryNth) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "cat.dmp", hits());
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    viewer->Sort(SortMode::WordBeginning, 0, 1, test::kRight);
    Table table = KwicLinesTable(*viewer);
    ASSERT_EQ(table.columns.size(), 7u);
    EXPECT_EQ(table.columns.back().name, "sort_key");
    std::vector<std::int64_t> order;
    for (const Row& row : table.rows)
        order.push_back(std::get<std::int64_t>(row[0]));
    EXPECT_EQ(order, (std::vector<std::int64_t>{3, 4, 2, 1})); // at, for, ran, sat
    for (const Row& row : table.rows)
        EXPECT_EQ(row.size(), 7u);

    EXPECT_EQ(viewer->DeleteSelected({4}, prompter), 1); // "ran"
    table = KwicLinesTable(*viewer);
    order.clear();
    for (const Row& row : table.rows)
        order.push_back(std::get<std::int64_t>(row[0]));
    EXPECT_EQ(order, (std::vector<std::int64_t>{3, 4, 1}));

    auto nth = ResultViewer::open(path, prompter, onDisk(2));
    ASSERT_TRUE(nth.ok());
    EXPECT_EQ(exported(*nth, TableFormat::Tsv),
              "hit\tfile\tleft\tnode\tright\tkeyword\n"
              "2\ta.txt\ta walking\tcat\tran\tcat\n"
              "4\tc.txt\tsaid \"a,\tcat\tfor \"tea\", yes\tcat\n");
}

// A keyword of two words is the node whole; without its log the record's short name is used.
TEST(KwicExport, MultiWordNodeAndMissingLog) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(
        dir, "chat.dmp", {{"long name.txt", "voici ", "le chat", " noir"}}, "le chat");
    SilentPrompter prompter;
    ASSERT_EQ(std::remove((dir.path() + "/chat.log").c_str()), 0);
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_EQ(exported(*viewer, TableFormat::Tsv),
              "hit\tfile\tleft\tnode\tright\tkeyword\n"
              "1\tLONG NAME.TX\tvoici\tle chat\tnoir\tle chat\n");
}

TEST(KwicExport, StoppedExportLeavesNoFile) {
    test::TempDir dir;
    std::vector<test::Hit> many(10000, test::Hit{"a.txt", "left ", "cat", " right"});
    const std::string path = test::writeResultFile(dir, "many.dmp", many);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    const std::set<std::string> before = namesIn(dir.path());
    const std::string target = dir.path() + "/lines.csv";
    auto writer = OpenTableFile(TableFormat::Csv, target, Placement::KeepExisting);
    ASSERT_TRUE(writer.ok());
    std::int64_t seen = 0;
    const Status stopped = ExportKwicLines(
        *viewer, **writer,
        [&](std::int64_t done, std::int64_t total) {
            EXPECT_EQ(total, 10000);
            seen = done;
            return false;
        },
        target);
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.code(), FailureCode::Cancelled);
    EXPECT_EQ(seen, 4096);
    writer->reset();
    EXPECT_EQ(test::readFile(target), "<missing>");
    EXPECT_EQ(namesIn(dir.path()), before); // no temporary left behind
}

} // namespace
} // namespace lexmora
