// The filters a candidate hit passes before it is accepted: no image tag around it in HTML, no
// exclude string over it, and in a tagged search the keyword's tag beside it.
#pragma once

#include "search/search_request.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lexmora {

// How far back an image tag or a tag of a tagged search is looked for.
inline constexpr std::size_t kTagLookBack = 1024;

// True when the hit starting at `start` of `text` stands inside an "<img ...>" tag.
bool InImageTag(std::string_view text, std::size_t start);

// True when the KWIC line holds exclude string `exclude` where it overlies the matched text,
// which starts at `matchColumn` (zero-based) of the line.
bool ExcludeStringHolds(std::string_view line, std::size_t matchColumn,
                        std::string_view matchedText, std::string_view exclude, bool caseSensitive);

// True when one of the exclude strings of keyword `keywordIndex` holds over the matched text of
// the KWIC line, whose left context is `leftWidth` characters wide.
bool ExcludedByStrings(const SearchKeywords& keywords, int leftWidth, int keywordIndex,
                       std::string_view line, std::string_view matchedText);

// True when the tag ("?" one character, "*" any run) matches `text` whole.
bool TagMatches(std::string_view tag, std::string_view text, bool caseSensitive);

// The tag of a tagged search: the keyword's first exclude string that is not empty.
struct SearchTag {
    std::string text; // empty: no tag
    bool caseSensitive = false;
    unsigned char open() const {
        return text.empty() ? 0 : static_cast<unsigned char>(text.front());
    }
    unsigned char close() const {
        return text.empty() ? 0 : static_cast<unsigned char>(text.back());
    }
};
SearchTag TagOfKeyword(const SearchKeywords& keywords, int keywordIndex);

// True unless the match from `start` to `end` of `text` has a matching tag right before it
// (`tagBefore`) or right after it, blanks between allowed. `tag` is not empty.
bool MissesTag(std::string_view text, std::size_t start, std::size_t end, const SearchTag& tag,
               bool tagBefore);

} // namespace lexmora
