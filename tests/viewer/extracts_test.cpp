#include "viewer/extracts.h"

#include "core/file_io.h"
#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

using test::Hit;

class FakeClipboard : public Clipboard {
public:
    void setText(const std::string& value) override {
        text = value;
        ++calls;
    }
    std::string text;
    int calls = 0;
};

class FakePrinter : public Printer {
public:
    Status print(const PrintJob& job) override {
        jobs.push_back(job);
        return {};
    }
    std::vector<PrintJob> jobs;
};

std::vector<Hit> animals() {
    return {{"a.txt", "the black ", "cat", " sat on the mat"},
            {"a.txt", "a walking ", "cat", " ran"},
            {"b.txt", "no ", "cat", " at all"}};
}

ViewerOptions onDisk() {
    ViewerOptions o;
    o.freeMemory = [] { return std::optional<std::uint64_t>(0); };
    return o;
}

// Record text of the e.dmp file: its header needs 90 characters, so records are 111 bytes.
std::string hitRecord(const std::string& kwic, const std::string& name, const std::string& entry) {
    return kwic + std::string(90 - kwic.size(), ' ') + " " + name +
           std::string(12 - name.size(), ' ') + " " + entry;
}

struct Fixture {
    test::TempDir dir;
    std::string path = test::writeResultFile(dir, "e.dmp", animals());
    SilentPrompter prompter;
    ResultViewer viewer = std::move(ResultViewer::open(path, prompter, onDisk()).value());
};

TEST(ViewerExtracts, RangeChecksAndSelections) {
    EXPECT_EQ(CheckExtractRange({3, 2}, 4).error().text,
              "Your start point is higher than your finish");
    EXPECT_EQ(CheckExtractRange({3, 2}, 4).error().buttons, Buttons::RetryCancel);
    EXPECT_FALSE(CheckExtractRange({1, 5}, 4).ok());
    EXPECT_TRUE(CheckExtractRange({2, 2}, 4).ok());
    EXPECT_EQ(ExtractPositions({2, 4}, {}), (std::vector<std::int64_t>{2, 3, 4}));
    EXPECT_EQ(ExtractPositions({2, 4}, {4, 9, 2}), (std::vector<std::int64_t>{2, 4}));
    const auto range = RangeOfSelection({4, 2, 3});
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->first, 2);
    EXPECT_EQ(range->last, 4);
    EXPECT_FALSE(RangeOfSelection({}).has_value());
}

TEST(ViewerExtracts, CncFileHoldsTheRecordsAsLinesAndNamesCount) {
    Fixture f;
    ASSERT_EQ(f.viewer.RecordLength(), 111);
    auto first = SaveExtract(f.viewer, {2, 4}, LineForm::WholeRecord, f.dir.path(), "\\?<>:*/|\"",
                             f.prompter);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(*first, f.dir.path() + "/e_001.cnc");
    EXPECT_EQ(test::readFile(*first),
              hitRecord("1    the black cat sat on the mat", "A.TXT", "00001") + "\r\n" +
                  hitRecord("1           no cat at all", "B.TXT", "00002") + "\r\n");
    ASSERT_FALSE(f.prompter.shown.empty());
    EXPECT_EQ(f.prompter.shown.back().text, f.dir.path() + "\r\ntext has been saved to: e_001.cnc");
    EXPECT_EQ(f.prompter.shown.back().icon, Icon::Information);

    // The KWIC section: 86 characters from column 1 when the left context is narrower than 26.
    auto second = SaveExtract(f.viewer, {3}, LineForm::KwicSection, f.dir.path(), "", f.prompter);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(*second, f.dir.path() + "/e_002.cnc");
    EXPECT_EQ(test::readFile(*second),
              hitRecord("2    a walking cat ran", "A.TXT", "00001").substr(0, 86) + "\r\n");
}

TEST(ViewerExtracts, KwicSectionStartsThirtyOneColumnsBeforeTheKeyword) {
    const std::string record = std::string(60, 'L') + "KEY" + std::string(100, 'R');
    const std::string line = ExtractLine(record, LineForm::KwicSection, 55); // keyword column 61
    EXPECT_EQ(line.size(), 86u);
    EXPECT_EQ(line.substr(31, 3), "KEY");
    EXPECT_EQ(ExtractLine("short", LineForm::KwicSection, 200), "");
}

TEST(ViewerExtracts, UnwritableFolderWritesNothing) {
    Fixture f;
    auto saved = SaveExtract(f.viewer, {2}, LineForm::WholeRecord, "/nonexistent-lexmora-folder",
                             "", f.prompter);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().icon, Icon::Exclamation);
    ScriptedPrompter ok({Answer::Ok});
    auto changed = SaveChanges(f.viewer, "/nonexistent-lexmora-folder", "", ok);
    ASSERT_FALSE(changed.ok());
    EXPECT_EQ(changed.error().text, " Disc problem");
}

TEST(ViewerExtracts, NewFileKeepsTheOrderAndReopens) {
    Fixture f;
    const std::string original = test::readFile(f.path);
    f.viewer.Sort(SortMode::WordBeginning, 0, 1, test::kRight); // at, ran, sat
    EXPECT_EQ(f.viewer.DeleteSelected({3}, f.prompter), 1);     // ran
    EXPECT_EQ(f.viewer.ChangeCount(), 1);

    SilentPrompter cancel;
    auto cancelled = SaveChanges(f.viewer, f.dir.path(), "", cancel);
    ASSERT_TRUE(cancelled.ok());
    EXPECT_EQ(*cancelled, "");
    EXPECT_EQ(cancel.shown[0].text, "Changes will be saved to file:\r\n" + f.dir.path() + "/e.new");
    EXPECT_FALSE(fileIsPresent(f.dir.path() + "/e.new"));

    ScriptedPrompter ok({Answer::Ok});
    auto saved = SaveChanges(f.viewer, f.dir.path(), "", ok);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(*saved, f.dir.path() + "/e.new");
    EXPECT_EQ(f.viewer.ChangeCount(), 0);
    const std::size_t r = 111;
    EXPECT_EQ(test::readFile(*saved),
              original.substr(0, r) + original.substr(3 * r, r) + original.substr(r, r));

    auto reopened = ResultViewer::open(*saved, f.prompter, onDisk());
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ(reopened->RecordTotal(), 3);
    EXPECT_EQ(test::shownMatches(*reopened), (std::vector<std::string>{"cat", "cat"}));
    EXPECT_EQ(test::shownLines(*reopened),
              (std::vector<std::string>{"1           no cat at all",
                                        "1    the black cat sat on the mat"}));

    // Saving the ".new" file's own changes never overwrites it while it is read.
    ScriptedPrompter ok2({Answer::Ok});
    auto again = SaveChanges(*reopened, f.dir.path(), "", ok2);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(*again, f.dir.path() + "/e_001.new");
    EXPECT_EQ(test::readFile(*again), test::readFile(*saved));
}

TEST(ViewerExtracts, LeavingWithDeletionsAsksToSave) {
    Fixture f;
    SilentPrompter quiet;
    auto nothing = SaveOnLeaving(f.viewer, f.dir.path(), "", quiet);
    ASSERT_TRUE(nothing.ok());
    EXPECT_TRUE(quiet.shown.empty()); // no changes: no question
    EXPECT_EQ(f.viewer.DeleteSelected({2}, quiet), 1);
    auto declined = SaveOnLeaving(f.viewer, f.dir.path(), "", quiet);
    ASSERT_TRUE(declined.ok());
    EXPECT_EQ(*declined, "");
    ASSERT_EQ(quiet.shown.size(), 1u);
    EXPECT_EQ(quiet.shown[0].text, "Do you wish to save changes made?");
    EXPECT_EQ(quiet.shown[0].title, "Save changes to file?");
    ScriptedPrompter yes({Answer::Yes, Answer::Ok});
    auto saved = SaveOnLeaving(f.viewer, f.dir.path(), "", yes);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(*saved, f.dir.path() + "/e.new");
    EXPECT_EQ(test::readFile(*saved).size(), 3u * 111u);
}

TEST(ViewerExtracts, ClipboardCopyAndMemoryCheck) {
    Fixture f;
    FakeClipboard clipboard;
    ASSERT_TRUE(CopyExtract(f.viewer, {3}, LineForm::WholeRecord, clipboard).ok());
    EXPECT_EQ(clipboard.text, hitRecord("2    a walking cat ran", "A.TXT", "00001") + "\r\n");
    const Status refused = CopyExtract(f.viewer, {2, 3, 4}, LineForm::WholeRecord, clipboard,
                                       [] { return std::optional<std::uint64_t>(100); });
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().title, " String too long!");
    EXPECT_EQ(clipboard.calls, 1); // nothing half-copied

    ClipboardGather gather(10);
    EXPECT_TRUE(gather.add({"abc"}).ok());
    EXPECT_EQ(gather.add({"abcdef"}).error().title, " Out of string space!");
    EXPECT_EQ(gather.add({std::string(20, 'x')}).error().title, " String too long!");
    gather.copy({"ignored"}, clipboard);
    EXPECT_EQ(clipboard.text, "abc\r\n");
    gather.clear();
    gather.copy({"one", "two"}, clipboard);
    EXPECT_EQ(clipboard.text, "one\r\ntwo\r\n");
}

TEST(ViewerExtracts, PrintedPagesWrapAndCarryTheHeading) {
    EXPECT_EQ(LayOutPages({"aaa bbb ccc", "d"}, {7, 2}),
              (std::vector<std::vector<std::string>>{{"aaa bbb", "ccc"}, {"d"}}));
    EXPECT_EQ(LayOutPages({"abcdefghij"}, {4, 10}),
              (std::vector<std::vector<std::string>>{{"abcd", "efgh", "ij"}}));
    Fixture f;
    FakePrinter printer;
    SilentPrompter no;
    ASSERT_TRUE(
        PrintExtract(f.viewer, {2, 3}, {2, 3}, LineForm::KwicSection, {86, 60}, no, printer).ok());
    EXPECT_TRUE(printer.jobs.empty()); // the printer-ready question was cancelled
    ScriptedPrompter ok({Answer::Ok});
    ASSERT_TRUE(
        PrintExtract(f.viewer, {2, 3}, {2, 3}, LineForm::KwicSection, {86, 60}, ok, printer).ok());
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].font, "Courier New");
    const auto& page = printer.jobs[0].pages.at(0);
    ASSERT_EQ(page.size(), 5u);
    EXPECT_EQ(page[0], "e.dmp");
    EXPECT_EQ(page[1], "2 to 3   records: 2");
    EXPECT_EQ(page[3],
              hitRecord("1    the black cat sat on the mat", "A.TXT", "00001").substr(0, 86));
}

} // namespace
} // namespace lexmora
