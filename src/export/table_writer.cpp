#include "export/table_writer.h"

#include "core/text_codec.h"
#include "export/messages.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lexmora {

namespace {

namespace msg = exporting::msg;

constexpr std::size_t kSinkBlock = std::size_t(256) << 10;
// The delimited writers hand on blocks of this size, which a file takes without a copy.
constexpr std::size_t kFieldBlock = std::size_t(1) << 20;

// Gathers a writer's bytes and hands them on in large blocks.
class BlockOutput {
public:
    explicit BlockOutput(ByteSink sink) : m_sink(std::move(sink)) { m_bytes.reserve(kSinkBlock); }
    std::string& bytes() { return m_bytes; }
    bool settle() { return m_bytes.size() < kSinkBlock || flush(); }
    bool flush() {
        const bool ok = m_ok && (m_bytes.empty() || m_sink(m_bytes));
        m_bytes.clear();
        m_ok = ok;
        return ok;
    }

private:
    ByteSink m_sink;
    std::string m_bytes;
    bool m_ok = true;
};

Status sinkFailure() {
    return Failure(msg::CannotWriteTable("-", EIO), FailureCode::CannotWrite, EIO);
}

// The character written for each special byte of a format: UTF-8 for the upper half of
// Windows-1252, the escapes a format needs for the rest. Other bytes are copied in runs.
class ByteEscapes {
public:
    explicit ByteEscapes(TableFormat format) {
        static const char* kHex = "0123456789abcdef";
        m_marks.fill(static_cast<char>(0x80)); // marks left over: a byte special anyway
        m_escapeMarks.fill(static_cast<char>(0x80));
        for (int c = 0; c < 256; ++c) {
            const auto byte = static_cast<unsigned char>(c);
            std::string& text = m_text[byte];
            if (byte >= 0x80) {
                appendUtf8(text, cp1252ToUnicode(byte));
            } else if (format == TableFormat::Tsv &&
                       (c == '\t' || c == '\n' || c == '\r' || c == '\\')) {
                text = {'\\', c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\'};
            } else if (format == TableFormat::Json && (c == '"' || c == '\\' || c < 0x20)) {
                text = c == '"' || c == '\\' ? std::string{'\\', static_cast<char>(c)}
                       : c == '\n'           ? std::string("\\n")
                       : c == '\r'           ? std::string("\\r")
                       : c == '\t'           ? std::string("\\t")
                                   : std::string{'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
            } else if (format == TableFormat::Csv && c == '"') {
                text = "\"\"";
            }
            std::memcpy(m_code[byte].data(), text.data(), text.size());
            m_length[byte] = static_cast<unsigned char>(text.size());
            m_flags[byte] = text.empty() ? 0 : kEscape;
            if (format == TableFormat::Csv && (c == '"' || c == ',' || c == '\r' || c == '\n'))
                m_flags[byte] |= kQuote;
            m_controls = format == TableFormat::Json;
            if (m_flags[byte] && byte < 0x80 && !(m_controls && byte < 0x20) &&
                m_marked < m_marks.size())
                m_marks[m_marked++] = static_cast<char>(c);
            if ((m_flags[byte] & kEscape) && byte < 0x80 && !(m_controls && byte < 0x20) &&
                m_escapesMarked < m_escapeMarks.size())
                m_escapeMarks[m_escapesMarked++] = static_cast<char>(c);
        }
    }

    static constexpr unsigned char kEscape = 1, kQuote = 2;

    // The first byte at or after `from` that the format treats specially (size() when none).
    std::size_t nextSpecial(std::string_view text, std::size_t from) const {
        std::size_t i = from;
#ifdef __SSE2__
        // Sixteen bytes at a time. Signed, the upper half of the bytes is below any control's
        // bound too.
        const __m128i controls = _mm_set1_epi8(m_controls ? 0x20 : 0);
        for (; i + 16 <= text.size(); i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
            __m128i hit = _mm_cmplt_epi8(v, controls);
            for (std::size_t k = 0; k < m_marks.size(); ++k)
                hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(m_marks[k])));
            if (const int mask = _mm_movemask_epi8(hit); mask != 0)
                return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
        }
#endif
        for (; i < text.size(); ++i)
            if (m_flags[static_cast<unsigned char>(text[i])])
                return i;
        return text.size();
    }

    // The most a byte of text may become (JSON's \u0001), and the room a write needs beyond that.
    static constexpr std::size_t kMostPerByte = 6, kSlack = 24;

    // Writes the text escaped from `p` on, where there is room for kMostPerByte bytes per byte
    // of text and kSlack more, and returns the end. Only the bytes that change stop the copy
    // (a CSV comma does not: quoting is decided before). Plain blocks are stored sixteen bytes
    // at once.
    char* write(char* p, std::string_view text) const {
        const char* s = text.data();
        const std::size_t n = text.size();
        std::size_t i = 0;
#ifdef __SSE2__
        const __m128i controls = _mm_set1_epi8(m_controls ? 0x20 : 0);
        const __m128i m0 = _mm_set1_epi8(m_escapeMarks[0]), m1 = _mm_set1_epi8(m_escapeMarks[1]),
                      m2 = _mm_set1_epi8(m_escapeMarks[2]), m3 = _mm_set1_epi8(m_escapeMarks[3]);
        while (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
            const __m128i hit = _mm_or_si128(
                _mm_or_si128(_mm_cmplt_epi8(v, controls), _mm_cmpeq_epi8(v, m0)),
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, m1), _mm_cmpeq_epi8(v, m2)),
                             _mm_cmpeq_epi8(v, m3)));
            const int mask = _mm_movemask_epi8(hit);
            if (mask == 0) {
                p += 16;
                i += 16;
                continue;
            }
            const auto at = static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
            p = writeEscaped(p + at, static_cast<unsigned char>(s[i + at]));
            i += at + 1;
        }
#endif
        for (; i < n; ++i) {
            const auto byte = static_cast<unsigned char>(s[i]);
            if (m_flags[byte] & kEscape)
                p = writeEscaped(p, byte);
            else
                *p++ = s[i];
        }
        return p;
    }

    // Whether a CSV field holds a byte that makes it quoted (its four marks are those bytes).
    bool needsQuotes(std::string_view text) const {
        const char* s = text.data();
        std::size_t i = 0;
#ifdef __SSE2__
        const __m128i m0 = _mm_set1_epi8(m_marks[0]), m1 = _mm_set1_epi8(m_marks[1]),
                      m2 = _mm_set1_epi8(m_marks[2]), m3 = _mm_set1_epi8(m_marks[3]);
        for (; i + 16 <= text.size(); i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i hit =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, m0), _mm_cmpeq_epi8(v, m1)),
                             _mm_or_si128(_mm_cmpeq_epi8(v, m2), _mm_cmpeq_epi8(v, m3)));
            if (_mm_movemask_epi8(hit) != 0)
                return true;
        }
#endif
        for (; i < text.size(); ++i)
            if (m_flags[static_cast<unsigned char>(s[i])] & kQuote)
                return true;
        return false;
    }

    // Appends the text escaped; tells what its special bytes asked for (kQuote: CSV quotes it).
    unsigned char append(std::string& out, std::string_view text) const {
        unsigned char flags = 0;
        std::size_t run = 0;
        for (std::size_t i = nextSpecial(text, 0); i < text.size(); i = nextSpecial(text, i + 1)) {
            const auto byte = static_cast<unsigned char>(text[i]);
            flags |= m_flags[byte];
            if (!(m_flags[byte] & kEscape))
                continue;
            out.append(text.data() + run, i - run);
            out += m_text[byte];
            run = i + 1;
        }
        out.append(text.data() + run, text.size() - run);
        return flags;
    }

private:
    char* writeEscaped(char* p, unsigned char byte) const {
        std::memcpy(p, m_code[byte].data(), 8);
        return p + m_length[byte];
    }

    std::array<std::array<char, 8>, 256> m_code{};
    std::array<unsigned char, 256> m_length{};
    std::array<unsigned char, 256> m_flags{};
    // The special bytes of the ASCII half, but the controls when every control is special (at
    // most four in every format).
    std::array<char, 4> m_marks;
    std::size_t m_marked = 0;
    // The same for the bytes written otherwise than they are.
    std::array<char, 4> m_escapeMarks;
    std::size_t m_escapesMarked = 0;
    bool m_controls = false;
    std::array<std::string, 256> m_text;
};

const ByteEscapes& escapesOf(TableFormat format) {
    static const ByteEscapes table(TableFormat::Table), tsv(TableFormat::Tsv),
        csv(TableFormat::Csv), json(TableFormat::Json);
    return format == TableFormat::Tsv    ? tsv
           : format == TableFormat::Csv  ? csv
           : format == TableFormat::Json ? json
                                         : table;
}

// Windows-1252 text as UTF-8, with the characters a format cannot carry as they are escaped.
void appendEscaped(std::string& out, std::string_view text, TableFormat format) {
    escapesOf(format).append(out, text);
}

// A delimited writer's output: fields are escaped straight into it, and it goes on to the sink
// in large blocks, each handed over as it stands (no copy, no shifting of what is left).
class FieldBuffer {
public:
    explicit FieldBuffer(ByteSink sink) : m_sink(std::move(sink)), m_bytes(kFieldBlock * 2, '\0') {}

    // Room for `size` more bytes at the end, good until the next call; written bytes are
    // kept with used().
    char* room(std::size_t size) {
        if (m_bytes.size() - m_used < size) {
            flush();
            if (m_bytes.size() < size)
                m_bytes.resize(size);
        }
        return m_bytes.data() + m_used;
    }
    void used(const char* end) { m_used = static_cast<std::size_t>(end - m_bytes.data()); }
    void put(std::string_view text) {
        char* p = room(text.size());
        std::memcpy(p, text.data(), text.size());
        used(p + text.size());
    }
    void put(char c) { *room(1) = c, ++m_used; }

    // At the end of a row: a full block goes on.
    bool settle() { return m_used < kFieldBlock || flush(); }
    bool flush() {
        const bool ok = m_ok && (m_used == 0 || m_sink(std::string_view(m_bytes.data(), m_used)));
        m_used = 0;
        m_ok = ok;
        return ok;
    }

private:
    ByteSink m_sink;
    std::string m_bytes;
    std::size_t m_used = 0;
    bool m_ok = true;
};

// TSV, CSV and JSON: one line per row as it comes.
class DelimitedWriter : public TableWriter {
public:
    DelimitedWriter(TableFormat format, ByteSink sink, TextTableOptions options)
        : m_format(format), m_escapes(escapesOf(format)), m_out(std::move(sink)),
          m_options(options) {}

    Status begin(const std::vector<Column>& columns) override {
        m_columns = columns;
        if (m_format == TableFormat::Json) {
            m_out.put('[');
            return Status::success();
        }
        if (m_format == TableFormat::Csv && m_options.byteOrderMark)
            m_out.put("\xEF\xBB\xBF");
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                m_out.put(separator());
            putField(columns[i].name);
        }
        m_out.put(lineEnd());
        return m_out.settle() ? Status::success() : sinkFailure();
    }

    Status add(const Row& row) override { return addCells(row); }
    Status addView(RowView row) override { return addCells(row); }

    Status finish() override {
        if (m_format == TableFormat::Json)
            m_out.put(m_rows == 0 ? "]\n" : "\n]\n");
        return m_out.flush() ? Status::success() : sinkFailure();
    }

private:
    char separator() const { return m_format == TableFormat::Csv ? ',' : '\t'; }
    std::string_view lineEnd() const { return m_format == TableFormat::Csv ? "\r\n" : "\n"; }

    template <typename Cells> Status addCells(const Cells& row) {
        if (m_format == TableFormat::Json) {
            m_line.clear();
            appendJsonObject(m_line, row);
            m_out.put(m_line);
        } else {
            for (std::size_t i = 0; i < m_columns.size(); ++i) {
                if (i > 0)
                    m_out.put(separator());
                if (i < row.size())
                    putCell(row[i], m_columns[i]);
            }
            m_out.put(lineEnd());
        }
        ++m_rows;
        return m_out.settle() ? Status::success() : sinkFailure();
    }

    // The field escaped in one pass straight into the output; a CSV field that needs quotes is
    // known by a quick look first, so nothing is moved after.
    void putField(std::string_view text) {
        char* p = m_out.room(2 + text.size() * ByteEscapes::kMostPerByte + ByteEscapes::kSlack);
        const bool quoted = m_format == TableFormat::Csv && m_escapes.needsQuotes(text);
        if (quoted)
            *p++ = '"';
        p = m_escapes.write(p, text);
        if (quoted)
            *p++ = '"';
        m_out.used(p);
    }

    void putWhole(std::int64_t whole) {
        char* p = m_out.room(24);
        m_out.used(std::to_chars(p, p + 24, whole).ptr);
    }

    void putCell(const Cell& cell, const Column& column) {
        if (const auto* text = std::get_if<std::string>(&cell))
            putField(*text);
        else if (const auto* whole = std::get_if<std::int64_t>(&cell))
            putWhole(*whole);
        else
            putField(CellText(cell, column));
    }

    void putCell(const CellView& cell, const Column& column) {
        if (const auto* text = std::get_if<std::string_view>(&cell))
            putField(*text);
        else if (const auto* whole = std::get_if<std::int64_t>(&cell))
            putWhole(*whole);
        else if (const auto* real = std::get_if<double>(&cell))
            putField(CellText(*real, column));
    }

    static std::string_view textOf(const Cell& cell) { return std::get<std::string>(cell); }
    static std::string_view textOf(const CellView& cell) {
        return std::get<std::string_view>(cell);
    }
    static Cell valueOf(const Cell& cell) { return cell; }
    static Cell valueOf(const CellView& cell) {
        if (const auto* whole = std::get_if<std::int64_t>(&cell))
            return *whole;
        if (const auto* real = std::get_if<double>(&cell))
            return *real;
        return Cell{};
    }

    template <typename Cells> void appendJsonObject(std::string& out, const Cells& row) const {
        out += m_rows == 0 ? "\n{" : ",\n{";
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (i > 0)
                out += ", ";
            out += '"';
            appendEscaped(out, m_columns[i].name, TableFormat::Json);
            out += "\": ";
            using CellType = std::decay_t<decltype(row[0])>;
            const CellType cell = i < row.size() ? row[i] : CellType{};
            const auto* real = std::get_if<double>(&cell);
            if (cell.index() == 0 || (real && !std::isfinite(*real))) {
                out += "null";
            } else if (cell.index() == 1) {
                out += '"';
                appendEscaped(out, textOf(cell), TableFormat::Json);
                out += '"';
            } else {
                out += CellText(valueOf(cell), m_columns[i]);
            }
        }
        out += '}';
    }

    TableFormat m_format;
    const ByteEscapes& m_escapes;
    FieldBuffer m_out;
    TextTableOptions m_options;
    std::vector<Column> m_columns;
    std::string m_line; // a JSON object
    std::int64_t m_rows = 0;
};

// The aligned table for people: every row is held to size the columns, numbers to the right.
class AlignedWriter : public TableWriter {
public:
    explicit AlignedWriter(ByteSink sink) : m_out(std::move(sink)) {}

    Status begin(const std::vector<Column>& columns) override {
        m_columns = columns;
        m_widths.assign(columns.size(), 0);
        for (std::size_t i = 0; i < columns.size(); ++i)
            keepCell(i, columns[i].name);
        return Status::success();
    }

    Status add(const Row& row) override {
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            keepCell(i, i < row.size() ? CellText(row[i], m_columns[i], true) : std::string());
        return Status::success();
    }

    Status finish() override {
        const std::size_t columns = m_columns.size();
        std::size_t at = 0;
        for (std::size_t cell = 0; cell < m_lengths.size(); cell += columns) {
            std::string line;
            for (std::size_t i = 0; i < columns; ++i) {
                const std::string_view text(m_cells.data() + at, m_lengths[cell + i]);
                at += text.size();
                const std::size_t pad = m_widths[i] - text.size();
                const bool right = m_columns[i].kind != ColumnKind::Text;
                if (i > 0)
                    line += "  ";
                if (right)
                    line.append(pad, ' ');
                appendEscaped(line, text, TableFormat::Tsv);
                if (!right && i + 1 < columns)
                    line.append(pad, ' ');
            }
            m_out.bytes() += line;
            m_out.bytes() += '\n';
            if (!m_out.settle())
                return sinkFailure();
        }
        return m_out.flush() ? Status::success() : sinkFailure();
    }

private:
    // The widths are known only when every row is in, so the rows wait: their cells' texts one
    // after another in one string, and each cell's length. A list of millions of rows kept as
    // strings per cell took ten times its text.
    void keepCell(std::size_t column, std::string_view text) {
        m_widths[column] = std::max(m_widths[column], text.size());
        m_cells.append(text);
        m_lengths.push_back(static_cast<std::uint32_t>(text.size()));
    }

    BlockOutput m_out;
    std::vector<Column> m_columns;
    std::vector<std::size_t> m_widths;
    std::string m_cells;
    std::vector<std::uint32_t> m_lengths; // a row's cells, row after row, the header first
};

Failure placeFailure(const std::string& path, PlaceOutcome outcome, int error) {
    if (outcome == PlaceOutcome::NameTaken)
        return Failure(msg::TableFileExists(path), FailureCode::CannotWrite, EEXIST);
    if (error == ENOSPC || error == EDQUOT)
        return Failure(msg::DiskFullWritingTable(path), FailureCode::DiskFull, error);
    return Failure(msg::CannotWriteTable(path, error), FailureCode::CannotWrite, error);
}

// A text format into a staged file, placed when finished.
class TextFileWriter : public TableWriter {
public:
    TextFileWriter(TableFormat format, std::unique_ptr<StagedFile> file, Placement placement)
        : m_file(std::move(file)), m_placement(placement) {
        StagedFile* target = m_file.get();
        m_inner = MakeTextTableWriter(
            format, [target](std::string_view bytes) { return target->append(bytes); },
            TextTableOptions{.byteOrderMark = true});
    }
    Status begin(const std::vector<Column>& columns) override {
        return checked(m_inner->begin(columns));
    }
    Status add(const Row& row) override { return checked(m_inner->add(row)); }
    Status addView(RowView row) override { return checked(m_inner->addView(row)); }
    Status finish() override {
        if (Status written = checked(m_inner->finish()); !written)
            return written;
        const PlaceOutcome outcome = m_file->commit(m_placement);
        if (outcome != PlaceOutcome::Placed)
            return placeFailure(m_file->path(), outcome, m_file->systemError());
        return Status::success();
    }

private:
    // A failed write is told with the file's own name and the system's reason.
    Status checked(Status status) {
        if (status)
            return status;
        const int error = m_file->systemError() ? m_file->systemError() : EIO;
        m_file->discard();
        return placeFailure(m_file->path(), PlaceOutcome::WriteFailed, error);
    }
    std::unique_ptr<StagedFile> m_file;
    Placement m_placement;
    std::unique_ptr<TableWriter> m_inner;
};

// Workbooks: one sheet with a frozen header row, numbers as numbers. Rows are written as they
// come (the library's constant-memory mode), so a million KWIC lines stay in bounded memory;
// past a sheet's last row a new sheet goes on, headed again.
class WorkbookWriter : public TableWriter {
public:
    WorkbookWriter(std::string path, std::string temp, Placement placement)
        : m_path(std::move(path)), m_temp(std::move(temp)), m_placement(placement) {}
    ~WorkbookWriter() override {
        if (m_book)
            workbook_close(m_book); // writes the unfinished file only to remove it
        if (!m_placed)
            ::unlink(m_temp.c_str());
    }

    Status begin(const std::vector<Column>& columns) override {
        m_columns = columns;
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        const std::string folder = m_path.substr(0, m_path.find_last_of('/') + 1);
        m_tmpdir = folder.empty() ? std::string(".") : folder;
        options.tmpdir = m_tmpdir.data();
        m_book = workbook_new_opt(m_temp.c_str(), &options);
        if (!m_book)
            return Failure(msg::CannotWriteTable(m_path, errno ? errno : EIO),
                           FailureCode::CannotWrite, errno);
        m_bold = workbook_add_format(m_book);
        format_set_bold(m_bold);
        return newSheet();
    }

    Status add(const Row& row) override { return addCells(row); }
    Status addView(RowView row) override { return addCells(row); }

    Status finish() override {
        const lxw_error closed = workbook_close(m_book);
        m_book = nullptr;
        if (closed != LXW_NO_ERROR) {
            const int error = errno;
            if (error == ENOSPC || error == EDQUOT)
                return Failure(msg::DiskFullWritingTable(m_path), FailureCode::DiskFull, error);
            return Failure(msg::WorkbookFailed(m_path, lxw_strerror(closed)),
                           FailureCode::CannotWrite, error);
        }
        int error = 0;
        const PlaceOutcome outcome = PlaceFile(m_temp, m_path, m_placement, error);
        if (outcome != PlaceOutcome::Placed)
            return placeFailure(m_path, outcome, error);
        m_placed = true;
        return Status::success();
    }

private:
    static constexpr lxw_row_t kSheetRows = 1048576;
    static constexpr std::size_t kCellChars = 32767; // the most text a cell holds

    Status newSheet() {
        m_sheet = workbook_add_worksheet(m_book, nullptr);
        if (!m_sheet)
            return Failure(msg::WorkbookFailed(m_path, "no sheet"), FailureCode::CannotWrite);
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            worksheet_write_string(m_sheet, 0, static_cast<lxw_col_t>(i),
                                   utf8Of(m_columns[i].name).c_str(), m_bold);
        worksheet_freeze_panes(m_sheet, 1, 0);
        m_row = 1;
        return Status::success();
    }

    template <typename Cells> Status addCells(const Cells& row) {
        if (m_row >= kSheetRows)
            if (Status started = newSheet(); !started)
                return started;
        for (std::size_t i = 0; i < m_columns.size() && i < row.size(); ++i)
            writeCell(static_cast<lxw_col_t>(i), row[i], m_columns[i]);
        ++m_row;
        return Status::success();
    }

    void writeCell(lxw_col_t column, const CellView& cell, const Column& kind) {
        if (const auto* text = std::get_if<std::string_view>(&cell))
            worksheet_write_string(m_sheet, m_row, column, cellUtf8(*text), nullptr);
        else if (const auto* whole = std::get_if<std::int64_t>(&cell))
            worksheet_write_number(m_sheet, m_row, column, double(*whole), nullptr);
        else if (const auto* real = std::get_if<double>(&cell))
            writeCell(column, Cell(*real), kind);
    }

    void writeCell(lxw_col_t column, const Cell& cell, const Column& kind) {
        if (const auto* text = std::get_if<std::string>(&cell)) {
            worksheet_write_string(m_sheet, m_row, column, cellUtf8(*text), nullptr);
        } else if (const auto* whole = std::get_if<std::int64_t>(&cell)) {
            worksheet_write_number(m_sheet, m_row, column, double(*whole), nullptr);
        } else if (const auto* real = std::get_if<double>(&cell)) {
            if (std::isfinite(*real))
                worksheet_write_number(m_sheet, m_row, column, *real, nullptr);
            else
                worksheet_write_string(m_sheet, m_row, column, CellText(cell, kind).c_str(),
                                       nullptr);
        }
    }

    static std::string utf8Of(const std::string& text) {
        return cp1252ToUtf8(std::string_view(text).substr(0, kCellChars));
    }

    // A cell's text as UTF-8 in one buffer kept from cell to cell (the library copies it).
    const char* cellUtf8(std::string_view text) {
        m_utf8.clear();
        escapesOf(TableFormat::Table).append(m_utf8, text.substr(0, kCellChars));
        return m_utf8.c_str();
    }

    std::string m_path, m_temp, m_tmpdir, m_utf8;
    Placement m_placement;
    std::vector<Column> m_columns;
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_row_t m_row = 0;
    bool m_placed = false;
};

// A fresh name beside `path` that no other run holds, the file left there empty for the
// library to write over.
std::optional<std::string> reserveNeighbour(const std::string& path, int& error) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    ::close(fd);
    return temp;
}

Status writeAllRows(const Table& table, TableWriter& writer) {
    if (Status begun = writer.begin(table.columns); !begun)
        return begun;
    for (const Row& row : table.rows)
        if (Status added = writer.add(row); !added)
            return added;
    return writer.finish();
}

} // namespace

std::unique_ptr<TableWriter> MakeTextTableWriter(TableFormat format, ByteSink sink,
                                                 TextTableOptions options) {
    if (format == TableFormat::Table)
        return std::make_unique<AlignedWriter>(std::move(sink));
    return std::make_unique<DelimitedWriter>(format, std::move(sink), options);
}

Result<std::unique_ptr<TableWriter>> OpenTableFile(TableFormat format, const std::string& path,
                                                   Placement placement) {
    if (format == TableFormat::Xlsx) {
        int error = 0;
        std::optional<std::string> temp = reserveNeighbour(path, error);
        if (!temp)
            return placeFailure(path, PlaceOutcome::WriteFailed, error);
        return std::unique_ptr<TableWriter>(
            std::make_unique<WorkbookWriter>(path, std::move(*temp), placement));
    }
    auto file = std::make_unique<StagedFile>(path);
    if (!file->valid())
        return placeFailure(path, PlaceOutcome::WriteFailed, file->systemError());
    return std::unique_ptr<TableWriter>(
        std::make_unique<TextFileWriter>(format, std::move(file), placement));
}

Row RowOfViews(RowView row) {
    Row cells;
    cells.reserve(row.size());
    for (const CellView& cell : row) {
        if (const auto* text = std::get_if<std::string_view>(&cell))
            cells.emplace_back(std::string(*text));
        else if (const auto* whole = std::get_if<std::int64_t>(&cell))
            cells.emplace_back(*whole);
        else if (const auto* real = std::get_if<double>(&cell))
            cells.emplace_back(*real);
        else
            cells.emplace_back();
    }
    return cells;
}

Status TableWriter::addView(RowView row) {
    return add(RowOfViews(row));
}

namespace {

// StreamRows for either kind of row: `source` is handed the take of one row.
template <typename RowType, typename Source>
Status streamRowsOf(TableWriter& writer, const std::vector<Column>& columns, std::int64_t total,
                    const Source& source, const ExportProgress& progress,
                    const std::string& targetName) {
    constexpr std::int64_t kProgressStep = 4096;
    if (Status begun = writer.begin(columns); !begun)
        return begun;
    Status failed;
    bool stopped = false;
    const Status read = source([&](std::int64_t done, RowType row) {
        Status added;
        if constexpr (std::is_same_v<RowType, RowView>)
            added = writer.addView(row);
        else
            added = writer.add(row);
        if (!added) {
            failed = std::move(added);
            return false;
        }
        if (progress && done % kProgressStep == 0 && !progress(done, total)) {
            stopped = true;
            return false;
        }
        return true;
    });
    if (!read)
        return read;
    if (!failed)
        return failed;
    if (stopped)
        return Failure(msg::ExportStopped(targetName), FailureCode::Cancelled);
    if (progress)
        progress(total, total);
    return writer.finish();
}

} // namespace

Status StreamRows(TableWriter& writer, const std::vector<Column>& columns, std::int64_t total,
                  const RowSource& source, const ExportProgress& progress,
                  const std::string& targetName) {
    return streamRowsOf<const Row&>(writer, columns, total, source, progress, targetName);
}

Status StreamRowViews(TableWriter& writer, const std::vector<Column>& columns, std::int64_t total,
                      const RowViewSource& source, const ExportProgress& progress,
                      const std::string& targetName) {
    return streamRowsOf<RowView>(writer, columns, total, source, progress, targetName);
}

std::string TableText(const Table& table, TableFormat format, TextTableOptions options) {
    std::string text;
    auto writer = MakeTextTableWriter(
        format,
        [&text](std::string_view bytes) {
            text.append(bytes);
            return true;
        },
        options);
    (void)writeAllRows(table, *writer); // a string sink never fails
    return text;
}

Status WriteTableFile(const Table& table, TableFormat format, const std::string& path,
                      Placement placement) {
    Result<std::unique_ptr<TableWriter>> opened = OpenTableFile(format, path, placement);
    if (!opened)
        return opened.failure();
    return writeAllRows(table, *opened.value());
}

} // namespace lexmora
