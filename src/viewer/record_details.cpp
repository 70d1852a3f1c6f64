#include "viewer/record_details.h"

#include "viewer/keyword_span.h"

#include "codes/code_detect.h"
#include "codes/code_tables.h"
#include "codes/dos_code_page.h"
#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "search/context_text.h"
#include "search/result_files.h"
#include "search/source_text.h"
#include "viewer/messages.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

namespace msg = viewer::msg;

bool isBlankLike(unsigned char c) {
    return c <= ' ';
}

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    return text;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The path as it is on disk: names were written into the log as Windows-1252.
std::string diskPathOf(const std::string& logPath) {
    const std::string utf8 = cp1252ToUtf8(logPath);
    if (fileIsPresent(utf8))
        return utf8;
    if (fileIsPresent(logPath))
        return logPath;
    return {};
}

} // namespace

std::optional<FoundText> FindCleanedText(std::string_view source, std::string_view fragment,
                                         std::size_t mark) {
    fragment = trimRight(fragment);
    const std::size_t lead = fragment.size() - trimLeft(fragment).size();
    fragment = trimLeft(fragment);
    mark = mark >= lead ? mark - lead : 0;
    if (fragment.empty())
        return std::nullopt;
    const std::size_t firstBlank = fragment.find(' ');
    const std::string_view word = fragment.substr(0, firstBlank);
    for (std::size_t at = source.find(word); at != std::string_view::npos;
         at = source.find(word, at + 1)) {
        FoundText found;
        found.start = at;
        std::size_t j = at;
        std::size_t k = 0;
        bool ok = true;
        while (k < fragment.size()) {
            if (k == mark)
                found.mark = j;
            if (fragment[k] == ' ') {
                if (j >= source.size() || !isBlankLike(static_cast<unsigned char>(source[j])) ||
                    source[j] == '\0') {
                    ok = false;
                    break;
                }
                while (j < source.size() && isBlankLike(static_cast<unsigned char>(source[j])))
                    ++j;
                ++k;
                continue;
            }
            while (j < source.size() && source[j] == '\0')
                ++j;
            if (j >= source.size() || source[j] != fragment[k]) {
                ok = false;
                break;
            }
            ++j;
            ++k;
        }
        if (ok) {
            if (mark >= fragment.size())
                found.mark = j;
            found.end = j;
            return found;
        }
    }
    return std::nullopt;
}

int CodeOfLogEntry(const ProgramState& state, std::string_view dateAndCode) {
    const std::string_view name =
        trimRight(trimLeft(dateAndCode.size() > 10 ? dateAndCode.substr(10) : std::string_view()));
    if (name.empty() || equalsNoCase(name, kUtf8CodeName))
        return kCodeAnsi;
    // The log line ends 5 characters into the code name field: a longer name is known by its
    // beginning.
    int byBeginning = -1;
    for (std::size_t k = kCodeAnsi; k < state.CodeRows.size(); ++k) {
        const std::string_view rowName =
            trimRight(std::string_view(state.CodeRows[k].CodeName).substr(0, 9));
        if (rowName.empty())
            continue;
        if (equalsNoCase(rowName, name))
            return static_cast<int>(k);
        if (byBeginning < 0 && name.size() < rowName.size() &&
            equalsNoCase(rowName.substr(0, name.size()), name))
            byBeginning = static_cast<int>(k);
    }
    return byBeginning >= 0 ? byBeginning : kCodeAnsi;
}

std::optional<FoundText> FindContextInSource(std::string_view source, std::string_view fragment,
                                             std::size_t mark, const ContextCleaner& clean,
                                             std::size_t chunkBytes) {
    fragment = trimRight(fragment);
    const std::size_t lead = fragment.size() - trimLeft(fragment).size();
    fragment = trimLeft(fragment);
    mark = mark >= lead ? std::min(mark - lead, fragment.size()) : 0;
    if (fragment.empty())
        return std::nullopt;
    const std::string_view leftPart = trimRight(fragment.substr(0, mark));
    const std::string_view rightPart = fragment.substr(mark);
    auto cleaned = [&](std::size_t a, std::size_t b) { return clean(source.substr(a, b - a)); };
    auto holds = [&](std::size_t a, std::size_t b) {
        return cleaned(a, b).find(fragment) != std::string::npos;
    };
    auto beginsWith = [](std::string_view text, std::string_view start) {
        return text.substr(0, start.size()) == start;
    };
    // Cleaning whole chunks finds the chunk; halving it finds the few hundred bytes that hold
    // the fragment; there its exact ends are found byte by byte. Only the search's own cleaning
    // decides, so codes and blank runs are taken as the search took them.
    const std::size_t chunk = std::max<std::size_t>(chunkBytes, 4096);
    const std::size_t overlap = chunk / 16;
    constexpr std::size_t kHalfOverlap = 256;
    for (std::size_t c = 0; c < source.size(); c += chunk) {
        std::size_t a = c > overlap ? c - overlap : 0;
        std::size_t b = std::min(source.size(), c + chunk + overlap);
        if (!holds(a, b))
            continue;
        while (b - a > 4 * kHalfOverlap) {
            const std::size_t mid = a + (b - a) / 2;
            const std::size_t leftEnd = std::min(b, mid + kHalfOverlap);
            const std::size_t rightStart = mid - kHalfOverlap;
            if (holds(a, leftEnd))
                b = leftEnd;
            else if (holds(rightStart, b))
                a = rightStart;
            else
                break;
        }
        for (std::size_t s = a; s < b; ++s) {
            if (static_cast<unsigned char>(source[s]) <= ' ')
                continue; // a fragment begins with a character, not a blank
            // A code for one letter is short: its first cleaned character tells most places.
            if (const std::string first = cleaned(s, std::min(b, s + 32));
                first.empty() || first.front() != fragment.front())
                continue;
            // Then the beginning, short of what a code cut at the piece's end may have spoilt.
            if (const std::string start = cleaned(s, std::min(b, s + 160)); start.size() > 24) {
                const std::size_t n = std::min(start.size() - 24, fragment.size());
                if (std::string_view(start).substr(0, n) != fragment.substr(0, n))
                    continue;
            }
            if (!beginsWith(cleaned(s, b), fragment))
                continue;
            FoundText found;
            found.start = s;
            found.end = b;
            for (std::size_t e = s + 1; e <= b; ++e)
                if (beginsWith(cleaned(s, e), fragment)) {
                    found.end = e;
                    break;
                }
            found.mark = found.end;
            if (!rightPart.empty())
                for (std::size_t m = s; m < found.end; ++m)
                    if (static_cast<unsigned char>(source[m]) > ' ' &&
                        beginsWith(cleaned(m, found.end), rightPart) &&
                        trimRight(cleaned(s, m)) == leftPart) {
                        found.mark = m;
                        break;
                    }
            return found;
        }
    }
    return std::nullopt;
}

namespace {

// The last 40 characters of the left context and the first 40 from the keyword on.
std::pair<std::string_view, std::string_view>
fragmentEnds(std::string_view text, std::size_t column, std::string_view recordText) {
    const std::size_t leftEnd = std::min(column, text.size());
    const std::string_view left = leftEnd > 5 ? text.substr(5, leftEnd - 5) : std::string_view();
    return {left.size() > 40 ? left.substr(left.size() - 40) : left,
            recordText.size() > 40 ? recordText.substr(0, 40) : recordText};
}

} // namespace

RecordFragment FirstRecordFragment(std::string_view text, std::size_t column,
                                   std::string_view recordText) {
    const auto [leftTail, right] = fragmentEnds(text, column, recordText);
    return {std::string(leftTail) + std::string(right), leftTail.size()};
}

std::vector<RecordFragment> RecordFragments(std::string_view text, std::size_t column,
                                            std::string_view recordText) {
    const auto [leftTail, right] = fragmentEnds(text, column, recordText);
    const std::size_t firstBlank = leftTail.find(' ');
    const std::string_view leftCut = firstBlank == std::string_view::npos || firstBlank == 0
                                         ? leftTail
                                         : leftTail.substr(firstBlank + 1);
    const std::size_t lastBlank = right.rfind(' ');
    const std::string_view rightCut =
        lastBlank == std::string_view::npos || lastBlank == 0 ? right : right.substr(0, lastBlank);
    std::vector<RecordFragment> fragments;
    for (const auto& [l, r] : {std::pair{leftTail, right}, std::pair{leftCut, right},
                               std::pair{leftTail, rightCut}, std::pair{leftCut, rightCut}}) {
        RecordFragment f{std::string(l) + std::string(r), l.size()};
        const auto same = [&](const RecordFragment& g) {
            return g.text == f.text && g.mark == f.mark;
        };
        if (std::none_of(fragments.begin(), fragments.end(), same))
            fragments.push_back(f);
        // Results saved "as ASCII" hold the DOS code page; the search cleaned Windows text.
        FromDosCodePage(f.text);
        if (std::none_of(fragments.begin(), fragments.end(), same))
            fragments.push_back(std::move(f));
    }
    return fragments;
}

namespace {

// The log entry of the record at a display position, checked against the record.
Result<LogEntry> logEntryOf(const ResultViewer& viewer, std::int64_t position,
                            const std::string& record, const std::optional<std::string>& logPath) {
    if (record == kDamagedRecordText)
        return Failure(msg::DamagedFile(utf8ToCp1252(FileNameOf(viewer.path())),
                                        "record " + std::to_string(viewer.recordAt(position)) +
                                            " is not where its header says."),
                       FailureCode::DamagedFile);
    const DumpRecordFields fields = SplitDumpRecord(record, viewer.RecordLength());
    const std::string log = logPath.value_or(LogFileFor(viewer.path()));
    const std::string logName = utf8ToCp1252(FileNameOf(log));
    if (!fields.logEntryNumber)
        return msg::LogEntryMissing(logName, 0);
    const auto logBytes = fileIsPresent(log) ? readFileBytes(log) : std::nullopt;
    if (!logBytes)
        return Failure(msg::LogNotFound(logName), FailureCode::LogNotFound);
    auto entry = FindLogEntry(*logBytes, *fields.logEntryNumber);
    if (!entry)
        return msg::LogEntryMissing(logName, *fields.logEntryNumber);
    // A log of another run may carry the same number for another file.
    if (!equalsNoCase(entry->shortName, fields.shortName))
        return msg::LogEntryMismatch(logName, *fields.logEntryNumber);
    return std::move(*entry);
}

// The conversions to try on the source, as the search read it: converted from UTF-8 or UTF-16
// when the search converted it (tried after the bytes as they are).
std::vector<SourceConversion> conversionsToTry(const std::string& bytes, const LogEntry& entry) {
    const std::string_view head = std::string_view(bytes).substr(0, kBlockSize);
    const SourceConversion conversion = DetectConversion(head, bytes.size() > head.size());
    const std::string_view codeName =
        trimLeft(std::string_view(entry.dateAndCode)
                     .substr(std::min<std::size_t>(10, entry.dateAndCode.size())));
    if (conversion == SourceConversion::Utf16LittleEndian ||
        conversion == SourceConversion::Utf16BigEndian || equalsNoCase(codeName, kUtf8CodeName))
        return {conversion};
    if (conversion != SourceConversion::None)
        return {SourceConversion::None, conversion};
    return {SourceConversion::None};
}

// Places the hit in the shown text: the record's word at the keyword, looked for a little
// before and after `near`, where the cleaning of the text before the hit puts it.
void placeHit(RecordDetails& details, std::size_t near) {
    const std::string_view record(details.recordText);
    const std::string_view word = record.substr(0, record.find(' '));
    if (word.empty())
        return;
    constexpr std::size_t kSlack = 16;
    const std::size_t at = details.text.find(word, near > kSlack ? near - kSlack : 0);
    if (at == std::string::npos || at > near + kSlack)
        return;
    details.hitAt = at;
    // All of a keyword of several words, without the punctuation that follows it.
    details.hitLength =
        KeywordLength(std::string_view(details.text).substr(at), KeywordWordCount(details.keyword));
}

// The wider context around the hit in the source, read in the code its log entry names; false
// when no fragment of the record is found (the source changed since the search).
bool readWiderContext(RecordDetails& details, const std::string& bytes, const LogEntry& entry,
                      const std::vector<RecordFragment>& fragments, const ProgramState& codes) {
    const int codeIndex = CodeOfLogEntry(codes, entry.dateAndCode);
    const ContextCleaner clean = [&codes, codeIndex](std::string_view piece) {
        return ExtractContext(codes, codeIndex, piece, 0, 0);
    };
    for (const SourceConversion tried : conversionsToTry(bytes, entry)) {
        const std::string converted =
            tried == SourceConversion::None ? std::string() : ConvertSourceText(bytes, tried);
        const std::string_view source =
            tried == SourceConversion::None ? std::string_view(bytes) : converted;
        for (const RecordFragment& candidate : fragments) {
            // ANSI text is cleaned of blanks and controls only: found directly in the raw text.
            const auto found =
                codeIndex == kCodeAnsi
                    ? FindCleanedText(source, candidate.text, candidate.mark)
                    : FindContextInSource(source, candidate.text, candidate.mark, clean);
            if (!found)
                continue;
            details.positionInFile = static_cast<std::uint64_t>(found->mark) + 1;
            const std::size_t from =
                found->mark > kDetailsContextBytes ? found->mark - kDetailsContextBytes : 0;
            const std::size_t to = std::min(source.size(), found->end + kDetailsContextBytes);
            details.text = clean(source.substr(from, to - from));
            placeHit(details, clean(source.substr(from, found->mark - from)).size());
            return true;
        }
    }
    return false;
}

} // namespace

Result<RecordDetails> ExpandRecord(ResultViewer& viewer, std::int64_t position,
                                   const std::optional<std::string>& logPath,
                                   const ProgramState* state) {
    static const ProgramState builtIn = [] {
        ProgramState s;
        s.CodeRows = BuiltInCodeRows();
        return s;
    }();
    const ProgramState& codes = state && !state->CodeRows.empty() ? *state : builtIn;
    if (!viewer.isOwnResultFile() || position < 2 || position > viewer.IndexCount())
        return msg::NoDetailsForFile();
    const std::string record(viewer.GetRecord(position));
    const Result<LogEntry> entry = logEntryOf(viewer, position, record, logPath);
    if (!entry)
        return entry.failure();

    RecordDetails details;
    details.recordNumber = static_cast<std::int64_t>(viewer.recordAt(position)) - 1;
    details.keyword = viewer.ViewKeyword();
    details.path = FolderOf(entry->path);
    details.sourceFile = FileNameOf(entry->path);

    const std::string_view text = viewer.kwicText(record);
    const std::size_t column = static_cast<std::size_t>(viewer.KeywordColumn() - 1);
    details.recordText = column < text.size() ? std::string(text.substr(column)) : std::string();
    const std::string ownText(text.size() > 5 ? trimLeft(text.substr(5)) : std::string_view());

    details.sourcePath = diskPathOf(entry->path);
    const auto bytes =
        details.sourcePath.empty() ? std::nullopt : readFileBytes(details.sourcePath);
    if (details.sourcePath.empty())
        details.notice = "The source file cannot be found - the record's own text is shown.";
    else if (!bytes)
        details.notice = "The source file cannot be read - the record's own text is shown.";
    else if (!readWiderContext(details, *bytes, *entry,
                               RecordFragments(text, column, details.recordText), codes))
        details.notice = "The source file has changed since the search - the record's own "
                         "text is shown.";
    if (!details.notice.empty()) {
        details.text = ownText;
        const std::size_t cut = text.size() - ownText.size(); // the number, the blanks
        placeHit(details, column > cut ? column - cut : 0);
    }
    return details;
}

namespace {

// The details lines and the blank line before the text.
std::string detailsLines(const RecordDetails& details) {
    std::string out =
        "record no. = " + std::to_string(details.recordNumber) +
        "     keyword = " + details.keyword + "     position in file = " +
        (details.positionInFile ? std::to_string(*details.positionInFile) : std::string("unknown"));
    out += "\r\n";
    out += "path           =  " + details.path + "\r\n";
    out += "sourcefile  =  " + details.sourceFile + "\r\n";
    if (!details.notice.empty())
        out += details.notice + "\r\n";
    out += "\r\n";
    return out;
}

} // namespace

std::string DetailsText(const RecordDetails& details) {
    return detailsLines(details) + details.text + "\r\n";
}

TextSpan DetailsHitSpan(const RecordDetails& details) {
    if (details.hitLength == 0)
        return {};
    return {detailsLines(details).size() + details.hitAt, details.hitLength};
}

std::string DetailsClipboardText(const RecordDetails& details, bool withDetails) {
    if (!withDetails)
        return details.text;
    // The wider context the window shows, not only the record's part from the keyword on.
    return "findstring = " + details.keyword + "   sourcefile = " + details.sourceFile +
           "  path = " + details.path + "\r\n\r\n" + details.text;
}

Result<std::string> SaveDetails(const RecordDetails& details, const ResultViewer& viewer,
                                bool withDetails, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter) {
    const std::string base = StripExtension(utf8ToCp1252(FileNameOf(viewer.path())));
    const std::string name = MakeUniqueFileName(folder, base, ".sav", invalidFileNameChars);
    std::string content = "         sourcefile   =  " + details.sourceFile + "\r\n";
    content += withDetails ? DetailsText(details) : details.text + "\r\n";
    if (name.empty() || !isDirectory(folder)) {
        prompter.tell(search::msg::CannotContinue());
        return search::msg::CannotContinue();
    }
    const std::string path = JoinPath(folder, name);
    if (!writeFileReplacing(path, content)) {
        prompter.tell(msg::DetailsSaveFailed());
        return msg::DetailsSaveFailed();
    }
    prompter.tell(msg::TextSaved(utf8ToCp1252(folder), utf8ToCp1252(name)));
    return path;
}

} // namespace lexmora
