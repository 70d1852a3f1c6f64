// The three result files of a saved search (dump ".dmp", log ".log", summary ".sum"): their
// fixed layouts, the writer the search run and scanner use, and the pieces the viewer reads back.
//
// Every width here is binding: the viewer finds records by arithmetic on RecordLength and log
// entries by the 298-byte log line. Text is Windows-1252, lines end in CR LF, no byte-order mark.
#pragma once

#include "core/background_writer.h"
#include "core/file_io.h"
#include "core/message.h"
#include "core/result.h"
#include "search/hit_positions.h"
#include "search/messages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

inline constexpr int kMinRecordLength = 80;
inline constexpr int kMaxRecordLength = 32767; // a 16-bit field in the header and the viewer
// Bytes of a dump record behind its text field: blank, 12-character name, blank, 5 digits, CR LF.
inline constexpr int kRecordTrailerLength = 21;
inline constexpr int kShortNameFieldWidth = 12;
inline constexpr int kLogLineWidth = 296;
inline constexpr int kLogLineBytes = kLogLineWidth + 2;
inline constexpr int kLogPathWidth = 256;
// The entry number field holds five digits; a sixth would lengthen every later record.
inline constexpr std::int32_t kMaxLogEntryNumber = 99999;

// The larger of 80 and left + keyword + right + 15, or nothing when that cannot be a 16-bit
// record length.
std::optional<int> ComputeRecordLength(int leftContext, int keywordLength, int rightContext);

// The width of a record's text field.
inline int TextFieldWidth(int recordLength) {
    return recordLength - kRecordTrailerLength;
}

// "00000" format: five digits with leading zeros (callers keep the value within 0 .. 99999).
std::string FormatEntryNumber(std::int32_t number);

// One whole dump record of `recordLength` bytes, CR LF included: the text cut or padded to the
// text field, the short name cut or padded to 12, and the entry number.
std::string BuildDumpRecord(std::string_view text, std::string_view shortName,
                            std::int32_t logEntryNumber, int recordLength);
// Builds the record in place at the end of `out` (the scanner's hot path: no temporary strings).
void AppendDumpRecord(std::string& out, std::string_view text, std::string_view shortName,
                      std::int32_t logEntryNumber, int recordLength);

// The header record's text, before it is cut to the text field.
std::string BuildDumpHeaderText(std::string_view dumpFileName, int recordLength, int leftContext,
                                std::string_view keyword);

// The keyword field of the log run header: without "Single File" the first (at most five)
// keywords, each followed by a blank; with it, empty.
std::string LogHeaderKeywordField(const std::vector<std::string>& keywords, bool singleFile);

// The log run header (line 1), before it is cut or padded to 296.
std::string BuildLogHeader(std::string_view dumpFileName, std::string_view runDate,
                           std::string_view keywordField, std::string_view fileMask,
                           std::string_view targetDirectory);

// A log entry line before it is cut to 296: number, " file:", short name (13), "|", path (256),
// file date, code name (9).
// A file name or path as a field of a result or log line: control characters (a newline in a
// name, say) become "?", so that every record and entry keeps its one line.
std::string FieldText(std::string_view name);

std::string BuildLogEntry(std::int32_t entryNumber, std::string_view shortName,
                          std::string_view path, std::string_view fileDate,
                          std::string_view codeName);

// The line cut or padded to 296 characters, with CR LF.
std::string FitLogLine(std::string_view line);

// The summary's step line, written at the end of a scanner call that found hits.
std::string BuildStepLine(std::int64_t hits, std::string_view keyword,
                          std::string_view sourceDirectory, std::int64_t files, std::int64_t bytes);
// The summary's keyword line, written after the last step of a keyword with hits.
std::string BuildKeywordLine(std::int64_t hits, std::string_view keyword, std::int64_t files,
                             std::int64_t bytes);

// The run date of the headers, "dd:mm:yy", and a file's date as the log shows it ("dd/mm/yyyy",
// the short date of the program's European users), both in local time.
std::string FormatRunDate(std::int64_t secondsSinceEpoch);
std::string FormatShortDate(std::int64_t secondsSinceEpoch);

// The log and summary beside a dump file: its path up to and including the last "." of the name,
// then "log" or "sum" (a name without "." gets ".log" / ".sum").
std::string LogPathFor(std::string_view dumpPath);
std::string SummaryPathFor(std::string_view dumpPath);

// The header values of a new set.
struct ResultSetHeader {
    std::string dumpPath; // full path of the dump file (UTF-8 as on disk)
    std::string runDate;  // "dd:mm:yy"
    int recordLength = kMinRecordLength;
    int leftContext = 0;
    std::string keyword;         // as compiled (Windows-1252)
    std::string logKeywordField; // LogHeaderKeywordField(...)
    std::string fileMask;        // SourceFileType
    std::string targetDirectory; // as written into the log header (Windows-1252)
};

// One open set of result files. Records are gathered in a buffer and written in large blocks,
// on a thread of their own once there is more than one: a failed write is reported by a later
// call that flushes, and by close(), never lost (the caller then cuts the files back to what
// they hold).
class ResultFileSet {
public:
    // WriteRunHeaders: creates (or truncates) the three files and writes the log run header and
    // the dump header record, which carries the run's current LogEntryNumber. When the header
    // text would not fit the text field of `header.recordLength`, the set's records are made
    // wide enough for it: callers take the length in use from recordLength().
    static Result<ResultFileSet> open(const ResultSetHeader& header, long long logEntryNumber);

    ResultFileSet(ResultFileSet&&) noexcept = default;
    // Not assigned over: an open set's writer would outlive its file.
    ResultFileSet& operator=(ResultFileSet&&) = delete;
    ~ResultFileSet();

    // WriteDumpRecord with the current LogEntryNumber.
    Status writeDumpRecord(std::string_view text, std::string_view shortName,
                           std::int32_t logEntryNumber);
    // WriteLogLine: cut or padded to 296, CR LF.
    Status writeLogLine(std::string_view line);
    // WriteSummaryLine: the line and CR LF.
    Status writeSummaryLine(std::string_view line);

    // Writing an accepted hit: at the file's first hit the run's entry number grows by one and
    // the file's log entry is written (a number above 99999 is refused, nothing is written);
    // then the dump record. `logEntryNumber` is the run-wide counter.
    struct SourceFileInfo {
        std::string shortName; // upper-case 8.3 form
        std::string path;      // as the log shows it (Windows-1252)
        std::string fileDate;  // FormatShortDate
        std::string codeName;  // name of the code table used
        SourceStamp stamp;     // for the positions file
    };
    // `position`: where the hit stands in its source (kNoHitPosition: not known).
    Status writeHit(std::string_view kwicLine, const SourceFileInfo& file, bool firstHitOfFile,
                    std::int32_t& logEntryNumber, std::uint64_t position = kNoHitPosition);

    // Flushes and closes the three files; the first failure is reported.
    Status close();

    const std::string& dumpPath() const { return m_dumpPath; }
    int recordLength() const { return m_recordLength; }
    std::uint64_t dumpBytesWritten() const { return m_dumpBytes; }

private:
    ResultFileSet() = default;
    bool flushDump(bool last);
    bool flushLog();
    // The set fails from here on; the first failure's system error number is kept.
    void fail(int error);
    // A failed write's Failure: the message, the kind the kept error number tells, and that
    // number.
    Failure writeFailure(Message message) const;

    std::string m_dumpPath;
    int m_recordLength = kMinRecordLength;
    UniqueFd m_dump, m_log, m_summary;
    std::string m_dumpBuffer, m_logBuffer;
    std::size_t m_dumpUsed = 0; // the records gathered in m_dumpBuffer (its size can be larger)
    std::uint64_t m_dumpBytes = 0;
    bool m_failed = false;
    int m_error = 0; // errno of the first failed write
    // Writes the dump's full blocks; declared after the files, so that it ends before they close.
    std::unique_ptr<BackgroundWriter> m_dumpWriter;
    std::unique_ptr<HitPositionsWriter> m_positions;
};

// --- reading back --------------------------------------------------------------------------

// The fields of one dump record (its text without CR LF, RecordLength - 2 characters).
struct DumpRecordFields {
    std::string_view text;                      // the text field, padding included
    std::string_view shortName;                 // trailing blanks removed
    std::optional<std::int32_t> logEntryNumber; // absent when the field is not five digits
};
DumpRecordFields SplitDumpRecord(std::string_view record, int recordLength);

// One parsed log entry line (298 bytes or the 296 characters before CR LF).
struct LogEntry {
    std::int32_t number = 0;
    std::string shortName;   // trailing blanks removed
    std::string path;        // trailing blanks removed
    std::string dateAndCode; // the rest of the line, trailing blanks removed
};
std::optional<LogEntry> ParseLogEntry(std::string_view line);

// Finds entry `number` in a log's bytes. A set's first entry follows the run's numbering, so the
// entry is looked for at line number - firstEntry + 2 (firstEntry taken from line 2) and, when
// that line carries another number, by a search over all lines. Nothing when it is not there.
std::optional<LogEntry> FindLogEntry(std::string_view logBytes, std::int32_t number);

} // namespace lexmora
