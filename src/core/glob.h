// The one wildcard rule of the program: "*" any run (empty too), "?" one character, everything
// else itself. File patterns and the tags of a tagged search both use it; each says what
// "the same character" means for it.
#pragma once

#include <string_view>

namespace lexmora {

// True when `pattern` matches `text` whole. `same(p, t)` tells whether pattern character `p`
// stands for text character `t`. A mismatch backs up to the latest "*" only, which keeps the
// match linear in practice.
template <typename Same>
bool GlobMatch(std::string_view pattern, std::string_view text, Same&& same) {
    std::size_t p = 0, t = 0;
    std::size_t star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace lexmora
