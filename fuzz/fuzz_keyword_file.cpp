// libFuzzer target: any bytes as a keyword file; every keyword taken is short, has no line end in
// it, and compiles or is refused without fault.
#include "fuzz_support.h"
#include "keywords/keyword_file.h"
#include "search/compile_keyword.h"

using namespace lexmora;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const KeywordFileText parsed = ParseKeywordFile(bytes);
    if (parsed.binary)
        require(parsed.keywords.empty());
    CompileOptions options;
    for (const KeywordLine& line : parsed.keywords) {
        require(!line.text.empty() && line.text.size() <= kMaxKeywordLength);
        require(line.text.find_first_of("\r\n") == std::string::npos);
        CompiledPattern pattern;
        (void)CompileKeywordText(line.text, options, pattern);
    }
    // Written back and read again, the keywords are the same.
    if (!parsed.binary)
        require(ParseKeywordFile(FormatKeywordFile(parsed.keywords)).keywords == parsed.keywords);
    return 0;
}
