#include "search/kwic_line.h"

#include <charconv>

namespace lexmora {

void AppendKwicLine(std::string& out, std::int64_t hitNumber, std::string_view leftContext,
                    std::string_view matchedText, std::string_view rightContext, int leftWidth,
                    int rightWidth) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, hitNumber);
    (void)ec;
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(end - digits), kHitNumberFieldWidth);
    out.append(digits, n);
    out.append(kHitNumberFieldWidth - n, ' ');

    const std::size_t left = leftWidth > 0 ? static_cast<std::size_t>(leftWidth) : 0;
    if (leftContext.size() > left)
        leftContext.remove_prefix(leftContext.size() - left);
    out.append(left - leftContext.size(), ' ');
    out.append(leftContext);

    out.append(matchedText);

    const std::size_t right = rightWidth > 0 ? static_cast<std::size_t>(rightWidth) : 0;
    if (rightContext.size() > right)
        rightContext = rightContext.substr(0, right);
    out.append(rightContext);
    out.append(right - rightContext.size(), ' ');
}

std::string AssembleKwicLine(std::int64_t hitNumber, std::string_view leftContext,
                             std::string_view matchedText, std::string_view rightContext,
                             int leftWidth, int rightWidth) {
    std::string out;
    AppendKwicLine(out, hitNumber, leftContext, matchedText, rightContext, leftWidth, rightWidth);
    return out;
}

} // namespace lexmora
