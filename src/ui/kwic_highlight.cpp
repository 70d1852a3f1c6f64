#include "ui/kwic_highlight.h"

#include "viewer/keyword_span.h"

namespace lexmora::ui {

KeywordSpan KeywordSpanOf(std::string_view shown, int keywordColumn, int offset, int words) {
    const long long start = static_cast<long long>(keywordColumn) - 1 -
                            (offset > 0 ? static_cast<long long>(offset) - 1 : offset);
    if (keywordColumn <= 0 || start < 0 || start >= static_cast<long long>(shown.size()))
        return {};
    const auto from = static_cast<std::size_t>(start);
    if (shown[from] == ' ')
        return {};
    return {from, KeywordLength(shown.substr(from), words)};
}

} // namespace lexmora::ui
