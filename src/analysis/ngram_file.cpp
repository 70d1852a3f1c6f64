#include "analysis/ngram_file.h"

#include "analysis/messages.h"
#include "analysis/ngram_counter.h"
#include "core/file_io.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <vector>

namespace lexmora {

namespace {

constexpr const char* kSettingNames[] = {"size",     "min-freq", "min-range", "stop-at-sentence",
                                         "language", "tokens",   "files",     "sort"};
constexpr std::size_t kSettings = std::size(kSettingNames);

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char c : bytes)
        h = (h ^ c) * 0x100000001B3ull;
    return h;
}

std::string hex(std::uint64_t value) {
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

std::optional<std::int64_t> number(std::string_view text) {
    std::int64_t value = 0;
    if (text.empty() || text.size() > 18 || text[0] == '-')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return out;
        start = tab + 1;
    }
}

// Reads the file line by line, remembering where the last line began (the checksum covers
// every byte before the end line).
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}
    // The next line without its LF; nothing at the end, or for a last line without its LF.
    std::optional<std::string_view> next() {
        m_lineStart = m_at;
        const std::size_t lf = m_bytes.find('\n', m_at);
        if (lf == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = m_bytes.substr(m_at, lf - m_at);
        m_at = lf + 1;
        return line;
    }
    std::size_t lineStart() const { return m_lineStart; }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
    std::size_t m_lineStart = 0;
};

class NgramFileParser {
public:
    NgramFileParser(std::string_view bytes, const std::string& name)
        : m_bytes(bytes), m_name(name), m_lines(bytes) {}

    Result<NgramResult> parse(SequenceSort* sort);

private:
    Failure damaged(const std::string& reason) const {
        return Failure(analysis::msg::NgramFileDamaged(m_name, reason), FailureCode::DamagedFile);
    }
    std::optional<Failure> readSettings(NgramResult& result, SequenceSort& sort);
    std::optional<Failure> applySetting(std::size_t index, std::string_view value,
                                        NgramResult& result, SequenceSort& sort);
    std::optional<Failure> readRow(std::string_view line, std::int64_t row, NgramResult& result);
    std::optional<Failure> checkEnd(std::string_view line, std::int64_t rows);

    std::string_view m_bytes;
    const std::string& m_name;
    LineReader m_lines;
};

std::optional<Failure> NgramFileParser::applySetting(std::size_t index, std::string_view value,
                                                     NgramResult& result, SequenceSort& sort) {
    const std::optional<std::int64_t> n = number(value);
    switch (index) {
    case 0: {
        const auto size = ParseNgramSize(value);
        if (!size)
            return damaged("size " + std::string(value));
        result.minSize = size->first;
        result.maxSize = size->second;
        return std::nullopt;
    }
    case 1:
    case 2:
        if (!n || *n < 1)
            return damaged(std::string(kSettingNames[index]) + " " + std::string(value));
        (index == 1 ? result.minFreq : result.minRange) = *n;
        return std::nullopt;
    case 3:
        if (value != "yes" && value != "no")
            return damaged("stop-at-sentence " + std::string(value));
        result.stopAtSentence = value == "yes";
        return std::nullopt;
    case 4: {
        const auto language = LanguageFromName(std::string(value));
        if (!language)
            return damaged("language " + std::string(value));
        result.languageIndex = static_cast<int>(*language);
        return std::nullopt;
    }
    case 5:
    case 6:
        if (!n)
            return damaged(std::string(kSettingNames[index]) + " " + std::string(value));
        (index == 5 ? result.tokens : result.files) = *n;
        return std::nullopt;
    default: {
        const auto named = SequenceSortNamed(value);
        if (!named)
            return damaged("sort " + std::string(value));
        sort = *named;
        return std::nullopt;
    }
    }
}

std::optional<Failure> NgramFileParser::readSettings(NgramResult& result, SequenceSort& sort) {
    for (std::size_t i = 0; i < kSettings; ++i) {
        const auto line = m_lines.next();
        if (!line)
            return damaged("cut short in the settings");
        const auto f = fields(*line);
        if (f.size() != 2 || f[0] != kSettingNames[i])
            return damaged("setting line " + std::to_string(i + 2));
        if (auto failure = applySetting(i, f[1], result, sort))
            return failure;
    }
    const auto columns = m_lines.next();
    if (!columns || *columns != "ngram\tfreq\trange")
        return damaged("column line");
    return std::nullopt;
}

std::optional<Failure> NgramFileParser::readRow(std::string_view line, std::int64_t row,
                                                NgramResult& result) {
    const auto f = fields(line);
    const std::string where = "row " + std::to_string(row);
    if (f.size() != 3 || f[0].empty() || f[0].front() == ' ' || f[0].back() == ' ')
        return damaged(where);
    const auto freq = number(f[1]);
    const auto range = number(f[2]);
    if (!freq || !range || *range < 1 || *range > *freq || *range > result.files)
        return damaged(where);
    std::int64_t words = 1;
    for (char c : f[0])
        words += c == ' ' ? 1 : 0;
    if (words < result.minSize || words > result.maxSize)
        return damaged(where);
    result.list.add(f[0], *freq, *range);
    return std::nullopt;
}

std::optional<Failure> NgramFileParser::checkEnd(std::string_view line, std::int64_t rows) {
    const auto f = fields(line);
    if (f.size() != 3 || number(f[1]) != rows)
        return damaged("row count");
    if (f[2] != hex(fnv1a(m_bytes.substr(0, m_lines.lineStart()))))
        return damaged("checksum");
    if (!m_lines.atEnd())
        return damaged("bytes after the end line");
    return std::nullopt;
}

Result<NgramResult> NgramFileParser::parse(SequenceSort* sortOut) {
    const auto first = m_lines.next();
    const std::string magic = std::string(kNgramFileMagic) + "\t";
    if (!first || first->substr(0, magic.size()) != magic)
        return Failure(analysis::msg::NotAnNgramFile(m_name), FailureCode::NotAResultFile);
    const auto version = number(first->substr(magic.size()));
    if (!version || *version < 1)
        return damaged("version");
    if (*version > kNgramFileVersion)
        return Failure(analysis::msg::NgramFileTooNew(m_name, static_cast<int>(*version)),
                       FailureCode::NotAResultFile);
    NgramResult result;
    SequenceSort sort = SequenceSort::Freq;
    if (auto failure = readSettings(result, sort))
        return *failure;
    for (std::int64_t row = 1;; ++row) {
        const auto line = m_lines.next();
        if (!line)
            return damaged("cut short after " + std::to_string(row - 1) + " rows");
        if (line->substr(0, 4) == "end\t") {
            if (auto failure = checkEnd(*line, row - 1))
                return *failure;
            if (sortOut)
                *sortOut = sort;
            return result;
        }
        if (auto failure = readRow(*line, row, result))
            return *failure;
    }
}

} // namespace

namespace {

constexpr std::uint64_t kFnvStart = 0xCBF29CE484222325ull;

std::uint64_t fnv1aOn(std::uint64_t h, std::string_view bytes) {
    for (unsigned char c : bytes)
        h = (h ^ c) * 0x100000001B3ull;
    return h;
}

// The magic, the settings and the column line.
std::string headerText(const NgramResult& result, SequenceSort sort) {
    std::string out =
        std::string(kNgramFileMagic) + "\t" + std::to_string(kNgramFileVersion) + "\n";
    const std::string values[] = {NgramSizeText(result.minSize, result.maxSize),
                                  std::to_string(result.minFreq),
                                  std::to_string(result.minRange),
                                  result.stopAtSentence ? "yes" : "no",
                                  LanguageName(static_cast<LanguageId>(result.languageIndex)),
                                  std::to_string(result.tokens),
                                  std::to_string(result.files),
                                  SequenceSortName(sort)};
    for (std::size_t i = 0; i < kSettings; ++i)
        out += std::string(kSettingNames[i]) + "\t" + values[i] + "\n";
    out += "ngram\tfreq\trange\n";
    return out;
}

void appendRow(std::string& out, std::string_view text, std::int64_t freq, std::int64_t range) {
    out.append(text);
    out += '\t';
    out += std::to_string(freq);
    out += '\t';
    out += std::to_string(range);
    out += '\n';
}

std::string endLine(std::int64_t rows, std::uint64_t sum) {
    return "end\t" + std::to_string(rows) + "\t" + hex(sum) + "\n";
}

Status placed(StagedFile& file, const std::string& path, Placement placement) {
    switch (file.commit(placement)) {
    case PlaceOutcome::Placed:
        return Status::success();
    case PlaceOutcome::NameTaken:
        return Failure(analysis::msg::NgramFileExists(path), FailureCode::CannotWrite, EEXIST);
    default:
        return Failure(analysis::msg::CannotSaveNgrams(path, std::strerror(file.systemError())),
                       file.systemError() == ENOSPC ? FailureCode::DiskFull
                                                    : FailureCode::CannotWrite,
                       file.systemError());
    }
}

} // namespace

std::string NgramFileText(const NgramResult& result, SequenceSort sort) {
    std::string out = headerText(result, sort);
    for (const SequenceItem& item : result.list.items)
        appendRow(out, result.list.textOf(item), item.freq, item.range);
    const std::uint64_t sum = fnv1a(out);
    out += endLine(static_cast<std::int64_t>(result.list.items.size()), sum);
    return out;
}

Status SaveNgramFile(const NgramResult& result, SequenceSort sort, const std::string& path,
                     Placement placement) {
    StagedFile file(path);
    if (!file.valid())
        return Failure(analysis::msg::CannotSaveNgrams(path, std::strerror(file.systemError())),
                       FailureCode::CannotWrite, file.systemError());
    file.append(NgramFileText(result, sort));
    return placed(file, path, placement);
}

NgramFileWriter::NgramFileWriter(const NgramResult& settings, SequenceSort sort,
                                 const std::string& path)
    : m_path(path), m_file(path), m_sum(kFnvStart) {
    put(headerText(settings, sort));
}

bool NgramFileWriter::put(std::string_view bytes) {
    m_sum = fnv1aOn(m_sum, bytes);
    m_ok = m_file.valid() && m_file.append(bytes) && m_ok;
    return m_ok;
}

bool NgramFileWriter::add(std::string_view text, std::int64_t freq, std::int64_t range) {
    m_line.clear();
    appendRow(m_line, text, freq, range);
    ++m_rows;
    return put(m_line);
}

Status NgramFileWriter::finish(Placement placement) {
    if (!m_ok)
        return Failure(analysis::msg::CannotSaveNgrams(m_path, std::strerror(m_file.systemError())),
                       FailureCode::CannotWrite, m_file.systemError());
    m_file.append(endLine(m_rows, m_sum));
    return placed(m_file, m_path, placement);
}

Result<NgramResult> ParseNgramFile(std::string_view bytes, const std::string& name,
                                   SequenceSort* sort) {
    if (bytes.empty())
        return Failure(analysis::msg::NotAnNgramFile(name), FailureCode::EmptyFile);
    NgramFileParser parser(bytes, name);
    return parser.parse(sort);
}

Result<NgramResult> LoadNgramFile(const std::string& path, SequenceSort* sort) {
    if (isDirectory(path))
        return Failure(analysis::msg::NotAnNgramFile(path), FailureCode::NotAResultFile);
    errno = 0;
    const std::optional<std::string> bytes = readFileBytes(path);
    if (!bytes) {
        const int error = errno != 0 ? errno : EIO;
        return Failure(analysis::msg::CannotReadNgramFile(path, std::strerror(error)),
                       FailureCode::CannotOpen, error);
    }
    return ParseNgramFile(*bytes, path, sort);
}

} // namespace lexmora
