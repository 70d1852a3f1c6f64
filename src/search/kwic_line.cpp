#include "search/kwic_line.h"

#include <algorithm>
#include <charconv>

namespace lexmora {

namespace {

// The line written over `out` from `at` on, every byte of it: what was there before does not
// matter, so that a line kept from hit to hit is neither blanked nor grown again.
void writeLineAt(std::string& out, std::size_t at, std::int64_t hitNumber,
                 std::string_view leftContext, std::string_view matchedText,
                 std::string_view rightContext, int leftWidth, int rightWidth) {
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

    out.resize(at + kHitNumberFieldWidth + left + matchedText.size() + right);
    char* o = out.data() + at;
    o = std::copy_n(digits, n, o);
    o = std::fill_n(o, kHitNumberFieldWidth - n + left - leftContext.size(), ' ');
    o = std::copy_n(leftContext.data(), leftContext.size(), o);
    o = std::copy_n(matchedText.data(), matchedText.size(), o);
    o = std::copy_n(rightContext.data(), rightContext.size(), o);
    std::fill_n(o, right - rightContext.size(), ' ');
}

} // namespace

void AppendKwicLine(std::string& out, std::int64_t hitNumber, std::string_view leftContext,
                    std::string_view matchedText, std::string_view rightContext, int leftWidth,
                    int rightWidth) {
    writeLineAt(out, out.size(), hitNumber, leftContext, matchedText, rightContext, leftWidth,
                rightWidth);
}

void WriteKwicLine(std::string& line, std::int64_t hitNumber, std::string_view leftContext,
                   std::string_view matchedText, std::string_view rightContext, int leftWidth,
                   int rightWidth) {
    writeLineAt(line, 0, hitNumber, leftContext, matchedText, rightContext, leftWidth, rightWidth);
}

std::string AssembleKwicLine(std::int64_t hitNumber, std::string_view leftContext,
                             std::string_view matchedText, std::string_view rightContext,
                             int leftWidth, int rightWidth) {
    std::string out;
    AppendKwicLine(out, hitNumber, leftContext, matchedText, rightContext, leftWidth, rightWidth);
    return out;
}

} // namespace lexmora
