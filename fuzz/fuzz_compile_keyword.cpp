// libFuzzer target: any typed entry goes through NormaliseEntry and CompileKeyword, under every
// bracket type, wildcard and language, and must give a well-formed pattern or a refusal.
#include "keywords/keyword_syntax.h"
#include "search/compile_keyword.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace lexmora;

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

void checkPattern(const std::string& keyword, const CompileOptions& options) {
    CompiledPattern pattern;
    if (!CompileKeywordText(keyword, options, pattern)) {
        require(pattern.empty());
        return;
    }
    const std::size_t n = pattern.PatternText.size();
    require(pattern.ElementKind.size() == n + 1 && pattern.ElementLength.size() == n + 1 &&
            pattern.ElementArg.size() == n + 1 && pattern.ElementBoundary.size() == n + 1);
    require(pattern.ElementKind[n] == kEndOfPattern && pattern.ElementKind[0] != 0);
    for (std::size_t p = 0; p < n; ++p) {
        const int kind = pattern.ElementKind[p];
        require(kind != kEndOfPattern);
        if (kind == 0)
            continue;
        require(pattern.ElementLength[p] >= 1);
        require(p + static_cast<std::size_t>(pattern.ElementLength[p]) <= n);
        if (kind == kSpecialInWord || kind == kSpecialStart)
            require(pattern.ElementArg[p] >= 1 && pattern.ElementArg[p] <= 52);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    static const char brackets[3][2] = {{'{', '}'}, {'(', ')'}, {'[', ']'}};
    const auto& pair = brackets[(flags & 3) % 3];
    const SpecialChars chars{pair[0], pair[1], (flags & 4) ? '@' : '?'};
    CompileOptions options;
    options.openBracket = chars.openBracket;
    options.closeBracket = chars.closeBracket;
    options.singleWildcard = chars.singleWildcard;
    options.caseSensitive = (flags & 8) != 0;
    options.taggedSearch = (flags & 16) != 0;
    options.languageIndex = (flags & 32) ? 1 : 0;

    const std::string normalised = NormaliseEntry(text, chars);
    require(normalised.size() <= text.size());
    checkPattern(text, options);       // as handed over without the pass
    checkPattern(normalised, options); // as committed
    return 0;
}
