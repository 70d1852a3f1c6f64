// What the file-reading fuzz targets share: a private scratch folder (the readers take paths),
// inputs cut into parts at a marker line, and a check that aborts so the fuzzer records the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::fuzz {

inline void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// The input cut at each "\n=====\n": up to `parts` pieces, missing ones empty.
std::vector<std::string_view> splitInput(const std::uint8_t* data, std::size_t size,
                                         std::size_t parts);

// A folder of this process's own, removed when the process ends.
const std::string& scratchFolder();
// Writes `bytes` to `name` in the scratch folder (replacing it) and gives its path.
std::string writeScratch(const std::string& name, std::string_view bytes);
std::string readScratch(const std::string& name);

} // namespace lexmora::fuzz
