// The file manager of the file chooser: copying, moving and deleting the chosen files of the folder
// shown, guarded by the protection switch, with a free-space check before each file and the
// overwrite question.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "files/chooser_dialogs.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::files {

inline constexpr const char* kCopyToCaption = "  Select folder to copy files to...";
inline constexpr const char* kMoveToCaption = "  Select folder to move files to...";

// What the file manager asks of the system. Tests replace parts of it to simulate a full disk or
// a move across file systems.
class FileManagerSystem {
public:
    virtual ~FileManagerSystem() = default;
    // Free bytes for this user on the folder's drive; negative when it cannot be told.
    virtual double freeBytes(const std::string& folder);
    virtual std::string driveOf(const std::string& folder);
    // 0, or the errno of the failure.
    virtual int renameFile(const std::string& from, const std::string& to);
    // Writes all of `data`; 0, or the errno of the failure.
    virtual int writeBlock(int fd, std::string_view data);
};

// The chosen files: names in the folder shown, in list order.
struct ChosenFiles {
    std::string folder;
    std::vector<std::string> names;
};

struct OperationReport {
    std::size_t done = 0;    // files copied, moved or deleted
    std::size_t skipped = 0; // files left as they were (not overwritten, or not readable)
    bool started = false;    // the user confirmed and the run began
    bool stopped = false;    // the run ended before the last file (full disk, error)
};

struct DeleteReport {
    std::size_t deleted = 0;
    bool folderRemoved = false;
    std::string showFolder; // the folder the chooser shows afterwards
};

enum class CopyOutcome { Copied, Skipped, Aborted };

// Which writing buttons are enabled.
struct FileManagerButtons {
    bool copy = false;
    bool move = false;
    bool remove = false;
};
FileManagerButtons FileManagerButtonStates(bool allFoldersTicked, bool writeToFiles);

class FileManager {
public:
    FileManager(ProgramState& state, Prompter& prompter, ChooserDialogs& dialogs,
                FileManagerSystem& system);
    FileManager(ProgramState& state, Prompter& prompter, ChooserDialogs& dialogs);

    OperationReport CopyChosenFiles(const ChosenFiles& chosen);
    OperationReport MoveChosenFiles(const ChosenFiles& chosen);
    // `pattern`: the file type shown, which decides whether an empty folder may be removed.
    DeleteReport DeleteChosenFiles(const ChosenFiles& chosen, std::string_view pattern);

    // Copies one file, asking before it replaces one. The copy is written beside the destination
    // and renamed into place only when complete, so a full disk never leaves half a file and a
    // file is never copied onto itself.
    CopyOutcome CopyOneFile(const std::string& source, const std::string& destination);

    // The popup menu's check: false (after telling the user) when no file is chosen.
    bool CheckChosen(const ChosenFiles& chosen, const char* action);

    // Ctrl+D / Ctrl+W: asks, and inverts WriteToFiles on Yes. Returns WriteToFiles.
    bool ToggleProtection();

    // The errno of the last abort (tests and the caller's log).
    int lastError() const { return m_lastError; }

private:
    enum class Phase { Open, Write };
    int copyData(const std::string& source, const std::string& destination, Phase& phase);
    bool chooseDestination(const ChosenFiles& chosen, const char* caption,
                           std::string& destination);
    bool destinationExists(const std::string& destination, bool& skip);
    bool roomFor(const std::string& source, const std::string& destinationFolder,
                 std::size_t remaining, std::size_t copied);

    ProgramState& m_state;
    Prompter& m_prompter;
    ChooserDialogs& m_dialogs;
    FileManagerSystem& m_system;
    std::vector<char> m_buffer;
    int m_lastError = 0;
};

} // namespace lexmora::files
