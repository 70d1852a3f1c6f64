#include "core/os_calls.h"

#include <fcntl.h>
#include <unistd.h>

namespace lexmora {

namespace {

int systemOpen(const char* path, int flags) {
    return ::open(path, flags);
}

int systemCreate(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

DIR* systemOpenDir(const char* path) {
    return ::opendir(path);
}

ssize_t systemWrite(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

bool systemThreadAvailable() {
    return true;
}

} // namespace

OsCalls& osCalls() {
    static OsCalls calls{systemOpen, systemCreate, systemOpenDir, systemWrite,
                         systemThreadAvailable};
    return calls;
}

void resetOsCalls() {
    osCalls() =
        OsCalls{systemOpen, systemCreate, systemOpenDir, systemWrite, systemThreadAvailable};
}

} // namespace lexmora
