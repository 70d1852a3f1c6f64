// libFuzzer target: any bytes as a stored file list (".flist"); the paths taken are full paths
// without line ends, and writing them out and parsing again gives the same list.
#include "files/file_list.h"
#include "fuzz_support.h"

using namespace lexmora;
using namespace lexmora::files;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ParsedFileList parsed = ParseFileList(bytes);
    if (parsed.binary)
        return 0;
    for (const std::string& path : parsed.paths)
        require(!path.empty() && path.find_first_of("\r\n") == std::string::npos);
    const ParsedFileList again = ParseFileList(FormatFileList(parsed.paths));
    require(again.paths == parsed.paths);
    return 0;
}
