// A word list leaves the frequency viewer as it shows it: its sort, its norm, words whole and
// numbers as numbers.
#include "wordcount/list_export.h"

#include "count_fixture.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

std::string exported(const FrequencyTable& table, TableFormat format) {
    std::string bytes;
    auto writer = MakeTextTableWriter(format, [&](std::string_view b) {
        bytes += b;
        return true;
    });
    const Status status = ExportWordList(table, *writer);
    EXPECT_TRUE(status.ok()) << (status.ok() ? "" : status.error().text);
    return bytes;
}

FrequencyTable tableOf(const std::string& path) {
    Result<CountFile> file = LoadCountFile(path);
    EXPECT_TRUE(file.ok()) << (file.ok() ? "" : file.error().text);
    return FrequencyTable(std::move(*file));
}

// 8 tokens: "and" 4, "b\xE9b\xE9" (bébé) 1, a word of 34 letters 3.
TEST(WordListExport, RowsFollowTheSortAndTheNorm) {
    test::TempDir dir;
    const std::string longWord = "antidisestablishmentarianismically";
    const std::string path = test::writePair(dir, "p", 8,
                                             {{"and", 4},
                                              {longWord, 3},
                                              {"b\xE9"
                                               "b\xE9",
                                               1}});
    FrequencyTable table = tableOf(path);
    table.setNorm(2); // per 1k, one decimal
    EXPECT_EQ(exported(table, TableFormat::Tsv), "rank\tword\tfreq\tpercent\tnorm\n"
                                                 "1\tand\t4\t50.0000\t500.0\n"
                                                 "2\t" +
                                                     longWord +
                                                     "\t3\t37.5000\t375.0\n"
                                                     "3\tb\xC3\xA9"
                                                     "b\xC3\xA9\t1\t12.5000\t125.0\n");
    ASSERT_TRUE(table.sortBy(FrequencySort::Ascending).ok());
    table.setNorm(3); // per 10k, no decimals
    EXPECT_EQ(exported(table, TableFormat::Json),
              "[\n{\"rank\": 1, \"word\": \"b\xC3\xA9"
              "b\xC3\xA9\", \"freq\": 1, \"percent\": 12.5000, \"norm\": 1250},\n"
              "{\"rank\": 2, \"word\": \"" +
                  longWord +
                  "\", \"freq\": 3, \"percent\": 37.5000, \"norm\": 3750},\n"
                  "{\"rank\": 3, \"word\": \"and\", \"freq\": 4, \"percent\": 50.0000, "
                  "\"norm\": 5000}\n]\n");
}

TEST(WordListExport, StoppedExportFailsAsCancelled) {
    test::TempDir dir;
    std::vector<std::pair<std::string, int>> types;
    for (int i = 0; i < 9000; ++i)
        types.emplace_back("w" + std::to_string(100000 + i), 1);
    FrequencyTable table = tableOf(test::writePair(dir, "big", 9000, types));
    std::string bytes;
    auto writer = MakeTextTableWriter(TableFormat::Csv, [&](std::string_view b) {
        bytes += b;
        return true;
    });
    int calls = 0;
    const Status stopped = ExportWordList(table, *writer, [&](std::int64_t done, std::int64_t) {
        ++calls;
        return done < 8192;
    });
    EXPECT_EQ(stopped.code(), FailureCode::Cancelled);
    EXPECT_EQ(calls, 2); // told every 4096 rows: at 4096, then stopped at 8192
}

} // namespace
} // namespace lexmora
