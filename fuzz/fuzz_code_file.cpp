// libFuzzer target: any bytes as a code file, then detection of any bytes with that code row.
#include "codes/code_detect.h"
#include "codes/code_tables.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace lexmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const CodeRow row = ParseCodeFile(bytes);
    if (row.CodeByteList.size() > kMaxCodeBytes)
        std::abort();
    ProgramState state;
    SilentPrompter prompter;
    LoadCodeFiles(state, "", {}, prompter);
    state.CodeRows.push_back(row);
    state.CodeCount = 3;
    state.CodeMode = kCodeAutomatic;
    const DetectedCode detected = DetectCode(state, state.CodeMode, bytes, "x.htm", size > 64);
    if (detected.codeIndex < 1 || detected.codeIndex > 3)
        std::abort();
    (void)ConvertSourceText(bytes, detected.conversion);
    return 0;
}
