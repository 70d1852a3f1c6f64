#include "viewer/result_viewer.h"

#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lexmora {
namespace {

using test::Hit;
using test::shownMatches;

ViewerOptions onDisk(int stepN = 1) {
    ViewerOptions o;
    o.stepN = stepN;
    o.freeMemory = [] { return std::optional<std::uint64_t>(0); };
    return o;
}

ViewerOptions inMemory(int stepN = 1) {
    ViewerOptions o;
    o.stepN = stepN;
    o.freeMemory = [] { return std::optional<std::uint64_t>(1ull << 40); };
    return o;
}

std::vector<Hit> animals() {
    return {{"a.txt", "the black ", "cat", " sat on the mat"},
            {"a.txt", "a walking ", "cat", " ran"},
            {"b.txt", "no ", "cat", " at all"}};
}

TEST(ResultViewerOpen, HeaderGivesLengthsAndKeyword) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "cat_001.dmp", animals(), "le chat");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok()) << viewer.error().text;
    // The whole header is kept: 100 characters of text, so 121 bytes a record.
    EXPECT_EQ(viewer->RecordLength(), 121);
    EXPECT_EQ(viewer->LeftContextWidth(), 10);
    EXPECT_EQ(viewer->KeywordColumn(), 16);
    EXPECT_EQ(viewer->ViewKeyword(), "le chat"); // a keyword keeps its blank
    EXPECT_TRUE(viewer->isOwnResultFile());
    EXPECT_EQ(viewer->RecordTotal(), 4);
    EXPECT_EQ(viewer->IndexCount(), 4);
    EXPECT_FALSE(viewer->InMemory());
    EXPECT_EQ(viewer->kwicText(viewer->GetRecord(2)), "1    the black cat sat on the mat");
    EXPECT_EQ(viewer->GetRecord(4).substr(100), " B.TXT        00002");
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(ResultViewerOpen, InMemoryAndOnDiskShowTheSameRecords) {
    test::TempDir dir;
    std::vector<Hit> hits;
    for (int i = 0; i < 10; ++i)
        hits.push_back({"a.txt", "w" + std::to_string(i) + " ", "cat", " r" + std::to_string(i)});
    const std::string path = test::writeResultFile(dir, "c.dmp", hits);
    SilentPrompter prompter;
    for (int n : {1, 3, 100}) {
        auto disk = ResultViewer::open(path, prompter, onDisk(n));
        auto memory = ResultViewer::open(path, prompter, inMemory(n));
        ASSERT_TRUE(disk.ok() && memory.ok());
        EXPECT_TRUE(memory->InMemory());
        EXPECT_EQ(disk->RecordIndex(), memory->RecordIndex());
        EXPECT_EQ(test::shownLines(*disk), test::shownLines(*memory));
    }
    auto third = ResultViewer::open(path, prompter, onDisk(3));
    // Every third of 11 records: 1, 4, 7, 10; (11 - 1) div 3 + 1 = 4 entries.
    EXPECT_EQ(third->RecordIndex(), (std::vector<std::uint32_t>{1, 4, 7, 10}));
    third->Reindex(1);
    EXPECT_EQ(third->IndexCount(), 11);
    third->Reindex(0); // below 1 is taken as 1
    EXPECT_EQ(third->StepN(), 1);
}

TEST(ResultViewerOpen, OnlyAHeaderShowsNothingAndNoEveryNth) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "none.dmp", {});
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_EQ(viewer->RecordTotal(), 1);
    EXPECT_EQ(viewer->IndexCount(), 1);
    EXPECT_FALSE(viewer->everyNthAvailable(22));
}

TEST(ResultViewerOpen, ScrollScaleAbove32767Records) {
    test::TempDir dir;
    std::string bytes = BuildDumpRecord(BuildDumpHeaderText("big.dmp", 80, 10, "x"), "", 0, 80);
    const std::string record = BuildDumpRecord("1    left text x right", "A.TXT", 1, 80);
    for (int i = 1; i < 40000; ++i)
        bytes += record;
    const std::string path = dir.write("big.dmp", bytes);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, inMemory());
    ASSERT_TRUE(viewer.ok());
    EXPECT_TRUE(viewer->ScrollScaled());
    EXPECT_NEAR(viewer->ScrollScale(), 40000.0 / 32767.0, 1e-9);
    EXPECT_FALSE(viewer->InMemory()); // more records than the in-memory list holds
    EXPECT_TRUE(viewer->everyNthAvailable(22));
}

// Read a batch at a time in file order, a sorted file gives the records GetRecord gives, in
// display order, across batches, and stops when asked.
TEST(ResultViewerVisit, SortedRecordsInDisplayOrderAcrossBatches) {
    test::TempDir dir;
    std::string bytes = BuildDumpRecord(BuildDumpHeaderText("big.dmp", 80, 10, "x"), "", 0, 80);
    for (int i = 1; i < 40000; ++i) {
        const std::string word = std::to_string((i * 7919) % 40000);
        bytes += BuildDumpRecord(std::to_string(i) + "    left text x w" + word, "A.TXT", i, 80);
    }
    const std::string path = dir.write("big.dmp", bytes);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    viewer->Sort(SortMode::WordBeginning, 0, 1, 10);
    std::vector<std::string> expected;
    for (std::int64_t p = 1; p <= viewer->IndexCount(); ++p)
        expected.emplace_back(viewer->GetRecord(p));
    std::vector<std::string> visited;
    viewer->VisitRecords(1, viewer->IndexCount(), [&](std::int64_t p, std::string_view record) {
        EXPECT_EQ(p, static_cast<std::int64_t>(visited.size()) + 1);
        visited.emplace_back(record);
        return true;
    });
    EXPECT_EQ(visited, expected);
    visited.clear();
    viewer->VisitRecords(20000, 99999, [&](std::int64_t, std::string_view record) {
        visited.emplace_back(record);
        return visited.size() < 3;
    });
    EXPECT_EQ(visited,
              (std::vector<std::string>(expected.begin() + 19999, expected.begin() + 20002)));
}

// In file order the records come straight from the read-ahead blocks: the same records as
// GetRecord gives, across many blocks, past deleted lines, with a damaged record shown as such
// and counted once, and a stop where asked.
TEST(ResultViewerVisit, FileOrderFromReadBlocksSkipsDeletedAndMarksDamaged) {
    test::TempDir dir;
    std::string bytes = BuildDumpRecord(BuildDumpHeaderText("big.dmp", 80, 10, "x"), "", 0, 80);
    for (int i = 1; i < 9000; ++i)
        bytes += BuildDumpRecord(std::to_string(i) + "    left text x w" + std::to_string(i),
                                 "A.TXT", i, 80);
    bytes[80 * 5000 + 78] = 'x'; // record 5001 no longer ends in CR LF
    const std::string path = dir.write("big.dmp", bytes);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    ASSERT_FALSE(viewer->InMemory());
    std::vector<std::int64_t> gone;
    for (std::int64_t p = 300; p < 3500; p += 7)
        gone.push_back(p);
    ScriptedPrompter yes({Answer::Yes});
    viewer->DeleteSelected(gone, yes);
    ASSERT_EQ(viewer->IndexCount(), 9000 - static_cast<std::int64_t>(gone.size()));

    const std::int64_t damagedAtOpen = viewer->damagedRecordsSeen();
    std::vector<std::string> expected;
    for (std::int64_t p = 1; p <= viewer->IndexCount(); ++p)
        expected.emplace_back(p == 1 ? viewer->GetRecord(p)
                                     : viewer->kwicText(viewer->GetRecord(p)));
    const std::int64_t damagedBefore = viewer->damagedRecordsSeen();
    ASSERT_EQ(damagedBefore, damagedAtOpen + 1);
    std::vector<std::string> visited;
    viewer->VisitRecords(1, viewer->IndexCount(), [&](std::int64_t p, std::string_view record) {
        EXPECT_EQ(p, static_cast<std::int64_t>(visited.size()) + 1);
        visited.emplace_back(p == 1 ? record : viewer->kwicText(record));
        return true;
    });
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(viewer->damagedRecordsSeen(), damagedBefore + 1);
    EXPECT_EQ(std::count(visited.begin(), visited.end(), std::string(kDamagedRecordText)), 1);
    EXPECT_EQ(visited[2], "2    left text x w2");
    EXPECT_EQ(visited[298], "298    left text x w298");
    EXPECT_EQ(visited[299], "300    left text x w300"); // hit 299, at position 300, was deleted

    visited.clear();
    viewer->VisitRecords(4000, 99999, [&](std::int64_t, std::string_view record) {
        visited.emplace_back(viewer->kwicText(record));
        return visited.size() < 2;
    });
    EXPECT_EQ(visited,
              (std::vector<std::string>(expected.begin() + 3999, expected.begin() + 4001)));
}

TEST(ResultViewerOpen, PlainLineFileIsViewedLineByLine) {
    test::TempDir dir;
    const std::string path = dir.write("lines.txt", "abcdef\r\nghijkl\r\nmnopqr\r\n");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_FALSE(viewer->hasHeader());
    EXPECT_EQ(viewer->RecordLength(), 8);
    EXPECT_EQ(viewer->RecordTotal(), 3);
    EXPECT_EQ(viewer->GetRecord(3), "mnopqr");
}

TEST(ResultViewerOpen, FailuresGiveTheirMessages) {
    test::TempDir dir;
    SilentPrompter prompter;
    const std::string good = test::writeResultFile(dir, "good.dmp", animals());
    const std::string goodBytes = test::readFile(good);

    struct Case {
        const char* what;
        std::string name, bytes;
        std::string title;
    };
    std::string liar = goodBytes;
    const std::size_t digits = goodBytes.find("Recordlength:  ") + 15; // "114"
    liar.replace(digits, 3, "999");
    std::string lostByte = goodBytes;
    lostByte.erase(100, 1);
    std::string zeroLength = goodBytes;
    zeroLength.replace(digits, 3, "  0");
    std::string wideLeft = goodBytes;
    wideLeft.replace(wideLeft.find("LeftContext:  10"), 16, "LeftContext:  99");
    const Case cases[] = {
        {"header lies about the record length", "liar.dmp", liar, " Damaged file !"},
        {"a byte lost in the middle", "lost.dmp", lostByte, " Damaged file !"},
        {"zero record length", "zero.dmp", zeroLength, " Damaged file !"},
        {"left context wider than the record", "wide.dmp", wideLeft, " Damaged file !"},
        {"binary file", "bin.dmp",
         std::string("\x7f"
                     "ELF\0\0\0\r\n",
                     9),
         " Not a result file"},
        {"no line end at all", "one.dmp", std::string(70000, 'x'), " Not a result file"},
        {"lines of unequal length", "uneven.txt", "ab\r\nabcdef\r\nabc\r\n", " Damaged file !"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write(c.name, c.bytes);
        auto viewer = ResultViewer::open(path, prompter, onDisk());
        ASSERT_FALSE(viewer.ok()) << c.what;
        EXPECT_EQ(viewer.error().title, c.title) << c.what;
        EXPECT_EQ(viewer.error().icon, Icon::Exclamation) << c.what;
        EXPECT_EQ(test::readFile(path), c.bytes) << c.what << ": the file is left as it was";
    }

    ViewerOptions next = onDisk();
    next.firstFile = false;
    auto missing = ResultViewer::open(dir.path() + "/missing.dmp", prompter, next);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().text.substr(0, 50),
              "Cannot open file missing.dmp - trying next file...");
    auto first = ResultViewer::open(dir.path() + "/missing.dmp", prompter, onDisk());
    EXPECT_EQ(first.error().text.substr(0, 30), "Cannot open file missing.dmp\r\n");
}

TEST(ResultViewerOpen, EmptyFileIsRefusedAndKept) {
    test::TempDir dir;
    const std::string dump = dir.write("empty.dmp", "");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(dump, prompter, onDisk());
    ASSERT_FALSE(viewer.ok());
    EXPECT_EQ(viewer.code(), FailureCode::EmptyFile);
    EXPECT_EQ(viewer.error().text,
              "Cannot continue - the file is empty.\r\nPlease make new selection...");
    EXPECT_EQ(viewer.error().title, " Empty file !");
    EXPECT_TRUE(fileIsPresent(dump)); // opening never deletes: the caller asks first
    EXPECT_TRUE(prompter.shown.empty());
}

// What the question after " Empty file !" deletes, by the file's name, the answer and what lies
// beside it.
TEST(OfferEmptyFileDeletion, DeletesOnlyEmptyResultFilesTheUserLetsGo) {
    struct Case {
        const char* what;
        std::string viewed;
        std::vector<std::pair<std::string, std::string>> beside; // name, bytes
        Answer answer;
        bool asked;
        std::vector<std::string> gone;
    };
    const std::vector<Case> cases = {
        {"No keeps everything", "r.dmp", {{"r.log", ""}, {"r.sum", ""}}, Answer::No, true, {}},
        {"Yes deletes the dump and its empty log and summary",
         "r.dmp",
         {{"r.log", ""}, {"r.sum", ""}},
         Answer::Yes,
         true,
         {"r.dmp", "r.log", "r.sum"}},
        {"a log or summary holding anything stays",
         "r.dmp",
         {{"r.log", "#32 log"}, {"r.sum", "12 examples"}},
         Answer::Yes,
         true,
         {"r.dmp"}},
        {"dumpfile.003 takes its empty dumplog.003",
         "dumpfile.003",
         {{"dumplog.003", ""}, {"dumpfile.log", "keep"}},
         Answer::Yes,
         true,
         {"dumpfile.003", "dumplog.003"}},
        {"a file of another name is never offered",
         "notes.txt",
         {{"notes.log", ""}},
         Answer::Yes,
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string viewed = dir.write(c.viewed, "");
        for (const auto& [name, bytes] : c.beside)
            dir.write(name, bytes);
        ScriptedPrompter prompter({c.answer});
        EXPECT_EQ(OfferEmptyFileDeletion(viewed, prompter), !c.gone.empty());
        ASSERT_EQ(prompter.shown.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(prompter.shown[0].text, "Delete the empty file " + c.viewed + " ?");
            EXPECT_EQ(prompter.shown[0].buttons, Buttons::YesNo);
        }
        std::vector<std::string> names = {c.viewed};
        for (const auto& entry : c.beside)
            names.push_back(entry.first);
        for (const std::string& name : names) {
            const bool gone = std::find(c.gone.begin(), c.gone.end(), name) != c.gone.end();
            EXPECT_EQ(fileIsPresent(dir.path() + "/" + name), !gone) << name;
        }
    }
}

TEST(OfferEmptyFileDeletion, AFileNoLongerEmptyIsNotOffered) {
    test::TempDir dir;
    const std::string dump = dir.write("r.dmp", "#32 now written");
    ScriptedPrompter prompter({Answer::Yes});
    EXPECT_FALSE(OfferEmptyFileDeletion(dump, prompter));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(test::readFile(dump), "#32 now written");
}

TEST(ResultViewerOpen, IncompleteLastRecordIsToldAndNotShown) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "cut.dmp", animals());
    const std::string bytes = test::readFile(path);
    dir.write("cut.dmp", bytes.substr(0, bytes.size() - 30));
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_EQ(viewer->RecordTotal(), 3);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].title, " Incomplete file");
    // 4 records of 113 bytes less 30: the last 83 bytes are left out.
    EXPECT_EQ(viewer->RecordLength(), 113);
    EXPECT_NE(prompter.shown[0].text.find("last 83 bytes"), std::string::npos);
}

TEST(ResultViewerOpen, LogNamesBesideTheResultFile) {
    EXPECT_EQ(LogFileFor("/r/dumpfile.003"), "/r/dumplog.003");
    EXPECT_EQ(LogFileFor("/r/DumpFile.003"), "/r/dumplog.003");
    EXPECT_EQ(LogFileFor("/r/report.dmp"), "/r/report.log");
    EXPECT_EQ(LogFileFor("/r/report.new"), "/r/report.log");
}

TEST(ResultViewerOpen, ScreenGeometryFromHeight) {
    const ScreenGeometry kept{19, 80};
    EXPECT_EQ(ViewerScreenGeometry(480, kept).lines, 22);
    EXPECT_EQ(ViewerScreenGeometry(768, kept).lines, 22);
    EXPECT_EQ(ViewerScreenGeometry(1080, kept).lines, 23);
    EXPECT_EQ(ViewerScreenGeometry(1080, kept).columns, 86);
    EXPECT_EQ(ViewerScreenGeometry(700, kept).lines, 19);
}

// --- sorting ----------------------------------------------------------------------------------

std::vector<Hit> sortingHits() {
    return {{"a.txt", "he was ", "walking", " home, Slowly"},
            {"a.txt", "they were ", "talking", " about apples"},
            {"a.txt", "the ", "king", " came. banana"},
            {"b.txt", "l'", "homme", " est Cherry"},
            {"b.txt", "the young ", "thing", " was here"}};
}

TEST(ResultViewerSort, ByWordEndBringsWordEndingsTogether) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "s.dmp", sortingHits(), "*ing");
    SilentPrompter prompter;
    for (auto options : {onDisk(), inMemory()}) {
        auto viewer = ResultViewer::open(path, prompter, options);
        ASSERT_TRUE(viewer.ok());
        viewer->Sort(SortMode::WordEnd, 0, 0, test::kRight);
        // Keys: gniklaw, gniklat, gnik, emmoh, gniht: binary order.
        EXPECT_EQ(shownMatches(*viewer),
                  (std::vector<std::string>{"homme", "thing", "king", "talking", "walking"}));
        EXPECT_EQ(viewer->recordAt(1), 1u); // the header stays first
        viewer->Unsort();
        EXPECT_EQ(shownMatches(*viewer),
                  (std::vector<std::string>{"walking", "talking", "king", "homme", "thing"}));
    }
}

TEST(ResultViewerSort, ByWordBeginningIgnoresCaseAndElision) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "s.dmp", sortingHits(), "*ing");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    // Second word to the right: Slowly, apples, banana, Cherry, here (case ignored).
    viewer->Sort(SortMode::WordBeginning, 0, 2, test::kRight);
    EXPECT_EQ(shownMatches(*viewer),
              (std::vector<std::string>{"talking", "king", "homme", "thing", "walking"}));
    // The first word to the left: "l'homme est Cherry" sorts as "homme est Cherry l", then
    // "the king", "was walking", "were talking", "young thing".
    viewer->Sort(SortMode::WordBeginning, 1, 0, test::kRight);
    EXPECT_EQ(shownMatches(*viewer),
              (std::vector<std::string>{"homme", "king", "walking", "talking", "thing"}));
    // On the keyword: homme, king, talking, thing, walking.
    viewer->Sort(SortMode::WordBeginning, 0, 0, test::kRight);
    EXPECT_EQ(shownMatches(*viewer),
              (std::vector<std::string>{"homme", "king", "talking", "thing", "walking"}));
}

TEST(ResultViewerSort, CollocationCountsTheWordAtTheSortPosition) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "c.dmp",
                                                   {{"a.txt", "x ", "cat", " The end"},
                                                    {"a.txt", "y ", "cat", " sat down"},
                                                    {"a.txt", "z ", "cat", " the mat"},
                                                    {"a.txt", "w ", "cat", " THE rest"}});
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    auto none = viewer->Collocate();
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().text,
              "Before you can perform a collocation\r\nyou must first perform a sort");
    viewer->Sort(SortMode::WordBeginning, 0, 1, test::kRight);
    auto collocation = viewer->Collocate();
    ASSERT_TRUE(collocation.ok());
    ASSERT_EQ(collocation->collocates.size(), 2u);
    EXPECT_EQ(collocation->collocates[0].word, "sat");
    EXPECT_EQ(collocation->collocates[0].count, 1);
    EXPECT_EQ(collocation->collocates[1].count, 3); // The, the, THE
    EXPECT_EQ(collocation->largest, 3);
    EXPECT_EQ(collocation->smallest, 1);
    // Deleted records leave the collocation too.
    ScriptedPrompter yes({Answer::Yes});
    EXPECT_EQ(viewer->DeleteSelected({2, 3}, yes), 2);
    collocation = viewer->Collocate();
    EXPECT_EQ(collocation->collocates.size(), 1u);
    EXPECT_EQ(collocation->collocates[0].count, 2);
}

// Case folding merges spellings: the one shown is the one that occurs most, and of spellings as
// frequent the one in lower case, never simply the first in byte order ("LA" before "la").
TEST(ResultViewerSort, CollocationShowsTheSpellingThatOccursMost) {
    struct Case {
        std::vector<std::string> words;
        std::string shown;
    };
    const Case cases[] = {
        {{"LA", "la", "la", "La"}, "la"},
        {{"LA", "la"}, "la"},
        {{"THE", "The"}, "The"},
        {{"Paris", "paris", "Paris"}, "Paris"},
        {{"\xC9T\xC9", "\xE9t\xE9"}, "\xE9t\xE9"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        std::vector<Hit> hits;
        for (const std::string& word : c.words)
            hits.push_back({"a.txt", "x ", "cat", " " + word + " end"});
        const std::string path = test::writeResultFile(dir, "c.dmp", hits);
        SilentPrompter prompter;
        auto viewer = ResultViewer::open(path, prompter, onDisk());
        ASSERT_TRUE(viewer.ok());
        viewer->Sort(SortMode::WordBeginning, 0, 1, test::kRight);
        auto collocation = viewer->Collocate();
        ASSERT_TRUE(collocation.ok());
        ASSERT_EQ(collocation->collocates.size(), 1u) << c.shown;
        EXPECT_EQ(collocation->collocates[0].word, c.shown);
        EXPECT_EQ(collocation->collocates[0].count, static_cast<std::int64_t>(c.words.size()));
    }
}

// --- deletions --------------------------------------------------------------------------------

TEST(ResultViewerDelete, ThreeDeletedAskOnceAndUndoBringsBackTheLast) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "d.dmp", sortingHits(), "*ing");
    ScriptedPrompter prompter({Answer::Yes});
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_EQ(viewer->DeleteSelected({2, 4, 5}, prompter), 3);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text, "Continue with the deletion of 3 items?");
    EXPECT_EQ(prompter.shown[0].title, "About to delete items");
    EXPECT_EQ(viewer->ChangeCount(), 3);
    EXPECT_EQ(shownMatches(*viewer), (std::vector<std::string>{"talking", "thing"}));
    // Highest first, so the last deleted is position 2.
    EXPECT_TRUE(viewer->UndoLastDeletion());
    EXPECT_EQ(shownMatches(*viewer), (std::vector<std::string>{"walking", "talking", "thing"}));
    EXPECT_FALSE(viewer->UndoLastDeletion()); // only one deletion can be undone
    EXPECT_EQ(viewer->IndexCount(), 4);
    EXPECT_EQ(viewer->ChangeCount(), 2);
    viewer->RestoreAllDeletions();
    EXPECT_EQ(viewer->ChangeCount(), 0);
    EXPECT_EQ(viewer->IndexCount(), 6);
}

TEST(ResultViewerDelete, HeaderStaysAndNoSaysNo) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "d.dmp", sortingHits(), "*ing");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    EXPECT_EQ(viewer->DeleteSelected({1}, prompter), 0);
    EXPECT_EQ(viewer->DeleteSelected({2, 3}, prompter), 0); // the safe answer is No
    EXPECT_EQ(viewer->DeleteSelected({3}, prompter), 1);    // one item: no question
    EXPECT_EQ(prompter.shown.size(), 1u);
    // Un-sort after a deletion keeps the record away.
    viewer->Sort(SortMode::WordEnd, 0, 0, test::kRight);
    viewer->Unsort();
    EXPECT_EQ(shownMatches(*viewer),
              (std::vector<std::string>{"walking", "king", "homme", "thing"}));
}

TEST(ResultViewerDelete, SortAfterDeletionKeepsKeysInStep) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "d.dmp", sortingHits(), "*ing");
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    viewer->Sort(SortMode::WordEnd, 0, 0, test::kRight);
    EXPECT_EQ(viewer->DeleteSelected({2}, prompter), 1); // homme
    ASSERT_EQ(viewer->SortKeys().size(), 4u);
    for (std::size_t i = 0; i < viewer->SortKeys().size(); ++i)
        EXPECT_EQ(viewer->SortKeys()[i].record, viewer->recordAt(static_cast<std::int64_t>(i) + 2));
    EXPECT_TRUE(viewer->UndoLastDeletion());
    EXPECT_EQ(viewer->keyText(viewer->SortKeys()[0]), "emmoh");
}

// A deletion made under one sort and undone after another brings back a key of the new sort, so
// that the collocation counts the word the new sort looks at.
TEST(ResultViewerDelete, UndoAfterAnotherSortBringsBackAKeyOfThatSort) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(dir, "c.dmp",
                                                   {{"a.txt", "x ", "cat", " The end"},
                                                    {"a.txt", "y ", "cat", " sat down"},
                                                    {"a.txt", "z ", "cat", " the mat"}});
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter, onDisk());
    ASSERT_TRUE(viewer.ok());
    viewer->Sort(SortMode::WordEnd, 0, 0, test::kRight);
    EXPECT_EQ(viewer->DeleteSelected({2}, prompter), 1);
    viewer->Sort(SortMode::WordBeginning, 0, 1, test::kRight);
    EXPECT_TRUE(viewer->UndoLastDeletion());
    ASSERT_EQ(viewer->SortKeys().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const SortKey& key = viewer->SortKeys()[i];
        EXPECT_EQ(key.record, viewer->recordAt(static_cast<std::int64_t>(i) + 2));
        const std::string word = CollocateWord(viewer->keyText(key), SortMode::WordBeginning);
        EXPECT_TRUE(word == "The" || word == "the" || word == "sat") << word;
    }
    auto collocation = viewer->Collocate();
    ASSERT_TRUE(collocation.ok());
    ASSERT_EQ(collocation->collocates.size(), 2u);
    EXPECT_EQ(collocation->collocates[1].count, 2);
}

} // namespace
} // namespace lexmora
