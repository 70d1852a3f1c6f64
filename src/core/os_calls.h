// The calls that open what a run reads and write what it saves, in one replaceable place: a test
// makes them fail as they fail for an ordinary user (the tests run as root, who may open
// anything) or on a full disk.
#pragma once

#include <cstddef>
#include <dirent.h>
#include <sys/types.h>

namespace lexmora {

struct OsCalls {
    int (*openFile)(const char* path, int flags);
    int (*createFile)(const char* path, int flags, mode_t mode);
    DIR* (*openFolder)(const char* path);
    ssize_t (*writeFile)(int fd, const void* data, std::size_t size);
    // False makes StartQuietThread fail as it does when the system has no thread to give.
    bool (*threadAvailable)();
};

// The calls in use; the system's own unless a test has put others in.
OsCalls& osCalls();

// Puts the system's own calls back.
void resetOsCalls();

} // namespace lexmora
