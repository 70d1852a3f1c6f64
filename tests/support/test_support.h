// Helpers shared by the engine tests: temporary folders and files made and removed by the test.
#pragma once

#include <string>
#include <string_view>

namespace lexmora::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // Writes `bytes` to `name` inside the folder (sub-folders are made) and returns its path.
    std::string write(const std::string& name, std::string_view bytes) const;
    std::string makeFolder(const std::string& name) const;
    std::string read(const std::string& name) const;

private:
    std::string m_path;
};

// The bytes of a file, or "<missing>" when it cannot be read.
std::string readFile(const std::string& path);

// The folder of the source tree (for samples and golden data).
std::string sourceDir();
// The build's program folder (lexmora-cli, code files, help pages, samples).
std::string binDir();

// While it lives, the system refuses what it would refuse an ordinary user (these tests run as
// root, who may open anything): a file or folder whose name ends with "locked" cannot be opened
// (EACCES), and a file whose name ends with "broken" opens but every read fails (EBADF).
class LockedCalls {
public:
    LockedCalls();
    ~LockedCalls();
    LockedCalls(const LockedCalls&) = delete;
    LockedCalls& operator=(const LockedCalls&) = delete;
};

// While it lives, the disk holds only `room` more bytes: every write takes what is left of it,
// then fails with ENOSPC.
class SmallDisk {
public:
    explicit SmallDisk(std::size_t room);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
};

// While it lives, the program's cache is a folder of its own (the positions of saved hits), so
// that no other test running beside it clears what this one relies on.
class OwnCache {
public:
    OwnCache();
    ~OwnCache();
    OwnCache(const OwnCache&) = delete;
    OwnCache& operator=(const OwnCache&) = delete;

private:
    TempDir m_folder;
    std::string m_before;
    bool m_wasSet = false;
};

} // namespace lexmora::test
