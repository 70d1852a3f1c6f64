#include "files/folder_chooser.h"

#include "core/folders.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "files/file_patterns.h"
#include "files/messages.h"
#include "files/text_entry.h"

#include <cerrno>
#include <sys/stat.h>

namespace lexmora::files {

std::string ReachableFolder(const std::string& folder) {
    std::string here = folder;
    while (!here.empty() && here != "/" && !FolderExists(here)) {
        while (here.size() > 1 && here.back() == kPathSeparator)
            here.pop_back();
        here = FolderOf(here);
    }
    return here.empty() ? std::string("/") : here;
}

std::string FolderChooserStart(const ProgramState& state) {
    return ReachableFolder(state.DialogFolder.empty() ? CurrentFolder() : state.DialogFolder);
}

bool ShowsCodeFileCount(const ProgramState& state) {
    return state.DialogPattern == kCodeFilePattern;
}

std::string CodeFileCountText(const std::string& folder) {
    return std::to_string(ListMatchingFiles(folder, kCodeFilePattern).size()) +
           " \xAB wp# \xBB file(s) found";
}

bool AcceptFolder(ProgramState& state, const std::string& folder, Prompter& prompter) {
    state.DialogFolder = folder;
    if (IsReadOnlyFolder(folder)) {
        prompter.tell(files::msg::ReadOnlyFolder());
        return false;
    }
    return true;
}

Result<std::string> CreateNewFolder(const std::string& parent, const std::string& name,
                                    const std::string& invalidNameChars) {
    const std::string clean = CleanEntryText(EntryMode::File, name, 0, invalidNameChars);
    if (clean.empty() || clean != name || IsReservedName(clean))
        return files::msg::FolderNameNotUsable(name);
    const std::string path = JoinPath(parent, cp1252ToUtf8(clean));
    if (::mkdir(path.c_str(), 0777) != 0)
        return files::msg::CannotCreateFolder(path, errno);
    return path;
}

std::optional<std::string> CreateFolderInteractively(const ProgramState& state,
                                                     const std::string& folderShown,
                                                     ChooserDialogs& dialogs, Prompter& prompter) {
    TextEntryRequest request;
    request.mode = EntryMode::File;
    request.maxLength = FolderNameLimit(folderShown);
    request.prompt = FolderNamePrompt(request.maxLength);
    const TextEntryAnswer answer = dialogs.enterText(request);
    if (!answer.ok || answer.text.empty())
        return std::nullopt;
    auto created = CreateNewFolder(folderShown, answer.text, state.InvalidFileNameChars);
    if (!created) {
        prompter.tell(created.error());
        return std::nullopt;
    }
    prompter.tell(files::msg::NewFolderCreated());
    return *created;
}

} // namespace lexmora::files
