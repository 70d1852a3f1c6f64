// Reading a pair back (and refusing a damaged or mismatched one), and the viewer's rows, norms,
// sorts, word search, ranges and ".lex" text.
#include "wordcount/frequency_table.h"

#include "core/paths.h"
#include "count_fixture.h"
#include "wordcount/word_rules.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

using test::readFile;

using test::writePair;

TEST(WordcountFiles, LoadsAPairAndItsTotals) {
    test::TempDir dir;
    const std::string path = writePair(dir, "p", 3, {{"an", 2}, {"be", 1}});
    Result<CountFile> file = LoadCountFile(path);
    ASSERT_TRUE(file.ok()) << file.error().text;
    EXPECT_EQ(file->tokenCount, 3);
    EXPECT_EQ(file->typeCount, 2);
    EXPECT_EQ(file->fileCount, 1);
    EXPECT_EQ(file->defaultNorm, 1);
    EXPECT_EQ(file->letters[0].position, 47);
    EXPECT_EQ(file->letters[1].position, 51);
    EXPECT_EQ(file->letters[2].position, 55);
    EXPECT_EQ(ReadWordAt(file.value(), 51), "be");
}

TEST(WordcountFiles, RefusesForeignDamagedAndMismatchedFiles) {
    struct Case {
        const char* what;
        std::function<void(test::TempDir&, const std::string&)> damage;
        const char* title;
        const char* textStart;
    };
    const std::vector<Case> cases = {
        {"a text file of another kind",
         [](test::TempDir& d, const std::string&) { d.write("out/p.lst", "just some text\r\n"); },
         "Invalid file!", "\xAB p.lst \xBB is either the wrong type"},
        {"counts overwritten with text",
         [](test::TempDir& d, const std::string& p) {
             std::string bytes = readFile(p);
             bytes.replace(7, 3, "abc");
             d.write("out/p.lst", bytes);
         },
         "Invalid file!", "\xAB p.lst \xBB is either the wrong type"},
        {"index cut short",
         [](test::TempDir& d, const std::string& p) {
             const std::string sta = readFile(StripExtension(p) + ".sta");
             d.write("out/p.sta", sta.substr(0, sta.size() - 8));
         },
         "Invalid file!", "\xAB p.lst \xBB and its index \xAB p.sta \xBB do not match"},
        {"index of another list",
         [](test::TempDir& d, const std::string&) {
             writePair(d, "q", 3, {{"ant", 2}, {"be", 1}});
             d.write("out/p.sta", readFile(d.path() + "/out/q.sta"));
         },
         "Invalid file!", "\xAB p.lst \xBB and its index \xAB p.sta \xBB do not match"},
        {"word list cut short",
         [](test::TempDir& d, const std::string& p) {
             d.write("out/p.lst", readFile(p).substr(0, 50));
         },
         "Invalid file!", "\xAB p.lst \xBB and its index \xAB p.sta \xBB do not match"},
        {"no index at all",
         [](test::TempDir&, const std::string& p) {
             ::unlink((StripExtension(p) + ".sta").c_str());
         },
         " Error opening file",
         "Cannot open file - check that p.sta\r\nis in same folder as p.lst"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string path = writePair(dir, "p", 3, {{"an", 2}, {"be", 1}});
        c.damage(dir, path);
        Result<CountFile> file = LoadCountFile(path);
        ASSERT_FALSE(file.ok()) << c.what;
        EXPECT_EQ(file.error().title, c.title) << c.what;
        EXPECT_EQ(file.error().text.rfind(c.textStart, 0), 0u)
            << c.what << ": " << file.error().text;
    }
}

TEST(WordcountFiles, FileCountZeroAndDefaultNorms) {
    EXPECT_EQ(DefaultNormFor(499, 1), 1);
    EXPECT_EQ(DefaultNormFor(500, 1), 2);
    EXPECT_EQ(DefaultNormFor(4999, 1), 2);
    EXPECT_EQ(DefaultNormFor(49999, 1), 3);
    EXPECT_EQ(DefaultNormFor(499999, 1), 4);
    EXPECT_EQ(DefaultNormFor(500000, 1), 5);
    EXPECT_EQ(DefaultNormFor(12034, 3), 2);
    EXPECT_EQ(TypeTokenRatioText(12034, 2311), "1:5.2");
    EXPECT_EQ(TypeTokenRatioText(4, 2), "1:2");
    EXPECT_EQ(TypeTokenRatioText(3, 2), "1:1.5");
}

TEST(WordcountView, PercentagesAndNorms) {
    struct Case {
        std::int64_t f, tokens;
        int option;
        const char* percentage;
        const char* norm;
    };
    const Case cases[] = {
        {5, 1000, 1, "0.5000%", "0.5 per 100"},     {1, 12034, 5, "0.0083%", "83 per 1M"},
        {12, 12034, 2, "0.0997%", "1.0 per 1k"},    {523, 12034, 2, "4.3460%", "43.5 per 1k"},
        {12, 12034, 3, "0.0997%", "10 per 10k"},    {12, 12034, 4, "0.0997%", "100 per 100k"},
        {916, 1000000, 5, "0.0916%", "916 per 1M"}, {0, 5, 5, "0.0000%", "0 per 1M"},
        {3, 3, 1, "100.0000%", "100.0 per 100"},    {1, 8, 2, "12.5000%", "125.0 per 1k"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatPercentage(c.f, c.tokens), c.percentage) << c.f << "/" << c.tokens;
        EXPECT_EQ(FormatNorm(c.f, c.tokens, c.option), c.norm) << c.f << "/" << c.tokens;
    }
    EXPECT_STREQ(NormOptionOf(3).caption, "per 10 000 words (10k)");
}

TEST(WordcountView, DetailsLineIsFiftySixBytes) {
    const std::string line =
        DetailsLine(1, "the", 523, FormatPercentage(523, 12034), FormatNorm(523, 12034, 2)) +
        "\r\n";
    EXPECT_EQ(line, "1     the                 523   4.3460%  43.5 per 1k  \r\n");
    EXPECT_EQ(line.size(), 56u);
    // a long word is cut to 20; a wide number is kept whole rather than cut
    EXPECT_EQ(DetailsLine(2, "abcdefghijklmnopqrstuvwxy", 1, "0.0001%", "00.0 per 1k"),
              "2     abcdefghijklmnopqrst1     0.0001%  00.0 per 1k  ");
}

// A number as wide as its field or wider keeps one blank before the next field, so that a
// frequency of six digits never runs into its percentage; a line whose numbers fit is unchanged.
TEST(WordcountView, DetailsLineKeepsBlankAfterWideNumbers) {
    struct Case {
        std::int64_t record;
        std::int64_t frequency;
        const char* percentage;
        const char* norm;
        const char* expected;
    };
    const Case cases[] = {
        {99999, 99999, "3.6630%", "36630 per 1M",
         "99999 maison              99999 3.6630%  36630 per 1M "},
        {12, 180000, "3.6630%", "36630 per 1M",
         "12    maison              180000 3.6630%  36630 per 1M "},
        {1234567, 12345678, "1.0000%", "x",
         "1234567 maison              12345678 1.0000%  x            "},
        {1, 5, "100.0000%", "1000000 per 1M",
         "1     maison              5     100.0000% 1000000 per 1M"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetailsLine(c.record, "maison", c.frequency, c.percentage, c.norm), c.expected)
            << c.frequency;
}

struct ViewCase {
    test::TempDir dir;
    std::string path;
    std::unique_ptr<FrequencyTable> table;
    explicit ViewCase(const std::vector<std::pair<std::string, int>>& types, std::int64_t tokens) {
        path = writePair(dir, "view", tokens, types);
        Result<CountFile> file = LoadCountFile(path);
        EXPECT_TRUE(file.ok()) << (file.ok() ? "" : file.error().text);
        table = std::make_unique<FrequencyTable>(std::move(file.value()));
    }
    std::vector<std::string> words() const {
        std::vector<std::string> out;
        for (const FrequencyRow& r : table->rows(0, table->size()))
            out.push_back(r.word + ":" + std::to_string(r.frequency));
        return out;
    }
};

// Printed "by frequency", the chosen records come highest frequency first (ties in the table's
// order), whatever order the table shows; a table sorted by frequency keeps its own direction.
TEST(WordcountView, PrintByFrequencyPrintsInFrequencyOrder) {
    ViewCase v({{"and", 7}, {"Bob", 2}, {"stalked", 2}, {"talked", 3}, {"the", 9}, {"walked", 2}},
               30);
    const auto printedWords = [&v](const std::vector<std::int64_t>& indices) {
        std::vector<std::string> words; // the header line left out
        for (const std::string& line : v.table->printLines(indices, false, 60))
            if (line != kDetailsHeader)
                words.push_back(line.substr(6, line.find(' ', 6) - 6));
        return words;
    };
    auto chosen = v.table->selectRange(2, 7, true);
    ASSERT_TRUE(chosen.ok());
    EXPECT_EQ(printedWords(v.table->inFrequencyOrder(*chosen)),
              (std::vector<std::string>{"and", "talked", "Bob", "stalked", "walked"}));
    ASSERT_TRUE(v.table->sortBy(FrequencySort::WordEnding).ok());
    chosen = v.table->selectRange(2, 9, true);
    EXPECT_EQ(printedWords(v.table->inFrequencyOrder(*chosen)),
              (std::vector<std::string>{"the", "and", "talked", "Bob", "stalked", "walked"}));
    ASSERT_TRUE(v.table->sortBy(FrequencySort::Ascending).ok());
    chosen = v.table->selectRange(3, 9, true);
    EXPECT_EQ(printedWords(v.table->inFrequencyOrder(*chosen)),
              (std::vector<std::string>{"talked", "and", "the"}));
}

TEST(WordcountView, SortsByFrequencyKeepTiesAlphabetical) {
    ViewCase v({{"and", 7}, {"Bob", 2}, {"stalked", 2}, {"talked", 3}, {"the", 9}, {"walked", 2}},
               30);
    ASSERT_TRUE(v.table->sortBy(FrequencySort::Descending).ok());
    EXPECT_EQ(v.words(), (std::vector<std::string>{"the:9", "and:7", "talked:3", "Bob:2",
                                                   "stalked:2", "walked:2"}));
    EXPECT_FALSE(v.table->inListOrder());
    ASSERT_TRUE(v.table->sortBy(FrequencySort::Ascending).ok());
    EXPECT_EQ(v.words(), (std::vector<std::string>{"Bob:2", "stalked:2", "walked:2", "talked:3",
                                                   "and:7", "the:9"}));
    EXPECT_EQ(v.table->valueRange(true), (std::pair<std::int64_t, std::int64_t>{2, 9}));
    ASSERT_TRUE(v.table->sortBy(FrequencySort::WordEnding).ok());
    EXPECT_EQ(v.words(), (std::vector<std::string>{"Bob:2", "talked:3", "stalked:2", "walked:2",
                                                   "and:7", "the:9"}));
    ASSERT_TRUE(v.table->sortBy(FrequencySort::WordBeginning).ok());
    EXPECT_TRUE(v.table->inListOrder());
    EXPECT_EQ(v.table->row(0).record, 1);
}

TEST(WordcountView, EndingSortPutsCapitalEndingsFirst) {
    ViewCase v({{"caB", 1}, {"cab", 1}, {"dab", 1}}, 3);
    ASSERT_TRUE(v.table->sortBy(FrequencySort::WordEnding).ok());
    EXPECT_EQ(v.words(), (std::vector<std::string>{"caB:1", "cab:1", "dab:1"}));
}

TEST(WordcountView, FindsWordsIgnoringCase) {
    ViewCase v({{"and", 7}, {"Bob", 2}, {"stalked", 2}, {"talked", 3}, {"the", 9}, {"walked", 2}},
               30);
    for (const char* entry : {"THE", "bob", "Walked", "and"}) {
        const FrequencyTable::Found found = v.table->findWord(entry);
        ASSERT_TRUE(found.index.has_value()) << entry;
        EXPECT_TRUE(SameType(v.table->row(*found.index).word, entry));
    }
    EXPECT_FALSE(v.table->findWord("zebra").index.has_value());
    EXPECT_FALSE(v.table->findWord("tha").index.has_value());
    ASSERT_TRUE(v.table->sortBy(FrequencySort::Descending).ok());
    const FrequencyTable::Found found = v.table->findWord("BOB");
    ASSERT_TRUE(found.index.has_value());
    EXPECT_EQ(*found.index, 3);             // the:9 and:7 talked:3 Bob:2
    EXPECT_FALSE(found.notice.has_value()); // few types: no warning
}

TEST(WordcountView, RangesAndTheirErrors) {
    ViewCase v({{"and", 7}, {"Bob", 2}, {"stalked", 2}, {"talked", 3}, {"the", 9}, {"walked", 2}},
               30);
    Result<std::vector<std::int64_t>> wrong = v.table->selectRange(5, 4, true);
    ASSERT_FALSE(wrong.ok());
    EXPECT_EQ(wrong.error().title, " Error in entering values !");
    EXPECT_EQ(wrong.error().buttons, Buttons::RetryCancel);
    Result<std::vector<std::int64_t>> byFrequency = v.table->selectRange(3, 7, true);
    EXPECT_EQ(byFrequency.value(), (std::vector<std::int64_t>{0, 3}));
    Result<std::vector<std::int64_t>> byRecord = v.table->selectRange(2, 3, false);
    EXPECT_EQ(byRecord.value(), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(v.table->detailsText(byRecord.value()),
              std::string(kDetailsHeader) + "\r\n" +
                  "2     Bob                 2     6.6667%  6.7 per 100  \r\n" +
                  "3     stalked             2     6.6667%  6.7 per 100  \r\n");
}

TEST(WordcountView, SavingTwiceGivesNumberedNames) {
    ViewCase v({{"and", 7}, {"Bob", 2}}, 9);
    ProgramState state;
    state.FrequencyFilesDirectory = v.dir.path() + "/out";
    state.InvalidFileNameChars = "\\?<>:*/|\"";
    SilentPrompter prompter;
    Result<std::string> first = SaveDetails(state, *v.table, {0, 1}, prompter, nullptr);
    Result<std::string> second = SaveDetails(state, *v.table, {1}, prompter, nullptr);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(FileNameOf(first.value()), "view_001.lex");
    EXPECT_EQ(FileNameOf(second.value()), "view_002.lex");
    EXPECT_EQ(readFile(second.value()),
              std::string(kDetailsHeader) + "\r\n" +
                  "2     Bob                 2     22.2222% 22.2 per 100 \r\n");
    EXPECT_EQ(prompter.shown.back().title, "Operation finished");
}

TEST(WordcountView, LongWordsAreShownCutToThirty) {
    const std::string word35(35, 'q');
    ViewCase v({{word35, 1}}, 1);
    EXPECT_EQ(v.table->row(0).word, std::string(30, 'q'));
}

TEST(WordcountView, TopKeepsTheFoundRecordSeventh) {
    EXPECT_EQ(TopForRecord(0, 100), 1);
    EXPECT_EQ(TopForRecord(49, 100), 44);
    EXPECT_EQ(TopForRecord(99, 100), 89);
    EXPECT_EQ(TopForRecord(3, 5), 1);
}

} // namespace
} // namespace lexmora
