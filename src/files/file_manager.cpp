#include "files/file_manager.h"

#include "core/drives.h"
#include "core/file_io.h"
#include "core/folders.h"
#include "core/paths.h"
#include "files/file_patterns.h"
#include "files/messages.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexmora::files {

namespace {

constexpr std::size_t kCopyBlock = 1 << 20;

FileManagerSystem& defaultSystem() {
    static FileManagerSystem system;
    return system;
}

std::string withoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == kPathSeparator)
        folder.pop_back();
    return folder;
}

// A drive's root: "/" or a mount point, which is never offered for removal.
bool isDriveRoot(const std::string& folder) {
    if (folder.empty() || folder == "/")
        return true;
    const std::string trimmed = withoutTrailingSeparator(folder);
    return DriveOf(trimmed) == ResolvePath(trimmed);
}

} // namespace

double FileManagerSystem::freeBytes(const std::string& folder) {
    return FreeBytes(folder);
}

std::string FileManagerSystem::driveOf(const std::string& folder) {
    return DriveOf(folder);
}

int FileManagerSystem::renameFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int FileManagerSystem::writeBlock(int fd, std::string_view data) {
    errno = 0;
    return writeAll(fd, data) ? 0 : (errno != 0 ? errno : EIO);
}

FileManagerButtons FileManagerButtonStates(bool allFoldersTicked, bool writeToFiles) {
    if (allFoldersTicked)
        return {};
    return {true, writeToFiles, writeToFiles};
}

FileManager::FileManager(ProgramState& state, Prompter& prompter, ChooserDialogs& dialogs,
                         FileManagerSystem& system)
    : m_state(state), m_prompter(prompter), m_dialogs(dialogs), m_system(system) {}

FileManager::FileManager(ProgramState& state, Prompter& prompter, ChooserDialogs& dialogs)
    : FileManager(state, prompter, dialogs, defaultSystem()) {}

bool FileManager::CheckChosen(const ChosenFiles& chosen, const char* action) {
    if (!chosen.names.empty())
        return true;
    m_prompter.tell(files::msg::NothingChosenFor(action));
    return false;
}

bool FileManager::ToggleProtection() {
    if (m_prompter.ask(files::msg::ChangeProtection(m_state.WriteToFiles)) == Answer::Yes)
        m_state.WriteToFiles = !m_state.WriteToFiles;
    return m_state.WriteToFiles;
}

bool FileManager::chooseDestination(const ChosenFiles& chosen, const char* caption,
                                    std::string& destination) {
    m_state.DialogFolder = chosen.folder;
    const auto picked = m_dialogs.chooseFolder(caption, chosen.folder);
    if (!picked || picked->empty())
        return false;
    if (SameFolder(*picked, chosen.folder)) {
        m_prompter.tell(files::msg::SameFolderRefused());
        return false;
    }
    destination = *picked;
    return true;
}

// False when the file is to be skipped: the user keeps the existing one, or the check failed.
bool FileManager::destinationExists(const std::string& destination, bool& skip) {
    skip = false;
    struct stat st {};
    if (::lstat(destination.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return false;
        m_prompter.tell(files::msg::DiscError(errno));
        skip = true;
        return true;
    }
    if (m_prompter.ask(files::msg::OverwriteFile()) != Answer::Yes)
        skip = true;
    return true;
}

bool FileManager::roomFor(const std::string& source, const std::string& destinationFolder,
                          std::size_t remaining, std::size_t copied) {
    const auto size = fileSize(source);
    const double free = m_system.freeBytes(destinationFolder);
    // Free space that cannot be told does not stop the run: the copy itself reports a full disk.
    if (!size || free < 0 || static_cast<double>(*size) < free)
        return true;
    m_prompter.tell(
        files::msg::NotEnoughSpace(m_system.driveOf(destinationFolder), remaining, copied));
    return false;
}

int FileManager::copyData(const std::string& source, const std::string& destination, Phase& phase) {
    phase = Phase::Open;
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return errno;
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EISDIR;
    std::string temp = AddBackslash(FolderOf(destination)) + ".~lexmora-copy-XXXXXX";
    UniqueFd out(::mkstemp(temp.data()));
    if (!out.valid())
        return errno;
    phase = Phase::Write;
    if (m_buffer.size() < kCopyBlock)
        m_buffer.resize(kCopyBlock);
    int error = 0;
    while (error == 0) {
        const ssize_t got = ::read(in.get(), m_buffer.data(), m_buffer.size());
        if (got < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        if (got == 0)
            break;
        error = m_system.writeBlock(
            out.get(), std::string_view(m_buffer.data(), static_cast<std::size_t>(got)));
    }
    if (error == 0) {
        ::fchmod(out.get(), st.st_mode & 07777);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out.get(), times);
        if (::fsync(out.get()) != 0)
            error = errno;
    }
    if (::close(out.release()) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(temp.c_str(), destination.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

CopyOutcome FileManager::CopyOneFile(const std::string& source, const std::string& destination) {
    bool skip = false;
    destinationExists(destination, skip);
    if (skip)
        return CopyOutcome::Skipped;
    Phase phase = Phase::Open;
    const int error = copyData(source, destination, phase);
    if (error == 0)
        return CopyOutcome::Copied;
    if (phase == Phase::Open) {
        m_prompter.tell(files::msg::CannotOpenFile(FileNameOf(source)));
        return CopyOutcome::Skipped;
    }
    m_lastError = error;
    m_prompter.tell(files::msg::AbortingOperation(error));
    return CopyOutcome::Aborted;
}

OperationReport FileManager::CopyChosenFiles(const ChosenFiles& chosen) {
    OperationReport report;
    const std::size_t n = chosen.names.size();
    if (n == 0) {
        m_prompter.tell(files::msg::NoFilesFoundToCopy());
        return report;
    }
    std::string destination;
    if (!chooseDestination(chosen, kCopyToCaption, destination))
        return report;
    if (m_prompter.ask(files::msg::ConfirmCopy(n, chosen.folder, destination)) != Answer::Yes)
        return report;
    report.started = true;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string source = JoinPath(chosen.folder, chosen.names[i]);
        if (!roomFor(source, destination, n - i, report.done)) {
            report.stopped = true;
            break;
        }
        const CopyOutcome outcome = CopyOneFile(source, JoinPath(destination, chosen.names[i]));
        if (outcome == CopyOutcome::Aborted) {
            report.stopped = true;
            break;
        }
        ++(outcome == CopyOutcome::Copied ? report.done : report.skipped);
    }
    return report;
}

OperationReport FileManager::MoveChosenFiles(const ChosenFiles& chosen) {
    OperationReport report;
    if (!m_state.WriteToFiles) {
        m_prompter.tell(files::msg::FilesProtected());
        return report;
    }
    const std::size_t n = chosen.names.size();
    if (n == 0) {
        m_prompter.tell(files::msg::NoFilesFoundToMove());
        return report;
    }
    std::string destination;
    if (!chooseDestination(chosen, kMoveToCaption, destination))
        return report;
    if (m_prompter.ask(files::msg::ConfirmMove(n, chosen.folder, destination)) != Answer::Yes)
        return report;
    report.started = true;
    struct stat destStat {};
    const bool destKnown = ::stat(destination.c_str(), &destStat) == 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string source = JoinPath(chosen.folder, chosen.names[i]);
        const std::string target = JoinPath(destination, chosen.names[i]);
        struct stat sourceStat {};
        if (::stat(source.c_str(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) {
            m_prompter.tell(files::msg::CannotOpenFile(chosen.names[i]));
            ++report.skipped;
            continue;
        }
        // On one file system a rename moves the file whole: no space needed, nothing to copy.
        if (destKnown && sourceStat.st_dev == destStat.st_dev) {
            bool skip = false;
            destinationExists(target, skip);
            if (skip) {
                ++report.skipped;
                continue;
            }
            const int error = m_system.renameFile(source, target);
            if (error == 0) {
                ++report.done;
                continue;
            }
            if (error != EXDEV) {
                m_lastError = error;
                m_prompter.tell(files::msg::AbortingOperation(error));
                report.stopped = true;
                break;
            }
        }
        // Across file systems: copy, then delete the source once the copy is complete.
        if (!roomFor(source, destination, n - i, report.done)) {
            report.stopped = true;
            break;
        }
        const CopyOutcome outcome = CopyOneFile(source, target);
        if (outcome == CopyOutcome::Aborted) {
            report.stopped = true;
            break;
        }
        if (outcome == CopyOutcome::Skipped) {
            ++report.skipped;
            continue;
        }
        if (::unlink(source.c_str()) != 0) {
            m_lastError = errno;
            m_prompter.tell(files::msg::AbortingOperation(errno));
            report.stopped = true;
            break;
        }
        ++report.done;
    }
    return report;
}

DeleteReport FileManager::DeleteChosenFiles(const ChosenFiles& chosen, std::string_view pattern) {
    DeleteReport report;
    report.showFolder = chosen.folder;
    if (!m_state.WriteToFiles) {
        m_prompter.tell(files::msg::FilesProtected());
        return report;
    }
    if (!chosen.names.empty()) {
        if (m_prompter.ask(files::msg::ConfirmDelete(chosen.names.size(), chosen.folder)) !=
            Answer::Yes)
            return report;
        for (const auto& name : chosen.names) {
            const std::string path = JoinPath(chosen.folder, name);
            if (::unlink(path.c_str()) != 0) {
                m_lastError = errno;
                m_prompter.tell(files::msg::SystemError(errno));
                break;
            }
            ++report.deleted;
        }
        return report;
    }
    if (!isDriveRoot(chosen.folder) && ListMatchingFiles(chosen.folder, pattern).empty()) {
        if (m_prompter.ask(files::msg::RemoveFolder()) != Answer::Ok)
            return report;
        if (::rmdir(chosen.folder.c_str()) != 0) {
            m_lastError = errno;
            m_prompter.tell(files::msg::CannotRemoveFolder(chosen.folder, errno));
            return report;
        }
        report.folderRemoved = true;
        report.showFolder = FolderOf(withoutTrailingSeparator(chosen.folder));
        if (withoutTrailingSeparator(m_state.DialogFolder) ==
            withoutTrailingSeparator(chosen.folder))
            m_state.DialogFolder = report.showFolder;
        return report;
    }
    m_prompter.tell(files::msg::NoFilesToDelete());
    return report;
}

} // namespace lexmora::files
