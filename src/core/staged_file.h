// A file written under a temporary name of its own beside its target and put in place only when
// whole, so that a failed, abandoned or concurrent run never leaves half a file under the name.
#pragma once

#include "core/file_io.h"

#include <functional>
#include <string>
#include <string_view>

namespace lexmora {

// How a finished file takes its name.
enum class Placement {
    Replace,      // over any file of that name (the user agreed to overwrite)
    KeepExisting, // only while the name is free: a file another run put there meanwhile stays
};

// What became of a commit.
enum class PlaceOutcome {
    Placed,
    NameTaken,   // KeepExisting and the name was taken: nothing changed, the temporary is gone
    WriteFailed, // a write, the close or the rename failed: errno in systemError()
};

class StagedFile {
public:
    // Creates the temporary file exclusively (a name no other run can hold) beside `path`.
    explicit StagedFile(std::string path);
    ~StagedFile(); // an uncommitted file's temporary is removed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool valid() const { return m_fd.valid(); }
    const std::string& path() const { return m_path; }
    const std::string& temporaryPath() const { return m_temp; }
    int systemError() const { return m_error; }

    // Buffers, writing 1 MB at a time; false once any write has failed.
    bool append(std::string_view data);
    // Writes what is buffered, closes and places the file.
    PlaceOutcome commit(Placement placement);
    // Drops the file: the temporary is removed, the target untouched.
    void discard();

private:
    bool flush();
    std::string m_path, m_temp, m_buffer;
    UniqueFd m_fd;
    bool m_ok = true;
    int m_error = 0;
};

// Creates a file exclusively under a temporary name of its own beside `path` ("path.XXXXXX"),
// readable by all as a saved result is; an invalid descriptor and `error` when it cannot.
UniqueFd CreateStagingFile(const std::string& path, std::string& temporaryPath, int& error);

// Holds an exclusive lock on a folder while it lives, so that runs which place several files
// together (a word list and its index) place them one run after the other. Without a lock (a
// folder that cannot be opened) it holds nothing and the placing goes on unguarded.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    UniqueFd m_fd; // closing it releases the lock
};

// A new file under a name that was free when it was chosen: `freeName` gives a free full path
// (nothing when there is none), `write` fills the staged file. Placed only while the name is
// still free; when another run took it meanwhile the file is written again under the next free
// name. The path placed, or an empty string (`error`: the system's error, 0 when no name was
// free or `write` declined).
std::string SaveUnderFreeName(const std::function<std::string()>& freeName,
                              const std::function<bool(StagedFile&)>& write, int& error);

// Puts `from` at `to` in one step: over a file of that name with Replace, else only while the
// name is free (a link that fails when the name exists, then the old name removed).
PlaceOutcome PlaceFile(const std::string& from, const std::string& to, Placement placement,
                       int& systemError);

} // namespace lexmora
