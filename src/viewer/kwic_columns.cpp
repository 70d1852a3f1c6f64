#include "viewer/kwic_columns.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "viewer/sort_keys.h"

#include <algorithm>

namespace lexmora {

namespace {

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The end of the word at the start of `text`, and of the word joined to it after an elision
// ("l'homme" as one word): a sort keys on the joined word, so it is coloured with its article.
std::size_t sortWordEnd(std::string_view text) {
    const auto wordEnd = [text](std::size_t from) {
        while (from < text.size() && !IsSortDelimiter(static_cast<unsigned char>(text[from])))
            ++from;
        return from;
    };
    const std::size_t end = wordEnd(0);
    if (end == 0 || end >= text.size() || text[end] != '\'')
        return end;
    std::size_t next = end + 1;
    while (next < text.size() && text[next] == ' ')
        ++next;
    const std::size_t joined = wordEnd(next);
    return joined > next ? joined : end;
}

} // namespace

std::size_t KeywordWordsForCut(std::string_view keyword) {
    keyword = trimBlanks(keyword);
    if (keyword.empty())
        return 1;
    std::size_t words = 1;
    for (std::size_t i = 1; i < keyword.size(); ++i)
        if (keyword[i] == ' ' && keyword[i - 1] != ' ')
            ++words;
    return words;
}

KwicCut CutKwicLine(std::string_view text, std::size_t leftWidth, std::size_t keywordWords) {
    const std::size_t column = kHitNumberWidth + leftWidth;
    const std::string_view left =
        text.size() > kHitNumberWidth ? text.substr(kHitNumberWidth, leftWidth) : "";
    std::string_view rest = column < text.size() ? text.substr(column) : "";
    rest = rest.substr(std::min(rest.size(), rest.find_first_not_of(' ')));
    std::size_t end = 0;
    for (std::size_t word = 0; word < keywordWords && end < rest.size(); ++word) {
        if (word > 0)
            end = rest.find_first_not_of(' ', end);
        if (end == std::string_view::npos) {
            end = rest.size();
            break;
        }
        end = std::min(rest.find(' ', end), rest.size());
    }
    return {trimBlanks(left), rest.substr(0, end), trimBlanks(rest.substr(end))};
}

SourceNames::SourceNames(const ResultViewer& viewer) {
    if (const std::string log = LogFileFor(viewer.path()); fileIsPresent(log))
        m_log = readFileBytes(log).value_or(std::string());
}

const SourceNames::Source& SourceNames::entryOf(const DumpRecordFields& fields) {
    if (!fields.logEntryNumber || m_log.empty()) {
        m_own.name.assign(fields.shortName);
        m_own.folder.clear();
        return m_own;
    }
    const std::int32_t number = *fields.logEntryNumber;
    auto known = m_sources.find(number);
    if (known == m_sources.end()) {
        const auto entry = FindLogEntry(m_log, number);
        Source source;
        // A log of another run may hold another file under the number: the record's own short
        // name is then the truth.
        if (entry && !entry->path.empty() && equalsNoCase(entry->shortName, fields.shortName)) {
            source.name = FileNameOf(entry->path);
            source.folder = FolderOf(entry->path);
        } else {
            source.name = std::string(fields.shortName);
        }
        known = m_sources.emplace(number, std::move(source)).first;
    }
    return known->second;
}

std::vector<SortWordSpan> SortWordSpans(const ResultViewer& viewer, std::string_view record) {
    std::vector<SortWordSpan> spans;
    if (!viewer.sorted() || record == kDamagedRecordText)
        return spans;
    const std::string_view text = viewer.kwicText(record);
    const int rightLimit = viewer.LeftContextWidth() + 4 + std::max(viewer.sortRightContext(), 0);
    int level = 0;
    for (const SortLevel& sortLevel : viewer.sortLevels()) {
        const auto start = FindKeyStart(record, viewer.KeywordColumn(), viewer.textWidth(),
                                        sortLevel.leftPos, sortLevel.rightPos, rightLimit);
        if (start && *start < text.size()) {
            const std::size_t length = sortWordEnd(text.substr(*start));
            if (length > 0)
                spans.push_back({*start, length, level});
        }
        ++level;
    }
    return spans;
}

} // namespace lexmora
