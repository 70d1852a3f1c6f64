// A KWIC line cut into its table columns, its source named from the log, and the words each
// level of a sort keyed on found again in the line.
#include "viewer/kwic_columns.h"

#include "viewer/viewer_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace lexmora {
namespace {

TEST(KwicColumns, CutsLinesIntoLeftKeywordRight) {
    struct Case {
        const char* line;
        std::size_t words;
        const char* left;
        const char* keyword;
        const char* right;
    };
    // Hit number (5), left context (10), keyword, right context.
    const Case cases[] = {
        {"    1the black cat sat on the mat", 1, "the black", "cat", "sat on the mat"},
        {"    2       no cat", 1, "no", "cat", ""},
        {"    3tout pres maison de campagne, enfin", 3, "tout pres", "maison de campagne,",
         "enfin"},
        {"    4", 1, "", "", ""},
    };
    for (const Case& c : cases) {
        const KwicCut cut = CutKwicLine(c.line, 10, c.words);
        EXPECT_EQ(cut.left, c.left) << c.line;
        EXPECT_EQ(cut.keyword, c.keyword) << c.line;
        EXPECT_EQ(cut.right, c.right) << c.line;
    }
    EXPECT_EQ(KeywordWordsForCut(" maison  de campagne "), 3u);
    EXPECT_EQ(KeywordWordsForCut(""), 1u);
}

TEST(KwicColumns, SourceNamesFromTheLogElseTheRecord) {
    test::TempDir dir;
    const std::string path = test::writeResultFile(
        dir, "cat.dmp",
        {{"a.txt", "the black ", "cat", " sat"}, {"b.txt", "no ", "cat", " at all"}});
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter);
    ASSERT_TRUE(viewer.ok());
    {
        SourceNames names(*viewer);
        const auto fields = SplitDumpRecord(viewer->GetRecord(3), viewer->RecordLength());
        EXPECT_EQ(names.nameOf(fields), "b.txt");
        EXPECT_EQ(names.folderOf(fields), dir.path());
    }
    ASSERT_EQ(std::remove((dir.path() + "/cat.log").c_str()), 0);
    SourceNames names(*viewer);
    const auto fields = SplitDumpRecord(viewer->GetRecord(3), viewer->RecordLength());
    EXPECT_EQ(names.nameOf(fields), "B.TXT");
    EXPECT_EQ(names.folderOf(fields), "");
}

TEST(KwicColumns, SortWordsOfEachLevel) {
    test::TempDir dir;
    const std::string path =
        test::writeResultFile(dir, "cat.dmp",
                              {{"a.txt", "a l'homme ", "cat", " noir, qui dort"},
                               {"a.txt", "un ", "cat", " l'ami gris"}});
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter);
    ASSERT_TRUE(viewer.ok());
    EXPECT_TRUE(SortWordSpans(*viewer, viewer->GetRecord(2)).empty()); // not sorted
    viewer->Sort({{SortMode::WordBeginning, 0, 1},
                  {SortMode::WordEnd, 0, 2},
                  {SortMode::WordBeginning, 1, 0}},
                 test::kRight);
    // Display order: "ami" before "noir".
    const std::string second(viewer->kwicText(viewer->GetRecord(3)));
    ASSERT_NE(second.find("a l'homme cat noir, qui dort"), std::string::npos);
    const auto spans = SortWordSpans(*viewer, viewer->GetRecord(3));
    ASSERT_EQ(spans.size(), 3u);
    // 1R "noir" without its comma, 2R "qui", 1L "homme": the word after the apostrophe, as the
    // sort reads it.
    EXPECT_EQ(second.substr(spans[0].from, spans[0].length), "noir");
    EXPECT_EQ(spans[0].level, 0);
    EXPECT_EQ(second.substr(spans[1].from, spans[1].length), "qui");
    EXPECT_EQ(spans[1].level, 1);
    EXPECT_EQ(second.substr(spans[2].from, spans[2].length), "homme");
    EXPECT_EQ(spans[2].level, 2);
    // A first word that is elided sorts under the word joined to it: both are its colour.
    const std::string first(viewer->kwicText(viewer->GetRecord(2)));
    const auto firstSpans = SortWordSpans(*viewer, viewer->GetRecord(2));
    ASSERT_FALSE(firstSpans.empty());
    EXPECT_EQ(first.substr(firstSpans[0].from, firstSpans[0].length), "l'ami");
    EXPECT_EQ(firstSpans[0].level, 0);
}

} // namespace
} // namespace lexmora
