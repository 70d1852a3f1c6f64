// The dispersion measures against figures worked out by hand, the per-file rows, the walk's
// files gathered per keyword, and the words of files without hits counted as the word count
// counts them.
#include "analysis/dispersion.h"
#include "analysis/dispersion_parts.h"
#include "support/test_support.h"
#include "wordcount/count_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace lexmora {
namespace {

constexpr double kNone = -1; // a measure the parts do not define

double orNone(const std::optional<double>& value) {
    return value ? *value : kNone;
}

struct MeasureCase {
    const char* what;
    std::vector<PartCount> parts;
    std::int64_t range;
    double dp, dpNorm, juillandD;
};

TEST(DispersionMeasures, WorkedFigures) {
    const std::vector<MeasureCase> cases = {
        {"uneven sizes, hits 1..5",
         {{9, 1}, {10, 2}, {10, 3}, {10, 4}, {11, 5}},
         5,
         0.18,
         0.2195122,
         0.785150},
        {"equal sizes, two parts without a hit",
         {{1000, 0}, {1000, 0}, {1000, 1}, {1000, 2}, {1000, 5}},
         3,
         0.475,
         0.59375,
         0.420399},
        {"perfectly even", {{100, 2}, {100, 2}}, 2, 0, 0, 1},
        {"all in one of two equal parts", {{50, 0}, {50, 6}}, 1, 0.5, 1, 0},
        {"one part: D and DPnorm undefined", {{120, 3}}, 1, 0, kNone, kNone},
        {"no hit at all: nothing defined", {{10, 0}, {20, 0}}, 0, kNone, kNone, kNone},
    };
    for (const MeasureCase& c : cases) {
        SCOPED_TRACE(c.what);
        const DispersionMeasures m = MeasureDispersion(c.parts);
        EXPECT_EQ(m.range, c.range);
        EXPECT_EQ(m.parts, static_cast<std::int64_t>(c.parts.size()));
        EXPECT_NEAR(orNone(m.dp), c.dp, 5e-7);
        EXPECT_NEAR(orNone(m.dpNorm), c.dpNorm, 5e-7);
        EXPECT_NEAR(orNone(m.juillandD), c.juillandD, 5e-7);
    }
}

TEST(DispersionMeasures, RangeShareAndNoParts) {
    const std::vector<PartCount> parts = {{10, 0}, {10, 1}, {10, 0}, {10, 3}};
    EXPECT_DOUBLE_EQ(MeasureDispersion(parts).rangeShare, 0.5);
    const DispersionMeasures none = MeasureDispersion({});
    EXPECT_EQ(none.parts, 0);
    EXPECT_FALSE(none.dp || none.dpNorm || none.juillandD);
}

std::string cellText(const Cell& cell, const Column& column) {
    if (const auto* text = std::get_if<std::string>(&cell))
        return *text;
    if (const auto* number = std::get_if<std::int64_t>(&cell))
        return std::to_string(*number);
    if (const auto* real = std::get_if<double>(&cell)) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", column.decimals, *real);
        return buffer;
    }
    return "";
}

// Every cell of a table as text, a row a line, cells separated by "|".
std::string cellsOf(const Table& table) {
    std::string text;
    for (const Row& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            text += (c ? "|" : "") + cellText(row[c], table.columns[c]);
        text += "\n";
    }
    return text;
}

std::string headerOf(const Table& table) {
    std::string text;
    for (const Column& c : table.columns)
        text += (text.empty() ? "" : " ") + c.name;
    return text;
}

// The worked figures as a corpus: five files, a second keyword only in the last.
DispersionData workedCorpus() {
    DispersionData data;
    data.files = {{"a.txt", "/c/a.txt", 9},
                  {"b.txt", "/c/b.txt", 10},
                  {"c.txt", "/c/c.txt", 10},
                  {"d.txt", "/c/d.txt", 10},
                  {"e.txt", "/c/e.txt", 11}};
    data.keywords = {{"walk", {{0}, {1, 5}, {0, 1, 2}, {3, 4, 5, 6}, {0, 2, 4, 6, 10}}},
                     {"run", {{}, {}, {}, {}, {7}}}};
    return data;
}

TEST(DispersionTables, RowsForEveryKeywordAndFileWithoutHitsIncluded) {
    const Table table = DispersionRowsTable(workedCorpus());
    EXPECT_EQ(headerOf(table), "keyword file tokens hits per_1000");
    EXPECT_EQ(cellsOf(table), "walk|a.txt|9|1|111.111\n"
                              "walk|b.txt|10|2|200.000\n"
                              "walk|c.txt|10|3|300.000\n"
                              "walk|d.txt|10|4|400.000\n"
                              "walk|e.txt|11|5|454.545\n"
                              "run|a.txt|9|0|0.000\n"
                              "run|b.txt|10|0|0.000\n"
                              "run|c.txt|10|0|0.000\n"
                              "run|d.txt|10|0|0.000\n"
                              "run|e.txt|11|1|90.909\n");
}

TEST(DispersionTables, MeasuresPerKeyword) {
    const Table table = DispersionMeasuresTable(workedCorpus());
    EXPECT_EQ(headerOf(table), "keyword hits files range juilland_D DP DPnorm");
    // run: all in the largest file, DP = 1/2 (|0 - .18| + 3 |0 - .2| + |1 - .22|) = 0.78
    EXPECT_EQ(cellsOf(table), "walk|15|5|5|0.785150|0.180000|0.219512\n"
                              "run|1|5|1|0.000000|0.780000|0.951220\n");
    EXPECT_TRUE(table.notes.empty());
}

TEST(DispersionTables, FileOfNoWordsIsNoPartAndSingleFileHasNoD) {
    DispersionData data;
    data.files = {{"empty.txt", "/c/empty.txt", 0}, {"one.txt", "/c/one.txt", 40}};
    data.keywords = {{"walk", {{}, {3, 9}}}};
    EXPECT_EQ(cellsOf(DispersionRowsTable(data)), "walk|empty.txt|0|0|\n"
                                                  "walk|one.txt|40|2|50.000\n");
    const Table measures = DispersionMeasuresTable(data);
    EXPECT_EQ(cellsOf(measures), "walk|2|1|1||0.000000|\n");
    EXPECT_EQ(measures.notes,
              (std::vector<std::string>{"empty.txt has no words: it is no part of the measures.",
                                        "Juilland's D is not defined for a single file."}));
}

FileWords fileWords(const std::string& path, std::size_t words) {
    FileWords file;
    file.path = path;
    file.name = path;
    file.total = words;
    return file;
}

PlacedHit hit(std::int64_t record, std::uint32_t first, const std::string& keyword) {
    return {record, first, 1, keyword};
}

TEST(DispersionCollector, CorpusOrderKeywordsApartAndHitsOutsideCounted) {
    DispersionCollector collector({"/c/en/a.txt", "/c/en/b.txt", "/c/fr/c.txt"});
    const std::vector<PlacedHit> inC = {hit(1, 7, "walk"), hit(2, 2, "run"), hit(3, 3, "Walk")};
    collector.addFile(fileWords("/c/fr/c.txt", 20), inC);
    const std::vector<PlacedHit> inA = {hit(4, 0, "run")};
    collector.addFile(fileWords("/c/en/a.txt", 5), inA);
    const std::vector<PlacedHit> outside = {hit(5, 1, "walk"), hit(6, 2, "walk")};
    collector.addFile(fileWords("/elsewhere/z.txt", 9), outside);
    EXPECT_EQ(collector.hitsOutside(), 2);
    ASSERT_EQ(collector.unvisited(), (std::vector<std::size_t>{1}));
    collector.setWords(1, 12);
    const DispersionData data = collector.take();
    EXPECT_EQ(cellsOf(DispersionRowsTable(data)), "walk|en/a.txt|5|0|0.000\n"
                                                  "walk|en/b.txt|12|0|0.000\n"
                                                  "walk|fr/c.txt|20|2|100.000\n"
                                                  "run|en/a.txt|5|1|200.000\n"
                                                  "run|en/b.txt|12|0|0.000\n"
                                                  "run|fr/c.txt|20|1|50.000\n");
    EXPECT_EQ(data.keywords[0].places[2], (std::vector<std::uint32_t>{3, 7})); // in word order
}

TEST(DispersionCollector, WithoutCorpusThePartsAreTheFilesVisited) {
    DispersionCollector collector({});
    const std::vector<PlacedHit> hits = {hit(1, 0, "walk")};
    collector.addFile(fileWords("/c/b.txt", 3), hits);
    collector.addFile(fileWords("/c/a.txt", 4), hits);
    EXPECT_TRUE(collector.unvisited().empty());
    EXPECT_EQ(cellsOf(DispersionRowsTable(collector.take())), "walk|b.txt|3|1|333.333\n"
                                                              "walk|a.txt|4|1|250.000\n");
}

TEST(DispersionCollector, FilesChangedSinceTheSearchAndUnreadableOnesAreNoParts) {
    DispersionCollector collector({"/c/a.txt", "/c/gone.txt", "/c/locked.txt"});
    const std::vector<PlacedHit> hits = {hit(1, 0, "walk")};
    collector.addFile(fileWords("/c/a.txt", 3), hits);
    collector.dropFile("/c/gone.txt");
    ASSERT_EQ(collector.unvisited(), (std::vector<std::size_t>{2}));
    collector.dropPart(2);
    EXPECT_EQ(cellsOf(DispersionRowsTable(collector.take())), "walk|a.txt|3|1|333.333\n");
}

TEST(DispersionNames, ThePathsWithoutTheFolderTheyShare) {
    struct Case {
        std::vector<std::string> paths, names;
    };
    const std::vector<Case> cases = {
        {{"/a/b/x.txt", "/a/b/y.txt"}, {"x.txt", "y.txt"}},
        {{"/c/en/a.txt", "/c/fr/b.txt", "/c/en/d/e.txt"}, {"en/a.txt", "fr/b.txt", "en/d/e.txt"}},
        {{"/a/bc/x", "/a/b/y"}, {"bc/x", "b/y"}}, // no cut inside a folder's name
        {{"/a/b/x.txt"}, {"x.txt"}},
        {{"/t/caf\xC3\xA9.txt"}, {"caf\xE9.txt"}}, // shown in Windows-1252
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayNames(c.paths), c.names);
}

// The tokens the word count would count in `text`: the words with a letter or digit first.
std::int64_t countedTokens(const ProgramState& state, const std::string& text) {
    std::int64_t n = 0;
    for (const std::string& w : CutWords(state, text))
        n += BucketOfFirst(static_cast<unsigned char>(w[0])) != 0 ? 1 : 0;
    return n;
}

TEST(DispersionTokens, CountedAsTheWordCountCountsThem) {
    test::TempDir dir;
    const ProgramState state = test::wordcountState(dir, LanguageId::English);
    const WordRules rules = MakeWordRules(state);
    // long enough for several read blocks, with line-end hyphens between them
    std::string big;
    while (big.size() < 700000)
        big += "The walk-\r\ners of 1999 walked, a mile; _under \x93quoted\x94 trees-\r\nTop.\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::int64_t tokens;
    };
    const std::vector<Case> cases = {
        {"three.txt", "one two three", 3},
        {"empty.txt", "", 0},
        {"binary.bin", std::string("ab\0cd", 5), 0},
        {"big.txt", big, countedTokens(state, big)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<std::int64_t> tokens = CountFileTokens(rules, dir.write(c.name, c.text));
        ASSERT_TRUE(tokens.ok());
        EXPECT_EQ(*tokens, c.tokens);
    }
    EXPECT_GT(countedTokens(state, big), 70000);
    const Result<std::int64_t> missing = CountFileTokens(rules, dir.path() + "/none.txt");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.code(), FailureCode::CannotOpen);
}

} // namespace
} // namespace lexmora
