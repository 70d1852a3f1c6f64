#include "search/context_settings.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace lexmora {

namespace {

constexpr long long kHuge = std::numeric_limits<long long>::max() / 16;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

long long limitFor(double scale) {
    const double limit = std::floor(kContextBarTop * scale);
    return limit >= static_cast<double>(kHuge) ? kHuge : static_cast<long long>(limit);
}

} // namespace

double ContextScale(ContextRole role, double scrollScale) {
    if (role == ContextRole::ContextSettings || role == ContextRole::Sort)
        return 1.0;
    return scrollScale >= 1.0 ? scrollScale : 1.0;
}

bool IsContextKey(char key) {
    return key == '\b' || isDigit(key);
}

long long ContextBoxNumber(std::string_view text) {
    long long n = 0;
    for (char c : text) {
        if (!isDigit(c))
            continue;
        // A number typed or pasted beyond any limit stays "too large" rather than wrapping.
        n = n >= kHuge / 10 ? kHuge : n * 10 + (c - '0');
    }
    return n;
}

std::string LimitContextText(std::string_view text, double scale) {
    std::string digits;
    for (char c : text)
        if (isDigit(c))
            digits.push_back(c);
    const long long limit = limitFor(scale);
    if (ContextBoxNumber(digits) > limit)
        return std::to_string(limit);
    return digits;
}

int ContextValue(std::string_view text, double scale) {
    const double value =
        std::floor(static_cast<double>(ContextBoxNumber(text)) / (scale >= 1.0 ? scale : 1.0));
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    return static_cast<int>(value);
}

bool OneSideOnly(ContextRole role) {
    return role == ContextRole::Sort || role == ContextRole::NextWordMatch;
}

bool EnterMovesBar(std::string_view text, double scale) {
    if (text.empty() || scale != 1.0)
        return false;
    const long long n = ContextBoxNumber(text);
    return n > kContextBarBottom && n < kContextBarTop;
}

} // namespace lexmora
