#include "search/kwic_line.h"

#include <algorithm>
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
    const std::size_t left = leftWidth > 0 ? static_cast<std::size_t>(leftWidth) : 0;
    if (leftContext.size() > left)
        leftContext.remove_prefix(leftContext.size() - left);
    const std::size_t right = rightWidth > 0 ? static_cast<std::size_t>(rightWidth) : 0;
    if (rightContext.size() > right)
        rightContext = rightContext.substr(0, right);

    // The whole line blank first (once per hit, on the scanner's path), the fields over it.
    const std::size_t at = out.size();
    out.append(kHitNumberFieldWidth + left + matchedText.size() + right, ' ');
    char* o = out.data() + at;
    std::copy_n(digits, n, o);
    o += kHitNumberFieldWidth + left - leftContext.size();
    std::copy_n(leftContext.data(), leftContext.size(), o);
    o += leftContext.size();
    std::copy_n(matchedText.data(), matchedText.size(), o);
    o += matchedText.size();
    std::copy_n(rightContext.data(), rightContext.size(), o);
}

std::string AssembleKwicLine(std::int64_t hitNumber, std::string_view leftContext,
                             std::string_view matchedText, std::string_view rightContext,
                             int leftWidth, int rightWidth) {
    std::string out;
    AppendKwicLine(out, hitNumber, leftContext, matchedText, rightContext, leftWidth, rightWidth);
    return out;
}

} // namespace lexmora
