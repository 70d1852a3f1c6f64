#include "viewer/viewer_loop.h"

#include "core/recent_files.h"

#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

namespace lexmora {
namespace {

using test::Hit;

class RecordingClipboard : public Clipboard {
public:
    void setText(const std::string& value) override { texts.push_back(value); }
    std::vector<std::string> texts;
};

class RecordingPrinter : public Printer {
public:
    Status print(const PrintJob& job) override {
        jobs.push_back(job);
        return {};
    }
    std::vector<PrintJob> jobs;
};

class RecordingFiles : public FileViewer {
public:
    void openTextViewer(const std::string& path, bool) override { opened.push_back(path); }
    void openTextViewerAt(const std::string& path, bool, FileMark mark) override {
        opened.push_back(path);
        marks.push_back(mark);
    }
    std::vector<FileMark> marks;
    void openHtmlViewer(const std::string& path, const std::string&) override {
        opened.push_back(path);
    }
    bool runExternal(const std::vector<std::string>& argv, bool) override {
        opened.push_back(argv.back());
        return true;
    }
    std::string findProgram(const std::string&) override { return "/bin/true"; }
    std::vector<std::string> opened;
};

// A click: it may set the state's flags and post in the screen's queue.
using Step = std::function<void(ProgramState&, ViewerCommandQueue&)>;

// The KWIC screen as a script: each turn of the loop applies the next step (a click); when the
// script has run out it presses Exit. Dialogs answer from queues; what is shown is kept.
class ScriptedScreen : public ViewerScreen {
public:
    std::deque<Step> steps;
    std::deque<std::optional<std::vector<std::string>>> fileChoices;
    std::deque<std::optional<SortRequest>> sorts;
    std::deque<std::optional<RangeRequest>> ranges;
    std::deque<std::optional<int>> stepNs;
    std::deque<std::optional<std::string>> findWords;
    std::vector<std::string> findOffers; // the word each find offered
    std::vector<std::int64_t> selected;
    // What the details window's buttons do once it has been shown.
    Step detailsButton;

    std::vector<std::string> shownFiles;
    std::vector<std::string> detailsShown;
    std::vector<std::string> rangeVerbs;
    std::vector<ExtractRange> proposedRanges;
    std::optional<Collocation> collocation;
    std::vector<std::string> chooserMasks;
    int pagesDrawn = 0;
    int waits = 0;
    ViewerCommandQueue queue; // what the clicks posted

    ViewerCommandQueue& commands() override { return queue; }
    void waitForCommand(ProgramState& state) override {
        ++waits;
        if (!steps.empty()) {
            Step step = std::move(steps.front());
            steps.pop_front();
            step(state, queue);
        } else {
            state.ExitFlag = ExitRequest::UserPressedExit;
        }
    }
    std::optional<std::vector<std::string>> chooseFiles(const std::string&, const std::string& mask,
                                                        const std::string&) override {
        chooserMasks.push_back(mask);
        return pop(fileChoices);
    }
    void showFile(ResultViewer& viewer, std::size_t index, std::size_t count) override {
        shownFiles.push_back(FileNameOf(viewer.path()) + " " + std::to_string(index + 1) + "/" +
                             std::to_string(count));
    }
    void drawPage(ResultViewer&, ProgramState& state) override {
        ++pagesDrawn;
        state.ShownTop = state.TopPosition;
    }
    std::vector<std::int64_t> selection() override { return selected; }
    void clearSelection() override { selected.clear(); }
    std::optional<int> askStepN(int) override { return pop(stepNs); }
    std::optional<std::string> askFindWord(const std::string& last) override {
        findOffers.push_back(last);
        return pop(findWords);
    }
    std::optional<SortRequest> askSortPositions(bool) override { return pop(sorts); }
    std::optional<RangeRequest> askExtractRange(const std::string& verb,
                                                const ExtractRange& proposed, bool,
                                                std::int64_t) override {
        rangeVerbs.push_back(verb);
        proposedRanges.push_back(proposed);
        return pop(ranges);
    }
    void showCollocation(const Collocation& c) override { collocation = c; }
    void exportLines(ResultViewer& viewer) override {
        exportedOrders.push_back(viewer.RecordIndex());
    }
    std::vector<std::vector<std::uint32_t>> exportedOrders;
    void showDetails(const std::string& text, TextSpan, ProgramState& state) override {
        detailsShown.push_back(text);
        if (detailsButton)
            detailsButton(state, queue);
    }
    PageGeometry printerPage(const std::string&) override { return {40, 4}; }

private:
    template <typename T> static std::optional<T> pop(std::deque<std::optional<T>>& queue) {
        if (queue.empty())
            return std::nullopt;
        auto value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

std::vector<Hit> animals() {
    return {{"a.txt", "the black ", "cat", " sat on the mat"},
            {"a.txt", "a walking ", "cat", " ran"},
            {"b.txt", "no ", "cat", " at all"},
            {"b.txt", "big ", "cat", " zooms"}};
}

// The first word right of the keyword on each shown record.
std::vector<std::string> rightWords(ResultViewer& viewer) {
    std::vector<std::string> words;
    for (const auto& line : test::shownLines(viewer)) {
        const std::string rest = line.size() > 19 ? line.substr(19) : std::string();
        words.push_back(rest.substr(0, rest.find(' ')));
    }
    return words;
}

struct Harness {
    test::TempDir dir;
    std::string path = test::writeResultFile(dir, "zoo.dmp", animals());
    ProgramState state;
    ScriptedScreen screen;
    ScriptedPrompter prompter;
    RecordingClipboard clipboard;
    RecordingPrinter printer;
    RecordingFiles files;
    ViewerPorts ports{screen, prompter, clipboard, printer, files};
    ViewingPass pass;

    explicit Harness(std::vector<Answer> answers = {}) : prompter(std::move(answers)) {
        state.ViewFolder = dir.path();
        state.TargetDirectory = dir.path();
        state.ScreenLines = 22;
        pass.fileCount = 1;
    }
    ResultViewer open() {
        SilentPrompter quiet;
        ViewerOptions options;
        options.freeMemory = [] { return std::optional<std::uint64_t>(0); };
        return std::move(ResultViewer::open(path, quiet, options).value());
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> out;
        for (const auto& m : prompter.shown)
            out.push_back(m.title);
        return out;
    }
};

Step menu(ViewerMenu item) {
    return [item](ProgramState&, ViewerCommandQueue& q) { q.post(ViewerMenuCommand{item}); };
}

Step post(ViewerCommand command) {
    return [command](ProgramState&, ViewerCommandQueue& q) { q.post(command); };
}

struct LoopCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::optional<SortRequest>> sorts;
    std::vector<std::optional<int>> stepNs;
    std::vector<std::int64_t> selected;
    int screenLines;
    std::vector<Answer> answers;
    std::vector<std::string> expectedWords;
    std::vector<std::string> expectedTitles; // every message shown, the exit question last
    int changeCount;
};

TEST(ViewerCommandLoop, EachCommandChangesTheDisplayOrderAsExpected) {
    const std::string exitTitle = " About to return to main screen";
    const std::string noValues = " No values entered!";
    const std::vector<LoopCase> cases = {
        {"nothing", {}, {}, {}, {}, 22, {}, {"sat", "ran", "at", "zooms"}, {exitTitle}, 0},
        {"sort on the first word right",
         {menu(ViewerMenu::SortByBeginning)},
         {SortRequest{std::nullopt, 1, false, kNoLaterLevels}},
         {},
         {},
         22,
         {},
         {"at", "ran", "sat", "zooms"},
         {exitTitle},
         0},
        {"sort by word end on the first word left",
         {menu(ViewerMenu::SortByEnd)},
         {SortRequest{1, std::nullopt, false, kNoLaterLevels}},
         {},
         {},
         22,
         {},
         // keys: kcalb, gniklaw, on, gib
         {"zooms", "ran", "sat", "at"},
         {exitTitle},
         0},
        {"sort, then un-sort",
         {menu(ViewerMenu::SortByBeginning), menu(ViewerMenu::Unsort)},
         {SortRequest{std::nullopt, 1, false, kNoLaterLevels}},
         {},
         {},
         22,
         {},
         {"sat", "ran", "at", "zooms"},
         {exitTitle},
         0},
        {"empty sort boxes ask, Cancel drops the sort",
         {menu(ViewerMenu::SortByBeginning)},
         {SortRequest{}},
         {},
         {},
         22,
         {Answer::Cancel},
         {"sat", "ran", "at", "zooms"},
         {noValues, exitTitle},
         0},
        {"empty sort boxes ask, Retry asks again",
         {menu(ViewerMenu::SortByBeginning)},
         {SortRequest{}, SortRequest{std::nullopt, 1, false, kNoLaterLevels}},
         {},
         {},
         22,
         {Answer::Retry},
         {"at", "ran", "sat", "zooms"},
         {noValues, exitTitle},
         0},
        {"delete the current line (second line of the page)",
         {post(DeleteFlag{1})},
         {},
         {},
         {},
         22,
         {},
         {"sat", "at", "zooms"},
         {exitTitle},
         1},
        {"delete, then undo",
         {post(DeleteFlag{1}), menu(ViewerMenu::UndoDeletion)},
         {},
         {},
         {},
         22,
         {},
         {"sat", "ran", "at", "zooms"},
         {exitTitle},
         0},
        {"two selected records ask once",
         {post(DeleteFlag{0})},
         {},
         {},
         {2, 4},
         22,
         {Answer::Yes},
         {"ran", "zooms"},
         {"About to delete items", exitTitle},
         2},
        {"two selected records, No keeps them",
         {post(DeleteFlag{0})},
         {},
         {},
         {2, 4},
         22,
         {Answer::No},
         {"sat", "ran", "at", "zooms"},
         {"About to delete items", exitTitle},
         0},
        {"delete two, restore all",
         {post(DeleteFlag{0}), menu(ViewerMenu::RestoreAll)},
         {},
         {},
         {2, 4},
         22,
         {Answer::Yes},
         {"sat", "ran", "at", "zooms"},
         {"About to delete items", exitTitle},
         0},
        {"every second record",
         {menu(ViewerMenu::EveryNth)},
         {},
         {2},
         {},
         2,
         {},
         {"ran", "zooms"},
         {exitTitle},
         0},
        {"every nth is not offered for a file that fits the page",
         {menu(ViewerMenu::EveryNth)},
         {},
         {2},
         {},
         22,
         {},
         {"sat", "ran", "at", "zooms"},
         {exitTitle},
         0},
        {"every nth after a deletion offers to save it first",
         {post(DeleteFlag{1}), menu(ViewerMenu::EveryNth)},
         {},
         {2},
         {},
         2,
         {Answer::No},
         {"ran", "zooms"},
         {"Save changes to file?", exitTitle},
         0},
        {"collocation before a sort is refused",
         {menu(ViewerMenu::Collocate)},
         {},
         {},
         {},
         22,
         {},
         {"sat", "ran", "at", "zooms"},
         {"", exitTitle},
         0},
        {"exit question answered Cancel stays, a second Exit leaves",
         {[](ProgramState& s, ViewerCommandQueue&) { s.ExitFlag = ExitRequest::UserPressedExit; }},
         {},
         {},
         {},
         22,
         {Answer::Cancel},
         {"sat", "ran", "at", "zooms"},
         {exitTitle, exitTitle},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.answers);
        h.state.ScreenLines = c.screenLines;
        h.screen.steps.assign(c.steps.begin(), c.steps.end());
        h.screen.sorts.assign(c.sorts.begin(), c.sorts.end());
        h.screen.stepNs.assign(c.stepNs.begin(), c.stepNs.end());
        h.screen.selected = c.selected;
        ResultViewer viewer = h.open();
        const LeaveFile leave = ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
        EXPECT_EQ(leave, LeaveFile::Exit);
        EXPECT_EQ(rightWords(viewer), c.expectedWords);
        EXPECT_EQ(h.titles(), c.expectedTitles);
        EXPECT_EQ(viewer.ChangeCount(), c.changeCount);
        // Every flag the script set has been cleared by the loop.
        EXPECT_FALSE(h.screen.queue.pending<ViewerMenuCommand>());
        EXPECT_FALSE(h.screen.queue.pending<DeleteFlag>());
    }
}

TEST(ViewerCommandLoop, CollocationAfterASortIsHandedToTheScreen) {
    Harness h;
    h.screen.steps = {menu(ViewerMenu::SortByBeginning), menu(ViewerMenu::Collocate)};
    h.screen.sorts = {SortRequest{std::nullopt, 0, false, kNoLaterLevels}}; // the keyword itself
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    ASSERT_TRUE(h.screen.collocation.has_value());
    ASSERT_EQ(h.screen.collocation->collocates.size(), 1u);
    EXPECT_EQ(h.screen.collocation->collocates[0].word, "cat");
    EXPECT_EQ(h.screen.collocation->collocates[0].count, 4);
}

// Export hands the screen the viewer as it stands: sorted, the page kept.
TEST(ViewerCommandLoop, ExportHandsTheScreenTheSortedLines) {
    Harness h;
    h.screen.steps = {menu(ViewerMenu::SortByBeginning), menu(ViewerMenu::Export)};
    h.screen.sorts = {SortRequest{std::nullopt, 0, false}};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    ASSERT_EQ(h.screen.exportedOrders.size(), 1u);
    EXPECT_EQ(h.screen.exportedOrders[0], viewer.RecordIndex());
    EXPECT_TRUE(viewer.sorted());
}

TEST(ViewerCommandLoop, ExtractsGoToTheirOutputs) {
    Harness h({Answer::Retry});
    h.screen.steps = {menu(ViewerMenu::SaveExtract), menu(ViewerMenu::CopyExtract)};
    // The first range is the wrong way round: Retry asks again.
    h.screen.ranges = {RangeRequest{{4, 3}, LineForm::WholeRecord},
                       RangeRequest{{3, 4}, LineForm::WholeRecord},
                       RangeRequest{{5, 5}, LineForm::WholeRecord}};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(h.screen.rangeVerbs, (std::vector<std::string>{"save", "save", "copy"}));
    EXPECT_EQ(h.screen.proposedRanges[0].first, 2);
    EXPECT_EQ(h.screen.proposedRanges[0].last, 5);
    const std::string r3(viewer.GetRecord(3));
    const std::string r4(viewer.GetRecord(4));
    const std::string r5(viewer.GetRecord(5));
    EXPECT_EQ(test::readFile(h.dir.path() + "/zoo_001.cnc"), r3 + "\r\n" + r4 + "\r\n");
    ASSERT_EQ(h.clipboard.texts.size(), 1u);
    EXPECT_EQ(h.clipboard.texts[0], r5 + "\r\n");
    EXPECT_EQ(h.titles(), (std::vector<std::string>{" Error in entering values !", "",
                                                    " About to return to main screen"}));
    EXPECT_EQ(h.prompter.shown[1].text, h.dir.path() + "\r\ntext has been saved to: zoo_001.cnc");
}

TEST(ViewerCommandLoop, SelectionProposesItsRangeAndOnlyItsRecordsGo) {
    Harness h;
    h.screen.selected = {5, 3};
    h.screen.steps = {menu(ViewerMenu::CopyExtract)};
    h.screen.ranges = {RangeRequest{{3, 5}, LineForm::WholeRecord}};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(h.screen.proposedRanges.at(0).first, 3);
    EXPECT_EQ(h.screen.proposedRanges.at(0).last, 5);
    ASSERT_EQ(h.clipboard.texts.size(), 1u);
    EXPECT_EQ(h.clipboard.texts[0], std::string(viewer.GetRecord(3)) + "\r\n" +
                                        std::string(viewer.GetRecord(5)) + "\r\n");
}

TEST(ViewerCommandLoop, TextOptionsSaveWritesTheSelectedRecords) {
    Harness h;
    h.screen.selected = {5, 3};
    h.screen.steps = {post(TextSaveFlag{})};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(test::readFile(h.dir.path() + "/zoo_001.cnc"),
              std::string(viewer.GetRecord(3)) + "\r\n" + std::string(viewer.GetRecord(5)) +
                  "\r\n");
    EXPECT_FALSE(h.screen.queue.pending<TextSaveFlag>());
}

TEST(ViewerCommandLoop, ClipboardAddThenCopyGathersTheSelectedLines) {
    Harness h;
    h.screen.selected = {2};
    h.screen.steps = {post(ClipboardFlag{ClipboardAction::AddSelectedLines}),
                      [&h](ProgramState&, ViewerCommandQueue& q) {
                          h.screen.selected = {4, 5};
                          q.post(ClipboardFlag{ClipboardAction::AddSelectedLines});
                      },
                      post(ClipboardFlag{ClipboardAction::CopySelectedLines})};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    ASSERT_EQ(h.clipboard.texts.size(), 1u);
    EXPECT_EQ(h.clipboard.texts[0], "1    the black cat sat on the mat\r\n"
                                    "1           no cat at all\r\n"
                                    "2          big cat zooms\r\n");
}

TEST(ViewerCommandLoop, SaveChangesWritesTheNewFileInDisplayOrder) {
    Harness h({Answer::Ok});
    h.screen.steps = {post(DeleteFlag{0}), menu(ViewerMenu::SaveChanges)};
    ResultViewer viewer = h.open();
    const std::string header(viewer.GetRecord(1));
    const std::string r3(viewer.GetRecord(3));
    const std::string r4(viewer.GetRecord(4));
    const std::string r5(viewer.GetRecord(5));
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(test::readFile(h.dir.path() + "/zoo.new"),
              header + "\r\n" + r3 + "\r\n" + r4 + "\r\n" + r5 + "\r\n");
    EXPECT_EQ(viewer.ChangeCount(), 0);
    EXPECT_EQ(h.prompter.shown.at(0).text,
              "Changes will be saved to file:\r\n" + h.dir.path() + "/zoo.new");
}

TEST(ViewerCommandLoop, PrintedTextStaysOnThePageUntilNo) {
    // Printer ready: Ok; more on the page: Yes; second job: no printer question, No sends it.
    Harness h({Answer::Ok, Answer::Yes, Answer::No});
    h.screen.selected = {2};
    h.screen.steps = {post(PrintTextFlag{PrintedText::SelectedLines}),
                      [&h](ProgramState&, ViewerCommandQueue& q) {
                          h.screen.selected = {4, 5};
                          q.post(PrintTextFlag{PrintedText::SelectedLines});
                      }};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(h.titles(), (std::vector<std::string>{
                              " About to send text to printer", " Printing sent to spooler...",
                              " Printing sent to spooler...", " About to return to main screen"}));
    ASSERT_EQ(h.printer.jobs.size(), 1u);
    EXPECT_EQ(h.printer.jobs[0].font, "Arial");
    // 40 columns, 4 lines a page (the screen's printer page).
    EXPECT_EQ(h.printer.jobs[0].pages,
              (std::vector<std::vector<std::string>>{{"1    the black cat sat on the mat", "",
                                                      "1           no cat at all",
                                                      "2          big cat zooms"}}));
}

TEST(ViewerPrinting, SessionHeldUntilLeavingAndCancelledPrinterPrintsNothing) {
    RecordingPrinter printer;
    TextPrintSession session;
    ScriptedPrompter cancel({Answer::Cancel});
    ASSERT_TRUE(session.print({"never"}, {10, 2}, cancel, printer).ok());
    EXPECT_FALSE(session.holding());
    EXPECT_EQ(cancel.shown.size(), 1u); // no question about the page without a document

    ScriptedPrompter yes({Answer::Ok, Answer::Yes, Answer::Yes});
    ASSERT_TRUE(session.print({"first job that wraps"}, {10, 2}, yes, printer).ok());
    ASSERT_TRUE(session.print({"second"}, {10, 2}, yes, printer).ok());
    EXPECT_TRUE(session.holding());
    EXPECT_TRUE(printer.jobs.empty());
    ASSERT_TRUE(session.finish(printer).ok()); // leaving the viewer sends it
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].pages,
              (std::vector<std::vector<std::string>>{{"first job", "that wraps"}, {"", "second"}}));
    EXPECT_TRUE(session.finish(printer).ok());
    EXPECT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(SplitLines("a\r\nb\nc\r\n"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ViewerCommandLoop, DetailsWindowButtonsCopySaveAndPrintTheShownText) {
    Harness h({Answer::Ok /* saved */, Answer::Ok /* printer */, Answer::No /* page done */});
    h.dir.write("a.txt", "the black cat sat on the mat here");
    h.screen.steps = {post(DetailsFlag{0}), // first line: position 2
                      post(DetailsSaveFlag{false}), post(PrintTextFlag{PrintedText::ShownText}),
                      post(OpenSourceFlag{}), [](ProgramState&, ViewerCommandQueue&) {
                      }}; // the window's Copy runs after Print (priority)
    h.screen.detailsButton = post(ClipboardFlag{ClipboardAction::CopyShownDetails});
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    ASSERT_EQ(h.screen.detailsShown.size(), 1u);
    EXPECT_EQ(h.screen.detailsShown[0],
              "record no. = 1     keyword = cat     position in file = 11\r\n"
              "path           =  " +
                  h.dir.path() +
                  "\r\n"
                  "sourcefile  =  a.txt\r\n"
                  "\r\n"
                  "the black cat sat on the mat here\r\n");
    ASSERT_EQ(h.clipboard.texts.size(), 1u);
    EXPECT_EQ(h.clipboard.texts[0], "findstring = cat   sourcefile = a.txt  path = " +
                                        h.dir.path() + "\r\n\r\nthe black cat sat on the mat here");
    EXPECT_EQ(test::readFile(h.dir.path() + "/zoo_001.sav"),
              "         sourcefile   =  a.txt\r\nthe black cat sat on the mat here\r\n");
    ASSERT_EQ(h.printer.jobs.size(), 1u);
    EXPECT_EQ(h.printer.jobs[0].pages,
              (std::vector<std::vector<std::string>>{{"the black cat sat on the mat here"}}));
    ASSERT_EQ(h.files.opened.size(), 1u);
    EXPECT_EQ(h.files.opened[0], h.dir.path() + "/a.txt");
    // File opens the source at the hit, marked: "cat" at byte 10 (position 11).
    ASSERT_EQ(h.files.marks.size(), 1u);
    EXPECT_EQ(h.files.marks[0].offset, 10u);
    EXPECT_EQ(h.files.marks[0].length, 3u);
}

TEST(ViewerCommandLoop, MissingLogIsPickedByHandAfterRetry) {
    Harness h({Answer::Retry});
    h.dir.write("a.txt", "the black cat sat on the mat");
    const std::string logBytes = test::readFile(h.dir.path() + "/zoo.log");
    const std::string picked = h.dir.write("elsewhere.log", logBytes);
    std::remove((h.dir.path() + "/zoo.log").c_str());
    h.screen.steps = {post(DetailsFlag{0}), menu(ViewerMenu::ViewLog)};
    h.screen.fileChoices = {std::vector<std::string>{picked}};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(h.prompter.shown.at(0).text, "Sorry - cannot find zoo.log");
    EXPECT_EQ(h.screen.chooserMasks, (std::vector<std::string>{"*.log;dumplog.*"}));
    EXPECT_EQ(h.screen.detailsShown.size(), 1u);
    // The picked log is the file's log from then on: View Logfile shows it without asking.
    EXPECT_EQ(h.files.opened, (std::vector<std::string>{picked}));
}

TEST(ViewerCommandLoop, FileCutShortWhileViewedIsNeverSavedAsSound) {
    Harness h({Answer::Ok /* the .new name */});
    h.screen.steps = {post(DeleteFlag{0}), menu(ViewerMenu::SaveChanges), post(DetailsFlag{2})};
    ResultViewer viewer = h.open();
    // Another program cuts the file after it was opened: the last two records are gone.
    const std::string bytes = test::readFile(h.path);
    h.dir.write("zoo.dmp", bytes.substr(0, bytes.size() - 2 * viewer.RecordLength()));
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(test::readFile(h.dir.path() + "/zoo.new"), "<missing>");
    EXPECT_EQ(std::string(viewer.GetRecord(4)), std::string(kDamagedRecordText));
    EXPECT_EQ(h.titles(), (std::vector<std::string>{"Save changes?", "", " Damaged file !",
                                                    " About to return to main screen"}));
    EXPECT_EQ(h.prompter.shown[1].text, " Disc problem");
    EXPECT_EQ(viewer.ChangeCount(), 1); // the deletion is still there to be saved elsewhere
    EXPECT_TRUE(h.screen.detailsShown.empty());
}

TEST(RunResultViewer, FilesInTurnWithFailuresSkippedAndTheSavePromptOnLeaving) {
    Harness h({Answer::Yes /* save on leaving */, Answer::Ok /* the .new name */,
               Answer::Ok /* cannot open */, Answer::Yes /* exit: view more files */});
    const std::string second = test::writeResultFile(h.dir, "two.dmp", animals());
    h.screen.fileChoices = {std::vector<std::string>{h.path, h.dir.path() + "/gone.dmp", second},
                            std::nullopt};
    h.screen.steps = {
        post(DeleteFlag{0}), post(FileStepFlag{FileStep::Next}),
        post(FileStepFlag{FileStep::Next}), // no file after the last
        [](ProgramState& s, ViewerCommandQueue&) { s.ExitFlag = ExitRequest::UserPressedExit; }};
    EXPECT_EQ(RunResultViewer(h.state, h.ports), 0);
    EXPECT_EQ(h.screen.shownFiles, (std::vector<std::string>{"zoo.dmp 1/3", "two.dmp 3/3"}));
    EXPECT_EQ(h.titles(), (std::vector<std::string>{"Save changes to file?", "Save changes?", "",
                                                    " About to return to main screen"}));
    EXPECT_EQ(h.prompter.shown[2].text.substr(0, 47),
              "Cannot open file gone.dmp - trying next file...");
    EXPECT_NE(test::readFile(h.dir.path() + "/zoo.new"), "<missing>");
    EXPECT_EQ(h.screen.chooserMasks,
              (std::vector<std::string>{"*.dmp;dumpfile.*", "*.dmp;dumpfile.*"}));
    EXPECT_EQ(h.state.ExitFlag, ExitRequest::None);
}

TEST(RunResultViewer, EmptyFileIsRefusedDeletedOnlyOnYesAndTheUserChoosesAgain) {
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        Harness h({Answer::Ok, answer}); // the message, then the question
        const std::string empty = h.dir.write("empty.dmp", "");
        h.screen.fileChoices = {std::vector<std::string>{empty, h.path}, std::nullopt};
        EXPECT_EQ(RunResultViewer(h.state, h.ports), 0);
        EXPECT_EQ(h.titles(), (std::vector<std::string>{" Empty file !", " Empty file !"}));
        EXPECT_EQ(test::readFile(empty), answer == Answer::Yes ? "<missing>" : "");
        EXPECT_TRUE(h.screen.shownFiles.empty());
        EXPECT_EQ(h.screen.chooserMasks.size(), 2u);
    }
}

TEST(RunResultViewer, ViewMoreFilesReturnsToTheChooserWithoutAsking) {
    Harness h;
    h.screen.fileChoices = {std::vector<std::string>{h.path}, std::vector<std::string>{h.path},
                            std::nullopt};
    h.screen.steps = {menu(ViewerMenu::MoreFiles), [](ProgramState& s, ViewerCommandQueue&) {
                          s.ExitFlag = ExitRequest::UserPressedExit; // No: leave the viewer
                      }};
    EXPECT_EQ(RunResultViewer(h.state, h.ports), 0);
    EXPECT_EQ(h.screen.shownFiles, (std::vector<std::string>{"zoo.dmp 1/1", "zoo.dmp 1/1"}));
    EXPECT_EQ(h.titles(), (std::vector<std::string>{" About to return to main screen"}));
    EXPECT_EQ(h.screen.chooserMasks.size(), 2u); // the third choice is never asked for
}

TEST(RunResultViewer, AGivenFileIsViewedFirstRememberedAndWritesBesideItself) {
    Harness h;
    h.state.SettingsPath = h.dir.path() + "/lexmora9.ini";
    h.state.TargetDirectory = h.dir.path() + "/elsewhere";
    h.screen.fileChoices = {std::nullopt}; // after the given file, the chooser is left
    h.screen.steps = {menu(ViewerMenu::MoreFiles)};
    EXPECT_EQ(RunResultViewer(h.state, h.ports, {h.path}), 0);
    EXPECT_EQ(h.screen.shownFiles, (std::vector<std::string>{"zoo.dmp 1/1"}));
    EXPECT_EQ(h.screen.chooserMasks.size(), 1u); // asked only once the given file was left
    EXPECT_EQ(h.state.ViewFolder, h.dir.path());
    EXPECT_EQ(RecentPaths(h.state.SettingsPath, RecentKind::ResultFile),
              std::vector<std::string>{h.path});
}

// "Find in Lines" keeps the lines holding the word (restorable, the count told); F3 walks the
// lines holding it from the top, round past the last; a word no line holds is said so.
TEST(ViewerCommandLoop, FindInLinesKeepsTheLinesHoldingTheWordAndF3WalksThem) {
    Harness h;
    h.state.ScreenLines = 1;
    std::vector<std::int64_t> tops;
    auto noteTop = [&tops](ProgramState& s, ViewerCommandQueue&) { tops.push_back(s.TopPosition); };
    h.screen.findWords = {std::string("  THE "), std::string("the"), std::string("zebra")};
    h.screen.steps = {menu(ViewerMenu::FindNext),    noteTop,
                      menu(ViewerMenu::FindNext),    noteTop,
                      menu(ViewerMenu::FindNext),    noteTop,
                      menu(ViewerMenu::FindInLines), menu(ViewerMenu::FindInLines)};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    // "the" is in the first line only ("the black cat sat on the mat"), "them" never counts.
    EXPECT_EQ(tops, (std::vector<std::int64_t>{2, 2, 2}));
    EXPECT_EQ(h.screen.findOffers, (std::vector<std::string>{"", "THE", "the"}));
    EXPECT_EQ(h.prompter.shown.at(0).text, "1 of the 4 lines shown hold \"the\".\r\n"
                                           "Restore all Deletions brings the others back.");
    EXPECT_EQ(h.prompter.shown.at(1).text, "No line shown holds \"zebra\".");
    EXPECT_EQ(rightWords(viewer), (std::vector<std::string>{"sat"}));
    EXPECT_EQ(viewer.ChangeCount(), 3);
    viewer.RestoreAllDeletions();
    EXPECT_EQ(rightWords(viewer), (std::vector<std::string>{"sat", "ran", "at", "zooms"}));
}

TEST(ViewerCommandLoop, F3GoesRoundTheLinesHoldingTheWord) {
    Harness h;
    h.state.ScreenLines = 1;
    std::vector<std::int64_t> tops;
    auto noteTop = [&tops](ProgramState& s, ViewerCommandQueue&) { tops.push_back(s.TopPosition); };
    h.screen.findWords = {std::string("cat")};
    h.screen.steps = {menu(ViewerMenu::FindNext), noteTop, menu(ViewerMenu::FindNext), noteTop,
                      menu(ViewerMenu::FindNext), noteTop, menu(ViewerMenu::FindNext), noteTop,
                      menu(ViewerMenu::FindNext), noteTop};
    ResultViewer viewer = h.open();
    ViewerCommandLoop(viewer, h.state, h.pass, h.ports);
    EXPECT_EQ(tops, (std::vector<std::int64_t>{2, 3, 4, 5, 2}));
    EXPECT_EQ(h.screen.findOffers.size(), 1u); // asked once, then repeated
}

} // namespace
} // namespace lexmora
