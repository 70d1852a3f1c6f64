#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace lexmora::fuzz {

namespace {

constexpr std::string_view kMarker = "\n=====\n";

struct Scratch {
    std::string path;
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lexmora-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

std::vector<std::string_view> splitInput(const std::uint8_t* data, std::size_t size,
                                         std::size_t parts) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> out;
    while (out.size() + 1 < parts) {
        const std::size_t cut = rest.find(kMarker);
        if (cut == std::string_view::npos)
            break;
        out.push_back(rest.substr(0, cut));
        rest.remove_prefix(cut + kMarker.size());
    }
    out.push_back(rest);
    out.resize(parts);
    return out;
}

const std::string& scratchFolder() {
    static const Scratch scratch;
    return scratch.path;
}

std::string writeScratch(const std::string& name, std::string_view bytes) {
    const std::string path = scratchFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string readScratch(const std::string& name) {
    std::ifstream in(scratchFolder() + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace lexmora::fuzz
