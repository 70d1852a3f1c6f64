// A file written under a temporary name of its own beside its target and put in place only when
// whole, so that a failed, abandoned or concurrent run never leaves half a file under the name.
#pragma once

#include "core/file_io.h"

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

// Puts `from` at `to` in one step: over a file of that name with Replace, else only while the
// name is free (a link that fails when the name exists, then the old name removed).
PlaceOutcome PlaceFile(const std::string& from, const std::string& to, Placement placement,
                       int& systemError);

} // namespace lexmora
