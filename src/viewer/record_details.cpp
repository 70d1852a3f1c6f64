#include "viewer/record_details.h"

#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "search/result_files.h"
#include "viewer/viewer_messages.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

namespace msg = viewer_messages;

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

bool containsNoCase(std::string_view text, std::string_view word) {
    return toLowerAscii(text).find(toLowerAscii(word)) != std::string::npos;
}

} // namespace

std::string CleanContext(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    bool blank = false;
    for (char ch : raw) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            continue;
        if (isBlankLike(c)) {
            if (!blank)
                out += ' ';
            blank = true;
            continue;
        }
        out += ch;
        blank = false;
    }
    return out;
}

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

Result<RecordDetails> ExpandRecord(ResultViewer& viewer, std::int64_t position,
                                   const std::optional<std::string>& logPath) {
    if (!viewer.isOwnResultFile() || position < 2 || position > viewer.IndexCount())
        return msg::NoDetailsForFile();
    const std::string record(viewer.GetRecord(position));
    if (record == kDamagedRecordText)
        return msg::DamagedFile(utf8ToCp1252(FileNameOf(viewer.path())),
                                "record " + std::to_string(viewer.recordAt(position)) +
                                    " is not where its header says.");
    const DumpRecordFields fields = SplitDumpRecord(record, viewer.RecordLength());
    const std::string log = logPath.value_or(LogFileFor(viewer.path()));
    const std::string logName = utf8ToCp1252(FileNameOf(log));
    if (!fields.logEntryNumber)
        return msg::LogEntryMissing(logName, 0);
    if (!fileIsPresent(log))
        return msg::LogNotFound(logName);
    const auto logBytes = readFileBytes(log);
    if (!logBytes)
        return msg::LogNotFound(logName);
    const auto entry = FindLogEntry(*logBytes, *fields.logEntryNumber);
    if (!entry)
        return msg::LogEntryMissing(logName, *fields.logEntryNumber);
    // A log of another run may carry the same number for another file.
    if (!equalsNoCase(entry->shortName, fields.shortName))
        return msg::LogEntryMismatch(logName, *fields.logEntryNumber);

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
    if (details.sourcePath.empty()) {
        details.notice = "The source file cannot be found - the record's own text is shown.";
        details.text = ownText;
        return details;
    }
    auto source = readFileBytes(details.sourcePath);
    if (!source) {
        details.notice = "The source file cannot be read - the record's own text is shown.";
        details.text = ownText;
        return details;
    }
    // Results of a DOS-coded search hold Windows characters: convert the source the same way.
    if (containsNoCase(entry->dateAndCode, "ascii"))
        *source = cp437ToCp1252(*source);

    // The last 40 characters of the left context and the first 40 from the keyword on are
    // looked for in the source.
    const std::size_t leftEnd = std::min(column, text.size());
    const std::string_view left = leftEnd > 5 ? text.substr(5, leftEnd - 5) : std::string_view();
    const std::string_view leftTail = left.size() > 40 ? left.substr(left.size() - 40) : left;
    const std::string_view right = details.recordText.size() > 40
                                       ? std::string_view(details.recordText).substr(0, 40)
                                       : std::string_view(details.recordText);
    std::string fragment(leftTail);
    fragment += right;
    const auto found = FindCleanedText(*source, fragment, leftTail.size());
    if (!found) {
        details.notice = "The source file has changed since the search - the record's own "
                         "text is shown.";
        details.text = ownText;
        return details;
    }
    details.positionInFile = static_cast<std::uint64_t>(found->mark) + 1;
    const std::size_t from =
        found->mark > kDetailsContextBytes ? found->mark - kDetailsContextBytes : 0;
    const std::size_t to = std::min(source->size(), found->end + kDetailsContextBytes);
    details.text = CleanContext(std::string_view(*source).substr(from, to - from));
    return details;
}

std::string DetailsText(const RecordDetails& details) {
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
    out += details.text;
    out += "\r\n";
    return out;
}

std::string DetailsClipboardText(const RecordDetails& details, bool withDetails) {
    if (!withDetails)
        return details.text;
    return "findstring = " + details.keyword + "   sourcefile = " + details.sourceFile +
           "  path = " + details.path + "\r\n\r\n" + details.recordText;
}

Result<std::string> SaveDetails(const RecordDetails& details, const ResultViewer& viewer,
                                bool withDetails, const std::string& folder,
                                const std::string& invalidFileNameChars, Prompter& prompter) {
    const std::string base = StripExtension(utf8ToCp1252(FileNameOf(viewer.path())));
    const std::string name = MakeUniqueFileName(folder, base, ".sav", invalidFileNameChars);
    std::string content = "         sourcefile   =  " + details.sourceFile + "\r\n";
    content += withDetails ? DetailsText(details) : details.text + "\r\n";
    if (name.empty() || !isDirectory(folder)) {
        prompter.tell(msg::DetailsCannotContinue());
        return msg::DetailsCannotContinue();
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
