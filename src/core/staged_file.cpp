#include "core/staged_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora {

namespace {
constexpr std::size_t kFlushBytes = std::size_t(1) << 20;
} // namespace

UniqueFd CreateStagingFile(const std::string& path, std::string& temporaryPath, int& error) {
    temporaryPath = path + ".XXXXXX";
    UniqueFd fd(::mkostemp(temporaryPath.data(), O_CLOEXEC));
    if (fd.valid())
        ::fchmod(fd.get(), 0644);
    else
        error = errno;
    return fd;
}

FolderLock::FolderLock(const std::string& folder)
    : m_fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd.valid())
        while (::flock(m_fd.get(), LOCK_EX) != 0 && errno == EINTR) {
        }
}

StagedFile::StagedFile(std::string path) : m_path(std::move(path)) {
    m_fd = CreateStagingFile(m_path, m_temp, m_error);
}

StagedFile::~StagedFile() {
    discard();
}

void StagedFile::discard() {
    if (m_fd.valid()) {
        m_fd.reset();
        ::unlink(m_temp.c_str());
    }
}

bool StagedFile::append(std::string_view data) {
    // A block as large as the buffer goes to the file as it is, without a copy.
    if (m_buffer.empty() && data.size() >= kFlushBytes) {
        if (m_ok && !writeAll(m_fd.get(), data)) {
            m_ok = false;
            m_error = errno;
        }
        return m_ok;
    }
    m_buffer.append(data);
    return m_buffer.size() < kFlushBytes || flush();
}

bool StagedFile::flush() {
    if (m_ok && !m_buffer.empty() && !writeAll(m_fd.get(), m_buffer)) {
        m_ok = false;
        m_error = errno;
    }
    m_buffer.clear();
    return m_ok;
}

PlaceOutcome StagedFile::commit(Placement placement) {
    if (!m_fd.valid())
        return PlaceOutcome::WriteFailed;
    if (!flush() || ::close(m_fd.release()) != 0) {
        if (m_error == 0)
            m_error = errno;
        ::unlink(m_temp.c_str());
        return PlaceOutcome::WriteFailed;
    }
    const PlaceOutcome outcome = PlaceFile(m_temp, m_path, placement, m_error);
    if (outcome != PlaceOutcome::Placed)
        ::unlink(m_temp.c_str());
    return outcome;
}

std::string SaveUnderFreeName(const std::function<std::string()>& freeName,
                              const std::function<bool(StagedFile&)>& write, int& error) {
    error = 0;
    constexpr int kTries = 8; // each lost race means another run saved a file meanwhile
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const std::string path = freeName();
        if (path.empty())
            return {};
        StagedFile file(path);
        if (!file.valid() || !write(file)) {
            error = file.systemError();
            return {};
        }
        switch (file.commit(Placement::KeepExisting)) {
        case PlaceOutcome::Placed:
            return path;
        case PlaceOutcome::NameTaken:
            continue;
        case PlaceOutcome::WriteFailed:
            error = file.systemError();
            return {};
        }
    }
    error = EEXIST;
    return {};
}

PlaceOutcome PlaceFile(const std::string& from, const std::string& to, Placement placement,
                       int& systemError) {
    if (placement == Placement::Replace) {
        if (::rename(from.c_str(), to.c_str()) == 0)
            return PlaceOutcome::Placed;
        systemError = errno;
        return PlaceOutcome::WriteFailed;
    }
    // Both refuse a name that exists, so two runs racing for one name cannot both win; link()
    // serves file systems whose rename cannot be told to keep the target.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return PlaceOutcome::Placed;
    systemError = errno;
    if (systemError == EEXIST)
        return PlaceOutcome::NameTaken;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return PlaceOutcome::Placed;
    }
    systemError = errno;
    return systemError == EEXIST ? PlaceOutcome::NameTaken : PlaceOutcome::WriteFailed;
}

} // namespace lexmora
