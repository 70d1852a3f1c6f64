#include "search/result_files.h"

#include "core/text_codec.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

constexpr std::size_t kFlushThreshold = 1 << 18;

// `text` cut or blank-padded to exactly `width` characters, appended to `out`.
void appendFitted(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() >= width) {
        out.append(text.data(), width);
    } else {
        out.append(text.data(), text.size());
        out.append(width - text.size(), ' ');
    }
}

// A number as the program prints it after a label: one leading blank when not negative.
std::string printable(std::int64_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

UniqueFd createTruncating(const std::string& path) {
    return UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

std::string pathUpToLastDot(std::string_view dumpPath) {
    const auto slash = dumpPath.rfind('/');
    const auto dot = dumpPath.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(dumpPath) + ".";
    return std::string(dumpPath.substr(0, dot + 1));
}

std::string formatDate(std::int64_t seconds, const char* format) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!::localtime_r(&t, &local))
        return {};
    char buffer[32];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, n);
}

} // namespace

std::optional<int> ComputeRecordLength(int leftContext, int keywordLength, int rightContext) {
    const long long length =
        static_cast<long long>(leftContext) + keywordLength + rightContext + 15;
    const long long chosen = length < kMinRecordLength ? kMinRecordLength : length;
    if (leftContext < 0 || rightContext < 0 || keywordLength < 0 || chosen > kMaxRecordLength)
        return std::nullopt;
    return static_cast<int>(chosen);
}

std::string FormatEntryNumber(std::int32_t number) {
    char digits[12];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
    (void)ec;
    const std::size_t n = static_cast<std::size_t>(end - digits);
    std::string out;
    if (n < 5)
        out.assign(5 - n, '0');
    out.append(digits, n);
    return out;
}

namespace {

// The record written at `o`, every byte of it (the buffer there need not be blank).
void writeDumpRecordAt(char* o, std::string_view text, std::string_view shortName,
                       std::int32_t logEntryNumber, int recordLength) {
    const std::size_t textWidth = static_cast<std::size_t>(TextFieldWidth(recordLength));
    const std::size_t textSize = std::min(text.size(), textWidth);
    o = std::copy_n(text.data(), textSize, o);
    o = std::fill_n(o, textWidth - textSize + 1, ' ');
    const std::size_t nameSize =
        std::min(shortName.size(), static_cast<std::size_t>(kShortNameFieldWidth));
    o = std::copy_n(shortName.data(), nameSize, o);
    o = std::fill_n(o, kShortNameFieldWidth - nameSize + 1, ' ');
    // Five digits always: a wider number would shift every later record of the file.
    if (logEntryNumber < 0 || logEntryNumber > kMaxLogEntryNumber)
        logEntryNumber = kMaxLogEntryNumber;
    for (int i = 4; i >= 0; --i) {
        o[i] = static_cast<char>('0' + logEntryNumber % 10);
        logEntryNumber /= 10;
    }
    o[5] = '\r';
    o[6] = '\n';
}

} // namespace

void AppendDumpRecord(std::string& out, std::string_view text, std::string_view shortName,
                      std::int32_t logEntryNumber, int recordLength) {
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(recordLength));
    writeDumpRecordAt(out.data() + at, text, shortName, logEntryNumber, recordLength);
}

std::string BuildDumpRecord(std::string_view text, std::string_view shortName,
                            std::int32_t logEntryNumber, int recordLength) {
    std::string out;
    out.reserve(static_cast<std::size_t>(recordLength));
    AppendDumpRecord(out, text, shortName, logEntryNumber, recordLength);
    return out;
}

std::string BuildDumpHeaderText(std::string_view dumpFileName, int recordLength, int leftContext,
                                std::string_view keyword) {
    std::string text = "#32 Filename:     ";
    text += dumpFileName;
    text += "    ##Recordlength: ";
    text += printable(recordLength);
    text += "     ##LeftContext: ";
    text += printable(leftContext);
    text += " ##Keyword   :   ";
    text += keyword;
    return text;
}

std::string LogHeaderKeywordField(const std::vector<std::string>& keywords, bool singleFile) {
    std::string field;
    if (singleFile)
        return field;
    for (std::size_t i = 0; i < keywords.size() && i < 5; ++i) {
        field += keywords[i];
        field += ' ';
    }
    return field;
}

std::string BuildLogHeader(std::string_view dumpFileName, std::string_view runDate,
                           std::string_view keywordField, std::string_view fileMask,
                           std::string_view targetDirectory) {
    std::string line = "#32: Filename: ";
    line += dumpFileName;
    line += " - Filedate: ";
    line += runDate;
    line += " - Keyword:  ";
    line += keywordField;
    line += " - Filemask$: ";
    line += fileMask;
    line += " - Pathname: ";
    line += targetDirectory;
    return line;
}

std::string FieldText(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = '?';
    return out;
}

std::string BuildLogEntry(std::int32_t entryNumber, std::string_view shortName,
                          std::string_view path, std::string_view fileDate,
                          std::string_view codeName) {
    std::string line = FormatEntryNumber(entryNumber);
    line += " file:";
    appendFitted(line, shortName, 13);
    line += '|';
    appendFitted(line, path, kLogPathWidth);
    line += fileDate;
    appendFitted(line, codeName, 9);
    return line;
}

std::string FitLogLine(std::string_view line) {
    std::string out;
    out.reserve(kLogLineBytes);
    appendFitted(out, line, kLogLineWidth);
    out += "\r\n";
    return out;
}

std::string BuildStepLine(std::int64_t hits, std::string_view keyword,
                          std::string_view sourceDirectory, std::int64_t files,
                          std::int64_t bytes) {
    std::string line = std::to_string(hits);
    line += " occurrences of \xAB ";
    line += keyword;
    line += " \xBB in ";
    line += sourceDirectory;
    line += ":";
    line += printable(files);
    line += " files: bytes";
    line += printable(bytes);
    return line;
}

std::string BuildKeywordLine(std::int64_t hits, std::string_view keyword, std::int64_t files,
                             std::int64_t bytes) {
    std::string line = std::to_string(hits);
    line += " total occurrences found of \xAB ";
    line += keyword;
    line += " \xBB";
    line += " in";
    line += printable(files);
    line += " files totalling";
    line += printable(bytes);
    line += " bytes";
    return line;
}

std::string FormatRunDate(std::int64_t secondsSinceEpoch) {
    return formatDate(secondsSinceEpoch, "%d:%m:%y");
}

std::string FormatShortDate(std::int64_t secondsSinceEpoch) {
    return formatDate(secondsSinceEpoch, "%d/%m/%Y");
}

std::string LogPathFor(std::string_view dumpPath) {
    return pathUpToLastDot(dumpPath) + "log";
}

std::string SummaryPathFor(std::string_view dumpPath) {
    return pathUpToLastDot(dumpPath) + "sum";
}

// --- ResultFileSet --------------------------------------------------------------------------

Result<ResultFileSet> ResultFileSet::open(const ResultSetHeader& header, long long logEntryNumber) {
    if (header.recordLength <= kRecordTrailerLength || header.recordLength > kMaxRecordLength)
        return search::msg::CannotContinue();
    ResultFileSet set;
    set.m_dumpPath = header.dumpPath;
    const auto slash = header.dumpPath.rfind('/');
    // The name is UTF-8 on disk; in the program's own files it is Windows-1252 like the text
    // beside it, one byte a character, so that the fixed fields keep their widths.
    const std::string dumpName = utf8ToCp1252(
        slash == std::string::npos ? header.dumpPath : header.dumpPath.substr(slash + 1));
    // A header cut at its text field would lose the left context the viewer needs to find the
    // keyword column: the records are made wide enough to hold the whole header (the header
    // names the length, so a wider length may need one more digit).
    int recordLength = header.recordLength;
    for (;;) {
        const auto textLength = static_cast<int>(
            BuildDumpHeaderText(dumpName, recordLength, header.leftContext, header.keyword).size());
        if (textLength <= TextFieldWidth(recordLength))
            break;
        recordLength = textLength + kRecordTrailerLength;
        if (recordLength > kMaxRecordLength)
            return search::msg::CannotContinue();
    }
    set.m_recordLength = recordLength;
    for (auto [file, path] : {std::pair{&set.m_dump, header.dumpPath},
                              std::pair{&set.m_log, LogPathFor(header.dumpPath)},
                              std::pair{&set.m_summary, SummaryPathFor(header.dumpPath)}}) {
        *file = createTruncating(path);
        if (!file->valid()) {
            const int error = errno;
            return Failure(search::msg::CannotContinue(), WriteFailureCode(error), error);
        }
    }

    const std::string logHeader = FitLogLine(BuildLogHeader(
        dumpName, header.runDate, header.logKeywordField, header.fileMask, header.targetDirectory));
    if (!writeAll(set.m_log.get(), logHeader)) {
        set.fail(errno);
        return set.writeFailure(search::msg::CannotPrintToLogfile());
    }
    const std::string dumpHeader = BuildDumpRecord(
        BuildDumpHeaderText(dumpName, recordLength, header.leftContext, header.keyword), "",
        logEntryNumber, recordLength);
    if (!writeAll(set.m_dump.get(), dumpHeader)) {
        set.fail(errno);
        return set.writeFailure(search::msg::CannotPrintToDumpfile());
    }
    set.m_dumpBytes = dumpHeader.size();
    set.m_positions = std::make_unique<HitPositionsWriter>(header.dumpPath);
    return set;
}

void ResultFileSet::fail(int error) {
    if (!m_failed)
        m_error = error;
    m_failed = true;
}

Failure ResultFileSet::writeFailure(Message message) const {
    return Failure(std::move(message), WriteFailureCode(m_error), m_error);
}

ResultFileSet::~ResultFileSet() {
    // A set dropped without close() still keeps what was gathered.
    if (m_dump.valid() || m_log.valid())
        (void)close();
}

// A full block goes to the writer's thread (started at the first); the last is written here.
// The log's pending lines are written first: a record never reaches the disk before the log
// entry it points at, even when the disk fills between the two.
bool ResultFileSet::flushDump(bool last) {
    if (m_dumpUsed == 0)
        return !m_failed;
    if (!flushLog() || !m_dump.valid()) {
        m_dumpUsed = 0;
        fail(EBADF);
        return false;
    }
    bool ok = true;
    if (!last)
        ok = BackgroundWriter::handOrWrite(m_dumpWriter, m_dump.get(), m_dumpBuffer, m_dumpUsed);
    else
        ok = (!m_dumpWriter || m_dumpWriter->finish()) &&
             writeAll(m_dump.get(), std::string_view(m_dumpBuffer).substr(0, m_dumpUsed));
    // The writer's thread keeps the number of a write it failed; a write made here left errno.
    const int error = ok                                      ? 0
                      : m_dumpWriter && m_dumpWriter->error() ? m_dumpWriter->error()
                                                              : errno;
    m_dumpUsed = 0;
    if (!ok)
        fail(error);
    return !m_failed;
}

bool ResultFileSet::flushLog() {
    if (m_logBuffer.empty())
        return !m_failed;
    const bool ok = m_log.valid() && writeAll(m_log.get(), m_logBuffer);
    const int error = ok ? 0 : m_log.valid() ? errno : EBADF;
    m_logBuffer.clear();
    if (!ok)
        fail(error);
    return !m_failed;
}

Status ResultFileSet::writeDumpRecord(std::string_view text, std::string_view shortName,
                                      std::int32_t logEntryNumber) {
    if (m_failed || !m_dump.valid())
        return writeFailure(search::msg::CannotPrintToDumpfile());
    // Written over the buffer's bytes: it grows (and is blanked) only up to its largest fill.
    const auto length = static_cast<std::size_t>(m_recordLength);
    if (m_dumpBuffer.size() < m_dumpUsed + length)
        m_dumpBuffer.resize(m_dumpUsed + length);
    writeDumpRecordAt(m_dumpBuffer.data() + m_dumpUsed, text, shortName, logEntryNumber,
                      m_recordLength);
    m_dumpUsed += length;
    m_dumpBytes += static_cast<std::uint64_t>(m_recordLength);
    if (m_dumpUsed >= kFlushThreshold && !flushDump(false))
        return writeFailure(search::msg::CannotPrintToDumpfile());
    return {};
}

Status ResultFileSet::writeLogLine(std::string_view line) {
    if (m_failed || !m_log.valid())
        return writeFailure(search::msg::CannotPrintToLogfile());
    m_logBuffer += FitLogLine(line);
    if (m_logBuffer.size() >= kFlushThreshold && !flushLog())
        return writeFailure(search::msg::CannotPrintToLogfile());
    return {};
}

Status ResultFileSet::writeSummaryLine(std::string_view line) {
    std::string out(line);
    out += "\r\n";
    if (m_failed || !m_summary.valid() || !writeAll(m_summary.get(), out)) {
        fail(m_summary.valid() ? errno : EBADF);
        return writeFailure(search::msg::CannotPrintToSummary());
    }
    return {};
}

Status ResultFileSet::writeHit(std::string_view kwicLine, const SourceFileInfo& file,
                               bool firstHitOfFile, std::int32_t& logEntryNumber,
                               std::uint64_t position) {
    if (firstHitOfFile) {
        if (logEntryNumber >= kMaxLogEntryNumber)
            return Failure(search::msg::TooManyLogEntries(), FailureCode::LimitReached);
        ++logEntryNumber;
        Status logged =
            writeLogLine(BuildLogEntry(static_cast<std::int32_t>(logEntryNumber), file.shortName,
                                       file.path, file.fileDate, file.codeName));
        if (!logged)
            return logged;
        if (m_positions)
            m_positions->addEntry(logEntryNumber, file.stamp);
    }
    Status written = writeDumpRecord(
        kwicLine, file.shortName,
        static_cast<std::int32_t>(std::clamp<long long>(logEntryNumber, 0, kMaxLogEntryNumber)));
    if (written && m_positions)
        m_positions->addHit(position);
    return written;
}

Status ResultFileSet::close() {
    const bool logOk = flushLog();
    const bool dumpOk = flushDump(true) && (!m_dumpWriter || m_dumpWriter->finish());
    m_dumpWriter.reset();
    bool closeOk = true;
    for (UniqueFd* fd : {&m_dump, &m_log, &m_summary}) {
        if (fd->valid() && ::close(fd->release()) != 0 && errno != EINTR) {
            fail(errno);
            closeOk = false;
        }
    }
    // Put in place only beside a dump that holds every record it counts.
    if (m_positions)
        m_positions->finish(logOk && dumpOk && closeOk, m_recordLength);
    m_positions.reset();
    if (!logOk)
        return writeFailure(search::msg::CannotPrintToLogfile());
    if (!dumpOk || !closeOk)
        return writeFailure(search::msg::CannotPrintToDumpfile());
    return {};
}

// --- reading back ---------------------------------------------------------------------------

DumpRecordFields SplitDumpRecord(std::string_view record, int recordLength) {
    DumpRecordFields fields;
    const std::size_t width = recordLength > kRecordTrailerLength
                                  ? static_cast<std::size_t>(TextFieldWidth(recordLength))
                                  : 0;
    fields.text = record.substr(0, std::min(width, record.size()));
    if (record.size() < width + 1 + kShortNameFieldWidth + 1 + 5)
        return fields;
    fields.shortName = trimRight(record.substr(width + 1, kShortNameFieldWidth));
    const std::string_view digits = record.substr(width + 2 + kShortNameFieldWidth, 5);
    std::int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return fields;
        value = value * 10 + (c - '0');
    }
    fields.logEntryNumber = value;
    return fields;
}

std::optional<LogEntry> ParseLogEntry(std::string_view line) {
    if (line.size() < 5 + 6 + 13 + 1)
        return std::nullopt;
    std::int32_t value = 0;
    for (char c : line.substr(0, 5)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (line.substr(5, 6) != " file:" || line[24] != '|')
        return std::nullopt;
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n")
        line.remove_suffix(2);
    LogEntry entry;
    entry.number = value;
    entry.shortName = std::string(trimRight(line.substr(11, 13)));
    const std::string_view rest = line.substr(25);
    entry.path =
        std::string(trimRight(rest.substr(0, std::min<std::size_t>(kLogPathWidth, rest.size()))));
    if (rest.size() > static_cast<std::size_t>(kLogPathWidth))
        entry.dateAndCode = std::string(trimRight(rest.substr(kLogPathWidth)));
    return entry;
}

std::optional<LogEntry> FindLogEntry(std::string_view logBytes, std::int32_t number) {
    const std::size_t lines = logBytes.size() / kLogLineBytes;
    auto lineAt = [&](std::size_t i) { // 0-based line i
        return logBytes.substr(i * kLogLineBytes, kLogLineWidth);
    };
    if (lines >= 2) {
        if (const auto first = ParseLogEntry(lineAt(1))) {
            const long long guess = static_cast<long long>(number) - first->number + 1;
            if (guess >= 1 && static_cast<std::size_t>(guess) < lines) {
                auto entry = ParseLogEntry(lineAt(static_cast<std::size_t>(guess)));
                if (entry && entry->number == number)
                    return entry;
            }
        }
    }
    // Logs edited by hand or written by older runs: look at every line.
    for (std::size_t i = 1; i < lines; ++i) {
        auto entry = ParseLogEntry(lineAt(i));
        if (entry && entry->number == number)
            return entry;
    }
    return std::nullopt;
}

} // namespace lexmora
