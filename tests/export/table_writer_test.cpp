// The table writers: each format's whole bytes for one table that holds what breaks formats
// (quotes, commas, tabs, line breaks, accents, nothing, infinity), files placed whole or not at
// all, and workbooks read back.
#include "export/table_writer.h"

#include "core/file_io.h"
#include "core/text_codec.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <limits>

namespace lexmora {
namespace {

Table sampleTable() {
    Table table;
    table.columns = {{"word"}, {"freq", ColumnKind::Integer}, {"MI", ColumnKind::Real, 3}};
    table.rows = {
        {std::string("caf\xE9"), std::int64_t{12}, 0.5849625},
        {std::string("say \"hi\", then\ngo"), std::int64_t{3}, -0.0001},
        {std::string("tab\there\\"), std::int64_t{0}, std::numeric_limits<double>::infinity()},
        {std::string(""), Cell{}, Cell{}},
    };
    return table;
}

TEST(TableWriter, EachTextFormatWritesTheWholeTableExactly) {
    const Table table = sampleTable();
    EXPECT_EQ(TableText(table, TableFormat::Tsv), "word\tfreq\tMI\n"
                                                  "caf\xC3\xA9\t12\t0.585\n"
                                                  "say \"hi\", then\\ngo\t3\t0.000\n"
                                                  "tab\\there\\\\\t0\tinf\n"
                                                  "\t\t\n");
    EXPECT_EQ(TableText(table, TableFormat::Csv), "word,freq,MI\r\n"
                                                  "caf\xC3\xA9,12,0.585\r\n"
                                                  "\"say \"\"hi\"\", then\ngo\",3,0.000\r\n"
                                                  "tab\there\\,0,inf\r\n"
                                                  ",,\r\n");
    EXPECT_EQ(TableText(table, TableFormat::Json),
              "[\n"
              "{\"word\": \"caf\xC3\xA9\", \"freq\": 12, \"MI\": 0.585},\n"
              "{\"word\": \"say \\\"hi\\\", then\\ngo\", \"freq\": 3, \"MI\": 0.000},\n"
              "{\"word\": \"tab\\there\\\\\", \"freq\": 0, \"MI\": null},\n"
              "{\"word\": \"\", \"freq\": null, \"MI\": null}\n"
              "]\n");
    EXPECT_EQ(TableText(table, TableFormat::Csv, {.byteOrderMark = true}).substr(0, 5),
              "\xEF\xBB\xBFwo");
}

// A field as each format writes it, worked out character by character.
std::string expectedField(const std::string& text, TableFormat format) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            out += cp1252ToUtf8(std::string(1, c));
        else if (format == TableFormat::Tsv && c == '\t')
            out += "\\t";
        else if (format == TableFormat::Tsv && c == '\n')
            out += "\\n";
        else if (format == TableFormat::Tsv && c == '\r')
            out += "\\r";
        else if (format == TableFormat::Tsv && c == '\\')
            out += "\\\\";
        else if (format == TableFormat::Csv && c == '"')
            out += "\"\"";
        else if (format == TableFormat::Json && (c == '"' || c == '\\'))
            out += std::string("\\") + c;
        else if (format == TableFormat::Json && c == '\n')
            out += "\\n";
        else if (format == TableFormat::Json && c == '\r')
            out += "\\r";
        else if (format == TableFormat::Json && c == '\t')
            out += "\\t";
        else if (format == TableFormat::Json && byte < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", byte);
            out += hex;
        } else
            out += c;
    }
    if (format == TableFormat::Csv && text.find_first_of("\",\r\n") != std::string::npos)
        return '"' + out + '"';
    return format == TableFormat::Json ? "[\n{\"f\": \"" + out + "\"}\n]\n" : out;
}

TEST(TableWriter, EveryByteIsWrittenRightWhereverItStandsInALongField) {
    // The writers look at a field sixteen bytes at a time: a special byte at a block's edges,
    // alone or beside another, is found all the same.
    const std::vector<std::pair<TableFormat, std::string>> formats = {
        {TableFormat::Csv, "f\r\n"}, {TableFormat::Tsv, "f\n"}, {TableFormat::Json, ""}};
    for (const auto& [format, header] : formats)
        for (int byte = 1; byte < 256; ++byte)
            for (const std::size_t at : {0, 1, 15, 16, 17, 31, 32, 39}) {
                std::string text(40, 'a');
                text[at] = static_cast<char>(byte);
                if (at == 16)
                    text[33] = static_cast<char>(byte); // and once more, further on
                Table table;
                table.columns = {{"f"}};
                table.rows = {{text}};
                const std::string end = format == TableFormat::Csv   ? "\r\n"
                                        : format == TableFormat::Tsv ? "\n"
                                                                     : "";
                EXPECT_EQ(TableText(table, format), header + expectedField(text, format) + end)
                    << TableFormatName(format) << ", byte " << byte << " at " << at;
            }
}

// A whole one-column table of the given fields, as each format must write it.
std::string expectedColumn(const std::vector<std::string>& fields, TableFormat format) {
    std::string out = format == TableFormat::Csv   ? "f\r\n"
                      : format == TableFormat::Tsv ? "f\n"
                                                   : "[";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string field = expectedField(fields[i], format);
        if (format == TableFormat::Json) // the object alone, out of its one-row array
            out += (i == 0 ? "\n" : ",\n") + field.substr(2, field.size() - 5);
        else
            out += field + (format == TableFormat::Csv ? "\r\n" : "\n");
    }
    return out + (format == TableFormat::Json ? "\n]\n" : "");
}

TEST(TableWriter, ShortFieldsAndFieldEndsAreWrittenRightByteByByte) {
    // Every byte at every place of fields shorter than a block and of the ends past the last
    // whole block; then a CSV mark that is copied as it is (comma, CR, LF) before or after a
    // byte that changes, at every pair of places: the one must not hide the other.
    std::vector<std::string> fields;
    for (const std::size_t size : {1, 2, 3, 7, 8, 9, 15, 16, 17, 23, 31, 33})
        for (std::size_t at = 0; at < size; ++at)
            for (int byte = 0; byte < 256; ++byte) {
                std::string text(size, 'b');
                text[at] = static_cast<char>(byte);
                fields.push_back(text);
            }
    for (const std::size_t size : {2, 5, 16, 19, 34})
        for (const char kept : {',', '\r', '\n'})
            for (const char changed : {'"', '\xE9', '\x80', '\t'})
                for (std::size_t a = 0; a < size; ++a)
                    for (std::size_t b = 0; b < size; ++b)
                        if (a != b) {
                            std::string text(size, 'c');
                            text[a] = kept;
                            text[b] = changed;
                            fields.push_back(text);
                        }
    Table table;
    table.columns = {{"f"}};
    for (const std::string& field : fields)
        table.rows.push_back({field});
    for (const TableFormat format : {TableFormat::Csv, TableFormat::Tsv, TableFormat::Json}) {
        const std::string written = TableText(table, format);
        const std::string expected = expectedColumn(fields, format);
        EXPECT_EQ(written.size(), expected.size()) << TableFormatName(format);
        const auto [wrong, _] =
            std::mismatch(expected.begin(), expected.end(), written.begin(), written.end());
        EXPECT_EQ(wrong, expected.end()) << TableFormatName(format) << ": first difference at byte "
                                         << (wrong - expected.begin()) << " of " << expected.size();
    }
}

// The bytes of each field and line, written one after another, as the writer must give them.
std::string expectedText(const Table& table, TableFormat format) {
    const std::string separator = format == TableFormat::Csv ? "," : "\t";
    const std::string end = format == TableFormat::Csv ? "\r\n" : "\n";
    std::string out;
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        out += (i ? separator : "") + expectedField(table.columns[i].name, format);
    out += end;
    for (const Row& row : table.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            out += i ? separator : "";
            if (const auto* text = std::get_if<std::string>(&row[i]))
                out += expectedField(*text, format);
            else
                out += CellText(row[i], table.columns[i]);
        }
        out += end;
    }
    return out;
}

TEST(TableWriter, LongOutputsAndFieldsLargerThanTheBufferAreWrittenWhole) {
    // Many rows of fields that quote, escape and widen (é, €, ", comma, CR, LF, tab), so the
    // writer's blocks end in the middle of rows; then one field of several megabytes.
    Table table;
    table.columns = {{"n", ColumnKind::Integer}, {"left"}, {"node"}, {"right"}};
    const std::string pieces[] = {"plain words here",
                                  "caf\xE9 \x80 cr\xE8me",
                                  "say \"hi\"",
                                  "a, b",
                                  "line\r\nbreak",
                                  "tab\there",
                                  "",
                                  "\xFF\xE0\x9C"};
    for (int i = 0; i < 15000; ++i)
        table.rows.push_back({std::int64_t{i}, pieces[i % 8] + std::string(i % 37, 'x'),
                              pieces[(i / 8) % 8], pieces[(i * 5) % 8] + pieces[(i * 3) % 8]});
    std::string huge;
    for (int i = 0; i < 100000; ++i)
        huge += pieces[i % 8];
    table.rows.push_back({std::int64_t{-1}, huge, std::string("end"), huge});
    for (const TableFormat format : {TableFormat::Csv, TableFormat::Tsv}) {
        const std::string text = TableText(table, format);
        const std::string expected = expectedText(table, format);
        ASSERT_EQ(text.size(), expected.size()) << TableFormatName(format);
        EXPECT_TRUE(text == expected) << TableFormatName(format);
    }
}

TEST(TableWriter, RowsOfViewsAreWrittenAsTheRowsThemselves) {
    const Table table = sampleTable();
    for (const TableFormat format :
         {TableFormat::Table, TableFormat::Tsv, TableFormat::Csv, TableFormat::Json}) {
        std::string text;
        auto writer = MakeTextTableWriter(format, [&text](std::string_view bytes) {
            text.append(bytes);
            return true;
        });
        ASSERT_TRUE(writer->begin(table.columns));
        for (const Row& row : table.rows) {
            std::vector<CellView> cells;
            for (const Cell& cell : row) {
                if (const auto* t = std::get_if<std::string>(&cell))
                    cells.emplace_back(std::string_view(*t));
                else if (const auto* whole = std::get_if<std::int64_t>(&cell))
                    cells.emplace_back(*whole);
                else if (const auto* real = std::get_if<double>(&cell))
                    cells.emplace_back(*real);
                else
                    cells.emplace_back();
            }
            cells.pop_back(); // a short row: the missing cell is nothing
            ASSERT_TRUE(writer->addView(cells));
        }
        ASSERT_TRUE(writer->finish());
        Table shortened = table;
        for (Row& row : shortened.rows)
            row.back() = Cell{};
        EXPECT_EQ(text, TableText(shortened, format)) << TableFormatName(format);
    }
}

TEST(TableWriter, ThePeoplesTableAlignsTextLeftAndNumbersRight) {
    Table table;
    table.columns = {{"ngram"}, {"freq", ColumnKind::Integer}, {"T", ColumnKind::Real, 6}};
    table.rows = {{std::string("the end of"), std::int64_t{2}, 1.23456789},
                  {std::string("\xE0 la"), std::int64_t{1234}, 10.0}};
    EXPECT_EQ(TableText(table, TableFormat::Table), "ngram       freq       T\n"
                                                    "the end of     2   1.235\n"
                                                    "\xC3\xA0 la        1234  10.000\n");
    EXPECT_EQ(TableText(Table{{{"a"}}, {}, {}}, TableFormat::Json), "[]\n");
}

TEST(TableWriter, RealsKeepTheirDecimalsAndScientificForm) {
    const Column p{"p", ColumnKind::Real, 3, true};
    EXPECT_EQ(CellText(7.7e-11, p), "7.700e-11");
    const Column mi{"MI", ColumnKind::Real, 6};
    EXPECT_EQ(CellText(2.3219280948, mi), "2.321928");
    EXPECT_EQ(CellText(2.3219280948, mi, true), "2.322");
    EXPECT_EQ(CellText(-std::numeric_limits<double>::infinity(), mi), "-inf");
    EXPECT_EQ(CellText(-0.0000001, mi), "0.000000");
    EXPECT_EQ(CellText(Cell{}, mi), "");
}

TEST(TableWriter, RowsSortByNumbersOrWordsWithNothingLastEitherWay) {
    std::vector<Row> rows = {{std::string("b"), 2.0},
                             {std::string("a"), Cell{}},
                             {std::string("\xE9t\xE9"), std::int64_t{5}},
                             {std::string("A"), -1.0}};
    SortRows(rows, 1, true);
    EXPECT_EQ(std::get<std::string>(rows[0][0]), "\xE9t\xE9");
    EXPECT_EQ(std::get<std::string>(rows[3][0]), "a");
    SortRows(rows, 1, false);
    EXPECT_EQ(std::get<std::string>(rows[0][0]), "A");
    EXPECT_EQ(std::get<std::string>(rows[3][0]), "a");
    SortRows(rows, 0, false); // word order: base letters first, lower case before upper
    EXPECT_EQ(std::get<std::string>(rows[0][0]), "a");
    EXPECT_EQ(std::get<std::string>(rows[1][0]), "A");
    EXPECT_EQ(std::get<std::string>(rows[3][0]), "\xE9t\xE9");
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(TableWriter, FilesArePlacedWholeAndAnExistingNameIsKeptUnlessReplaced) {
    test::TempDir dir;
    const std::string path = dir.path() + "/out.csv";
    ASSERT_TRUE(WriteTableFile(sampleTable(), TableFormat::Csv, path, Placement::KeepExisting));
    const std::string first = *readFileBytes(path);
    EXPECT_EQ(first.substr(0, 3), "\xEF\xBB\xBF");

    Table other = sampleTable();
    other.rows.resize(1);
    const Status kept = WriteTableFile(other, TableFormat::Csv, path, Placement::KeepExisting);
    ASSERT_FALSE(kept);
    EXPECT_EQ(kept.code(), FailureCode::CannotWrite);
    EXPECT_EQ(*readFileBytes(path), first);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.csv"});

    ASSERT_TRUE(WriteTableFile(other, TableFormat::Csv, path, Placement::Replace));
    EXPECT_EQ(*readFileBytes(path), "\xEF\xBB\xBFword,freq,MI\r\ncaf\xC3\xA9,12,0.585\r\n");
}

TEST(TableWriter, AWriterDroppedBeforeItsEndLeavesNothing) {
    test::TempDir dir;
    for (const TableFormat format : {TableFormat::Tsv, TableFormat::Xlsx}) {
        auto opened = OpenTableFile(format, dir.path() + "/stopped", Placement::Replace);
        ASSERT_TRUE(opened);
        ASSERT_TRUE(opened.value()->begin(sampleTable().columns));
        ASSERT_TRUE(opened.value()->add(sampleTable().rows[0]));
    }
    EXPECT_TRUE(namesIn(dir.path()).empty());
}

TEST(TableWriter, AFolderThatCannotBeWrittenFailsAtOnceWithTheSystemsReason) {
    const auto opened =
        OpenTableFile(TableFormat::Csv, "/nonexistent-folder/out.csv", Placement::Replace);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.code(), FailureCode::CannotWrite);
    EXPECT_NE(opened.error().text.find("No such file or directory"), std::string::npos);
}

std::string unzipped(const std::string& book, const std::string& member) {
    const std::string command = "unzip -p '" + book + "' " + member;
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

TEST(TableWriter, AWorkbookHoldsAFrozenHeaderNumbersAsNumbersAndTextAsUtf8) {
    test::TempDir dir;
    const std::string path = dir.path() + "/book.xlsx";
    ASSERT_TRUE(WriteTableFile(sampleTable(), TableFormat::Xlsx, path, Placement::KeepExisting));
    const std::string sheet = unzipped(path, "xl/worksheets/sheet1.xml");
    ASSERT_FALSE(sheet.empty()) << "unzip could not read the workbook";
    EXPECT_NE(sheet.find("ySplit=\"1\""), std::string::npos) << "header row not frozen";
    EXPECT_NE(sheet.find("<c r=\"B2\"><v>12</v></c>"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<c r=\"C2\"><v>0.584962"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("caf\xC3\xA9"), std::string::npos);
    EXPECT_NE(sheet.find("say \"hi\", then\ngo"), std::string::npos);
    EXPECT_NE(sheet.find(">inf<"), std::string::npos);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"book.xlsx"});
}

} // namespace
} // namespace lexmora
