#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lexmora::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lexmora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests make read-only folders; give write access back so that everything can go.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = std::filesystem::path(m_path) / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
}

std::string TempDir::makeFolder(const std::string& name) const {
    const std::filesystem::path folder = std::filesystem::path(m_path) / name;
    std::filesystem::create_directories(folder);
    return folder.string();
}

std::string TempDir::read(const std::string& name) const {
    return readFile(m_path + "/" + name);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string sourceDir() {
    return LEXMORA_SOURCE_DIR;
}

} // namespace lexmora::test
