// libFuzzer target: any keyword (with the compile options in its first byte) searched in any
// text; every hit gives one clean KWIC line.
#include "codes/code_tables.h"
#include "fuzz_support.h"
#include "search/compile_keyword.h"
#include "search/scanner.h"

using namespace lexmora;
using fuzz::require;

namespace {

struct Collector : SearchObserver {
    std::int64_t lines = 0;
    void onHit(std::string_view line, std::string_view) override {
        ++lines;
        require(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
    }
};

ProgramState stateFor(unsigned char flags, const std::string& keyword) {
    ProgramState state;
    state.CodeRows = BuiltInCodeRows();
    state.CodeMode = (flags & 1) ? kCodeAutomatic : kCodeAnsi;
    state.LanguageIndex = 1 + (flags >> 1) % 5;
    state.SourceDirectory = fuzz::scratchFolder();
    state.SourceFiles = {"a.txt"};
    state.LeftContext = 1 + (flags >> 4);
    state.RightContext = 1 + (flags & 15);
    state.Keywords = {keyword};
    state.KeywordCase = {(flags & 8) != 0};
    return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitInput(data, size, 2);
    if (parts[0].empty())
        return 0;
    const auto flags = static_cast<unsigned char>(parts[0][0]);
    ProgramState state = stateFor(flags, std::string(parts[0].substr(1)));
    CompiledPattern compiled;
    if (!CompileKeyword(state, 0, compiled))
        return 0;
    fuzz::writeScratch("a.txt", parts[1]);
    const ScanPattern pattern = MakeScanPattern(compiled);
    Collector collector;
    SilentPrompter prompter;
    ScanCounts counts;
    const RunOutcome outcome = SearchFiles(state, SearchChoicesIn(state),
                                           StepSources{state.SourceDirectory, state.SourceFiles},
                                           pattern, ScanContext{}, counts, collector, prompter);
    require(outcome.isDone());
    require(counts.hits == collector.lines);
    return 0;
}
