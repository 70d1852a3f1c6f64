#include "search/hit_filters.h"

#include "codes/cp1252_case.h"
#include "core/glob.h"
#include "search/kwic_line.h"
#include "search/text_fold.h"

#include <algorithm>

namespace lexmora {

namespace {

bool missesTagBefore(std::string_view text, std::size_t start, const SearchTag& tag) {
    const char open = tag.text.front();
    const char close = tag.text.back();
    std::size_t p = start;
    while (p > 0 && text[p - 1] == ' ')
        --p;
    if (p == 0 || text[p - 1] != close)
        return true;
    const std::size_t from = p > kTagLookBack ? p - kTagLookBack : 0;
    for (std::size_t q = p - 1; q-- > from;)
        if (text[q] == open)
            return !TagMatches(tag.text, text.substr(q, p - q), tag.caseSensitive);
    return true;
}

bool missesTagAfter(std::string_view text, std::size_t end, const SearchTag& tag) {
    const char open = tag.text.front();
    const char close = tag.text.back();
    std::size_t p = end;
    while (p < text.size() && text[p] == ' ')
        ++p;
    if (p >= text.size() || text[p] != open)
        return true;
    const std::size_t to = std::min(text.size(), p + kTagLookBack);
    for (std::size_t q = p + 1; q < to; ++q)
        if (text[q] == close)
            return !TagMatches(tag.text, text.substr(p, q - p + 1), tag.caseSensitive);
    return true;
}

} // namespace

bool InImageTag(std::string_view text, std::size_t start) {
    const std::size_t from = start > kTagLookBack ? start - kTagLookBack : 0;
    for (std::size_t p = start; p-- > from;) {
        if (text[p] == '>')
            return false; // a tag closed before the hit
        if (text[p] == '<')
            return startsWithNoCase(text.substr(p), "<img ");
    }
    return false;
}

bool ExcludeStringHolds(std::string_view line, std::size_t matchColumn,
                        std::string_view matchedText, std::string_view exclude,
                        bool caseSensitive) {
    // The longest beginning of the matched text that the exclude string holds.
    for (std::size_t n = std::min(matchedText.size(), exclude.size()); n > 0; --n) {
        const std::size_t offset = findText(exclude, matchedText.substr(0, n), caseSensitive);
        if (offset == std::string_view::npos)
            continue;
        if (offset > matchColumn)
            return false;
        const std::size_t start = matchColumn - offset;
        if (start + exclude.size() > line.size())
            return false;
        return equalText(line.substr(start, exclude.size()), exclude, caseSensitive);
    }
    return false;
}

bool ExcludedByStrings(const SearchKeywords& keywords, int leftWidth, int keywordIndex,
                       std::string_view line, std::string_view matchedText) {
    const std::size_t k = static_cast<std::size_t>(keywordIndex);
    if (k >= keywords.excludes.size())
        return false;
    const auto& list = keywords.excludes[k];
    const std::size_t column =
        kHitNumberFieldWidth + static_cast<std::size_t>(std::max(0, leftWidth));
    for (std::size_t j = 0; j < list.size(); ++j)
        if (!list[j].empty() && ExcludeStringHolds(line, column, matchedText, list[j],
                                                   keywords.excludeIsCaseSensitive(k, j)))
            return true;
    return false;
}

bool TagMatches(std::string_view tag, std::string_view text, bool caseSensitive) {
    if (caseSensitive)
        return GlobMatch(tag, text, [](char a, char b) { return a == b; });
    return GlobMatch(tag, text, [](char a, char b) {
        return lowerCp1252(static_cast<unsigned char>(a)) ==
               lowerCp1252(static_cast<unsigned char>(b));
    });
}

SearchTag TagOfKeyword(const SearchKeywords& keywords, int keywordIndex) {
    const std::size_t k = static_cast<std::size_t>(keywordIndex);
    SearchTag tag;
    if (k >= keywords.excludes.size())
        return tag;
    const auto& list = keywords.excludes[k];
    for (std::size_t j = 0; j < list.size(); ++j)
        if (!list[j].empty()) {
            tag.text = list[j];
            tag.caseSensitive = keywords.excludeIsCaseSensitive(k, j);
            break;
        }
    return tag;
}

bool MissesTag(std::string_view text, std::size_t start, std::size_t end, const SearchTag& tag,
               bool tagBefore) {
    return tagBefore ? missesTagBefore(text, start, tag) : missesTagAfter(text, end, tag);
}

} // namespace lexmora
