// Writers of tables in the formats people and programs read: an aligned table, TSV, CSV
// (RFC 4180), JSON (an array of objects) and XLSX workbooks. Rows go to the writer one at a
// time, so that a million KWIC lines never stand in memory at once (but for the aligned table,
// which needs every row to size its columns).
#pragma once

#include "core/result.h"
#include "core/staged_file.h"
#include "export/table.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// Where a text format's bytes go; false when they could not be written.
using ByteSink = std::function<bool(std::string_view)>;

// CSV lines always end in CR LF (RFC 4180); the other text formats in LF.
struct TextTableOptions {
    bool byteOrderMark = false; // CSV files for spreadsheets start with one, so accents read right
};

// A row whose text cells are views into the caller's memory, good for the call: a long export
// hands its fields on without copying them into strings first.
using CellView = std::variant<std::monostate, std::string_view, std::int64_t, double>;
using RowView = std::span<const CellView>;

class TableWriter {
public:
    virtual ~TableWriter() = default;
    virtual Status begin(const std::vector<Column>& columns) = 0;
    virtual Status add(const Row& row) = 0;
    // The same row as views; a writer that cannot take them as they are gets them as a Row.
    virtual Status addView(RowView row);
    // Writes what is held back; a file writer also puts its file in place.
    virtual Status finish() = 0;
};

// The cells of a row of views, as a Row of their own.
Row RowOfViews(RowView row);

// A writer of Table, Tsv, Csv or Json into `sink` (Xlsx is a file: see OpenTableFile).
std::unique_ptr<TableWriter> MakeTextTableWriter(TableFormat format, ByteSink sink,
                                                 TextTableOptions options = {});

// A writer into the file `path`, written under a temporary name and placed when finished
// (`placement` says whether it may replace a file of the name). CSV files carry a byte-order
// mark. Fails at once when the folder cannot be written. A writer dropped before finish()
// leaves nothing behind.
Result<std::unique_ptr<TableWriter>> OpenTableFile(TableFormat format, const std::string& path,
                                                   Placement placement);

// How far a streamed export has come; false when the user asked it to stop.
using ExportProgress = std::function<bool(std::int64_t done, std::int64_t total)>;
// Hands each row to `take` in order, until `take` returns false; fails only when the rows
// cannot be read.
using RowTake = std::function<bool(std::int64_t done, const Row& row)>;
using RowSource = std::function<Status(const RowTake& take)>;
using RowViewTake = std::function<bool(std::int64_t done, RowView row)>;
using RowViewSource = std::function<Status(const RowViewTake& take)>;

// Streams the rows of `source` into `writer`: begins it with `columns`, tells `progress` every
// few thousand rows and at the end, and finishes it. A stop fails as Cancelled with a message
// naming `targetName` (UTF-8) and leaves the writer unfinished (a file writer leaves nothing).
Status StreamRows(TableWriter& writer, const std::vector<Column>& columns, std::int64_t total,
                  const RowSource& source, const ExportProgress& progress,
                  const std::string& targetName);
// The same for rows handed on as views.
Status StreamRowViews(TableWriter& writer, const std::vector<Column>& columns, std::int64_t total,
                      const RowViewSource& source, const ExportProgress& progress,
                      const std::string& targetName);

// A whole table into a text format, as one string (tests, clipboard).
std::string TableText(const Table& table, TableFormat format, TextTableOptions options = {});

// A whole table into a file (see OpenTableFile).
Status WriteTableFile(const Table& table, TableFormat format, const std::string& path,
                      Placement placement);

} // namespace lexmora
