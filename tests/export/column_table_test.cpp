// The column store behind the desktop's analysis tables: every cell read back as stored, a
// sort by each kind of column equal to the reference stable sort of rows (ties kept in their
// order, sorts one after another), and its rows written byte for byte as the rows' own table.
#include "export/column_table.h"

#include "core/file_io.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>

namespace lexmora {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

Table sampleTable() {
    Table table;
    table.columns = {{"word"},
                     {"freq", ColumnKind::Integer},
                     {"score", ColumnKind::Real, 3},
                     {"mixed", ColumnKind::Real, 2},
                     {"p", ColumnKind::Real, 3, true}};
    table.rows = {
        {std::string("cat"), std::int64_t{10}, 2.5, std::string("n/a"), 1e-5},
        {std::string("\xE9t\xE9"), std::int64_t{9}, -1.25, 3.0, 0.5},
        {std::string("Cat"), std::int64_t{10}, 2.5, Cell{}, 1e-5},
        {std::string("ant"), std::int64_t{-3}, kInf, std::int64_t{3}, Cell{}},
        {std::string("say \"hi\", then\ngo"), std::int64_t{9}, -kInf, std::string("b"), 0.5},
        {std::string(""), Cell{}, 2.5, -7.5, 1e-300},
        {std::string("cat"), std::int64_t{9}, 0.0, std::int64_t{-2}, 0.5},
        {std::string("a\0b", 3), std::int64_t{10}, -0.0, std::string("A"), 1e-5},
    };
    return table;
}

std::vector<std::uint32_t> allRows(const ColumnTable& table) {
    std::vector<std::uint32_t> rows(table.rowCount());
    std::iota(rows.begin(), rows.end(), std::uint32_t{0});
    return rows;
}

TEST(ColumnTable, EveryCellReadsBackAsStored) {
    const Table table = sampleTable();
    const ColumnTable store = ColumnTable::fromTable(sampleTable());
    ASSERT_EQ(store.rowCount(), table.rows.size());
    ASSERT_EQ(store.columnCount(), std::size_t{5});
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        EXPECT_EQ(store.rowAt(r), table.rows[r]) << "row " << r;
    EXPECT_EQ(store.kindAt(0, 3), CellKind::Text);
    EXPECT_EQ(store.kindAt(2, 3), CellKind::Nothing);
    EXPECT_EQ(store.kindAt(3, 3), CellKind::Integer);
    EXPECT_EQ(store.kindAt(1, 3), CellKind::Real);
    EXPECT_EQ(store.textAt(7, 0), std::string_view("a\0b", 3));
    EXPECT_EQ(store.textAt(5, 0), "");
    EXPECT_EQ(store.cellText(3, 2, true), "inf");
    EXPECT_EQ(store.cellText(1, 2, true), "-1.250");
    EXPECT_EQ(store.cellText(0, 4), "1.000e-05");
    EXPECT_EQ(store.cellText(5, 1), "");
}

TEST(ColumnTable, ShortRowsHoldNothingAndLongRowsAreCut) {
    ColumnTable store({{"a"}, {"b", ColumnKind::Integer}});
    store.addRow({std::string("x")});
    store.addRow({std::string("y"), std::int64_t{2}, std::string("dropped")});
    store.addRow({});
    EXPECT_EQ(store.rowAt(0), (Row{std::string("x"), Cell{}}));
    EXPECT_EQ(store.rowAt(1), (Row{std::string("y"), std::int64_t{2}}));
    EXPECT_EQ(store.rowAt(2), (Row{Cell{}, Cell{}}));
}

// The rows of `table` in the order the store gives, as the rows themselves.
std::vector<Row> rowsInOrder(const ColumnTable& store, const std::vector<std::uint32_t>& order) {
    return store.tableOf(order).rows;
}

TEST(ColumnTable, SortingByEachColumnEqualsTheStableSortOfRows) {
    for (std::size_t column = 0; column < 5; ++column)
        for (const bool descending : {false, true}) {
            std::vector<Row> reference = sampleTable().rows;
            SortRows(reference, column, descending);
            const ColumnTable store = ColumnTable::fromTable(sampleTable());
            std::vector<std::uint32_t> order = allRows(store);
            store.sortRows(order, column, descending);
            EXPECT_EQ(rowsInOrder(store, order), reference)
                << "column " << column << (descending ? " descending" : " ascending");
        }
}

TEST(ColumnTable, SortsOneAfterAnotherKeepTheEarlierOrderAmongTies) {
    const std::vector<std::pair<std::size_t, bool>> steps = {
        {0, false}, {1, true}, {2, false}, {3, true}, {4, false}, {1, false}, {0, true}};
    std::vector<Row> reference = sampleTable().rows;
    const ColumnTable store = ColumnTable::fromTable(sampleTable());
    std::vector<std::uint32_t> order = allRows(store);
    for (const auto& [column, descending] : steps) {
        SortRows(reference, column, descending);
        store.sortRows(order, column, descending);
        EXPECT_EQ(rowsInOrder(store, order), reference) << "after column " << column;
    }
}

TEST(ColumnTable, ASortGivesTheOrderWorkedOutByHand) {
    const ColumnTable store = ColumnTable::fromTable(sampleTable());
    std::vector<std::uint32_t> order = allRows(store);
    // freq descending: the three 10s in their order, the three 9s, then -3, nothing last.
    store.sortRows(order, 1, true);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{0, 2, 7, 1, 4, 6, 3, 5}));
    // mixed ascending: numbers -7.5, -2, 3 (real), 3 (whole), then texts "A", "b", "n/a" in
    // word order (a before b before n), nothing last.
    order = allRows(store);
    store.sortRows(order, 3, false);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{5, 6, 1, 3, 7, 4, 0, 2}));
    // Descending, the texts come first.
    order = allRows(store);
    store.sortRows(order, 3, true);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{0, 4, 7, 1, 3, 6, 5, 2}));
    // A part of the rows sorts among itself.
    std::vector<std::uint32_t> part = {6, 2, 0};
    store.sortRows(part, 0, false);
    EXPECT_EQ(part, (std::vector<std::uint32_t>{6, 0, 2})); // cat, cat, Cat
}

TEST(ColumnTable, ALongTableSortsAsTheRowsDo) {
    // Many ties in every column, values made by a fixed rule.
    Table table;
    table.columns = {{"w"}, {"n", ColumnKind::Integer}, {"x", ColumnKind::Real}};
    for (int i = 0; i < 5000; ++i) {
        const int k = (i * 7919) % 613;
        table.rows.push_back({std::string(1, char('a' + k % 5)) + std::string(1, char('A' + k % 3)),
                              std::int64_t{k % 17},
                              k % 11 == 0 ? Cell{} : Cell(double(k % 13) / 4)});
    }
    for (std::size_t column = 0; column < 3; ++column)
        for (const bool descending : {false, true}) {
            std::vector<Row> reference = table.rows;
            SortRows(reference, column, descending);
            const ColumnTable store = ColumnTable::fromTable(table);
            std::vector<std::uint32_t> order = allRows(store);
            store.sortRows(order, column, descending);
            EXPECT_EQ(rowsInOrder(store, order), reference) << "column " << column;
        }
}

TEST(ColumnTable, RowsAreWrittenExactlyAsTheTableOfThoseRows) {
    const ColumnTable store = ColumnTable::fromTable(sampleTable());
    const std::vector<std::uint32_t> rows = {4, 0, 5};
    const Table part = store.tableOf(rows);
    for (const TableFormat format :
         {TableFormat::Table, TableFormat::Tsv, TableFormat::Csv, TableFormat::Json})
        EXPECT_EQ(ColumnRowsText(store, rows, format), TableText(part, format))
            << TableFormatName(format);
    EXPECT_EQ(ColumnRowsText(store, rows, TableFormat::Csv),
              "word,freq,score,mixed,p\r\n"
              "\"say \"\"hi\"\", then\ngo\",9,-inf,b,5.000e-01\r\n"
              "cat,10,2.500,n/a,1.000e-05\r\n"
              ",,2.500,-7.50,1.000e-300\r\n");

    test::TempDir dir;
    const std::string path = dir.path() + "/rows.tsv";
    ASSERT_TRUE(WriteColumnRowsFile(store, rows, TableFormat::Tsv, path, Placement::Replace));
    EXPECT_EQ(*readFileBytes(path), TableText(part, TableFormat::Tsv));
}

} // namespace
} // namespace lexmora
