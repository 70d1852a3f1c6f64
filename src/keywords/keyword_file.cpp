#include "keywords/keyword_file.h"

#include "codes/code_detect.h"
#include "core/file_io.h"
#include "core/paths.h"
#include "core/text_codec.h"

#include <algorithm>

namespace lexmora {

namespace {

// What a character Windows-1252 cannot hold becomes while converting: no text line holds a NUL,
// and a "?" would silently turn into the single wildcard.
constexpr char kUnrepresentable = '\0';

std::string decode(std::string_view bytes, bool& binary) {
    switch (DetectConversion(bytes, false)) {
    case SourceConversion::Utf16LittleEndian:
        return utf16ToCp1252(bytes.substr(2), false, kUnrepresentable);
    case SourceConversion::Utf16BigEndian:
        return utf16ToCp1252(bytes.substr(2), true, kUnrepresentable);
    case SourceConversion::Utf8:
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        return utf8ToCp1252(bytes, kUnrepresentable);
    case SourceConversion::None:
        break;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        binary = true;
        return {};
    }
    return std::string(bytes);
}

void takeLine(std::string_view line, KeywordFileText& out) {
    if (line.empty())
        return;
    KeywordLine keyword;
    if (line.front() == kCaseMarker) {
        keyword.caseSensitive = true;
        line.remove_prefix(1);
    }
    if (line.empty())
        return;
    if (line.size() >= 2 && line.front() == kRegexMarker && line.back() == kRegexMarker) {
        keyword.regex = true;
        line = line.substr(1, line.size() - 2);
    }
    if (line.size() > kMaxKeywordLength) {
        ++out.overlongLines;
        return;
    }
    if (line.find(kUnrepresentable) != std::string_view::npos) {
        ++out.unrepresentable;
        return;
    }
    keyword.text = std::string(line);
    out.keywords.push_back(std::move(keyword));
}

// "<br>" in any case: the line break of a keyword list saved from a web page.
std::size_t findBreakTag(std::string_view text, std::size_t from) {
    for (std::size_t i = text.find('<', from); i != std::string_view::npos;
         i = text.find('<', i + 1)) {
        if (i + 4 <= text.size() && (text[i + 1] | 0x20) == 'b' && (text[i + 2] | 0x20) == 'r' &&
            text[i + 3] == '>')
            return i;
    }
    return std::string_view::npos;
}

// Lines as SplitText cuts them, with "<br>" found without regard to case.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        for (const std::string_view separator : {"\r\n", "\r", "\n"}) {
            if (text.find(separator) == std::string_view::npos)
                continue;
            std::size_t pos = 0;
            while (pos < text.size()) {
                const std::size_t end = std::min(text.find(separator, pos), text.size());
                lines.push_back(text.substr(pos, end - pos));
                pos = end + separator.size();
            }
            return lines;
        }
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t found = findBreakTag(text, pos);
        const std::size_t end = found == std::string_view::npos ? text.size() : found;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 4;
    }
    return lines;
}

} // namespace

KeywordFileText ParseKeywordFile(std::string_view bytes) {
    KeywordFileText out;
    std::string text = decode(bytes, out.binary);
    if (out.binary)
        return out;
    if (!text.empty() && text.back() == '\x1A')
        text.pop_back();
    for (const std::string_view line : splitLines(text)) {
        // A file mixing line ends: what the chosen separator left inside a line still ends it.
        std::string_view rest = line;
        while (true) {
            const std::size_t end = rest.find_first_of("\r\n");
            takeLine(rest.substr(0, end), out);
            if (end == std::string_view::npos)
                break;
            rest.remove_prefix(end + 1);
        }
    }
    return out;
}

Result<KeywordFileText> ReadKeywordFile(const std::string& path) {
    if (!isRegularFile(path))
        return codes::msg::CannotOpenFileTryingNext(FileNameOf(path));
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return codes::msg::CannotOpenFileTryingNext(FileNameOf(path));
    KeywordFileText text = ParseKeywordFile(*bytes);
    if (text.binary)
        return keywords::msg::NotATextFile(path);
    return text;
}

std::string FormatKeywordFile(const std::vector<KeywordLine>& keywords) {
    std::size_t size = 0;
    for (const auto& k : keywords)
        size += k.text.size() + 3;
    std::string out;
    out.reserve(size);
    for (const auto& k : keywords) {
        if (k.text.empty())
            continue;
        if (k.caseSensitive)
            out += kCaseMarker;
        if (k.regex)
            out += kRegexMarker;
        out += k.text;
        if (k.regex)
            out += kRegexMarker;
        out += "\r\n";
    }
    // Plain Windows-1252, unless a reader would take these bytes for another encoding (they begin
    // like a byte-order mark, or are valid UTF-8): then UTF-8 with its mark, which reads back the
    // same keywords.
    if (DetectConversion(out, false) != SourceConversion::None)
        return "\xEF\xBB\xBF" + cp1252ToUtf8(out);
    return out;
}

Status WriteKeywordFile(const std::string& path, const std::vector<KeywordLine>& keywords) {
    if (!writeFileReplacing(path, FormatKeywordFile(keywords)))
        return keywords::msg::CannotSaveKeywords(path);
    return Status::success();
}

std::vector<KeywordLine> KeywordLinesOf(const std::vector<KeywordEntry>& list) {
    std::vector<KeywordLine> lines;
    lines.reserve(list.size());
    for (const auto& entry : list)
        lines.push_back({entry.text, entry.caseSensitive, entry.regex});
    return lines;
}

KeywordLoadOutcome LoadKeywordFiles(ProgramState& state, Prompter& prompter,
                                    const std::vector<std::string>& paths,
                                    const MemoryProbe& freeMemory) {
    KeywordLoadOutcome outcome;
    const std::size_t held = state.Keywords.size();
    outcome.heldBefore = held;
    if (paths.empty())
        return outcome;
    bool keep = false;
    if (held > 0 && prompter.ask(keywords::msg::KeepExistingKeywords(held)) == Answer::Yes) {
        if (prompter.ask(keywords::msg::AddToExistingKeywords(held)) != Answer::Ok)
            return outcome;
        keep = true;
    }

    std::vector<KeywordLine> fresh;
    std::uint64_t total = 0;
    for (const std::string& path : paths) {
        // The size is checked before the file is read, so a huge file is never read in vain.
        const auto size = isRegularFile(path) ? fileSize(path) : std::nullopt;
        if (!size) {
            prompter.tell(codes::msg::CannotOpenFileTryingNext(FileNameOf(path)));
            continue;
        }
        total += *size;
        if (freeMemory) {
            const auto available = freeMemory();
            if (available && *available <= total) {
                prompter.tell(keywords::msg::LowOnMemory());
                break;
            }
        }
        auto read = ReadKeywordFile(path);
        if (!read) {
            prompter.tell(read.error());
            continue;
        }
        if (read->overlongLines > 0 || read->unrepresentable > 0)
            prompter.tell(
                keywords::msg::LinesLeftOut(path, read->overlongLines, read->unrepresentable));
        fresh.insert(fresh.end(), std::make_move_iterator(read->keywords.begin()),
                     std::make_move_iterator(read->keywords.end()));
    }
    if (fresh.empty()) {
        prompter.tell(keywords::msg::NoKeywordsInFiles());
        return outcome;
    }

    if (!keep) {
        state.Keywords.clear();
        state.KeywordCase.clear();
        state.KeywordRegex.clear();
        state.ExcludeStrings.clear();
        state.ExcludeCase.clear();
    }
    // Every keyword gets an exclude row as wide as the widest, at least one (empty) entry.
    const std::size_t kept = state.Keywords.size();
    state.KeywordCase.resize(kept, false);
    state.KeywordRegex.resize(kept, false);
    state.ExcludeStrings.resize(kept);
    state.ExcludeCase.resize(kept);
    std::size_t width = 1;
    for (const auto& row : state.ExcludeStrings)
        width = std::max(width, row.size());
    for (std::size_t i = 0; i < kept; ++i) {
        state.ExcludeStrings[i].resize(width);
        state.ExcludeCase[i].resize(width, false);
    }
    const std::size_t count = kept + fresh.size();
    state.Keywords.reserve(count);
    state.KeywordCase.reserve(count);
    state.ExcludeStrings.reserve(count);
    state.ExcludeCase.reserve(count);
    for (auto& keyword : fresh) {
        state.Keywords.push_back(std::move(keyword.text));
        state.KeywordCase.push_back(keyword.caseSensitive);
        state.KeywordRegex.push_back(keyword.regex);
        state.ExcludeStrings.emplace_back(width);
        state.ExcludeCase.emplace_back(width, false);
    }
    state.ExcludeListsAvailable = true;
    outcome.changed = true;
    outcome.added = fresh.size();
    return outcome;
}

std::string LoadedKeywordsCaption(const ProgramState& state) {
    return std::to_string(state.Keywords.size()) + " search string(s) entered";
}

} // namespace lexmora
