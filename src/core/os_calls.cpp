#include "core/os_calls.h"

#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

int systemOpen(const char* path, int flags) {
    return ::open(path, flags);
}

DIR* systemOpenDir(const char* path) {
    return ::opendir(path);
}

ssize_t systemWrite(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

} // namespace

OsCalls& osCalls() {
    static OsCalls calls{systemOpen, systemOpenDir, systemWrite};
    return calls;
}

void resetOsCalls() {
    osCalls() = OsCalls{systemOpen, systemOpenDir, systemWrite};
}

} // namespace lexmora
