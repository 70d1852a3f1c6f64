// Runs a fuzz target over saved inputs without libFuzzer (for builds with GCC): each argument
// is a file or a folder of files.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void runFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat info {};
        if (::stat(argv[i], &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            if (DIR* dir = ::opendir(argv[i])) {
                while (const dirent* entry = ::readdir(dir)) {
                    const std::string name = entry->d_name;
                    if (name != "." && name != "..") {
                        runFile(std::string(argv[i]) + "/" + name);
                        ++count;
                    }
                }
                ::closedir(dir);
            }
        } else {
            runFile(argv[i]);
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return 0;
}
