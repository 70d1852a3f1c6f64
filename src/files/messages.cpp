#include "files/messages.h"

#include "core/text_codec.h"

#include <cstring>

namespace lexmora::files::msg {

namespace {

constexpr std::size_t kMaxListedFiles = 32767;

Message make(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

// Names on disk are UTF-8 bytes; message texts are Windows-1252.
std::string shown(const std::string& pathBytes) {
    return utf8ToCp1252(pathBytes);
}

} // namespace

std::string SystemErrorText(int error) {
    return utf8ToCp1252(std::strerror(error));
}

Message TooManyListFiles() {
    return make("You may only select one list file!", "Too many files", Buttons::Ok,
                Icon::Information);
}

Message NoFilesToMakeList() {
    return make("You must first select some files", "No files selected!", Buttons::Ok, Icon::None);
}

Message NoFilesSelected() {
    return make("You haven't selected any files!", " Warning", Buttons::Ok, Icon::Exclamation);
}

Message AddLastFiles() {
    return make(joinLines({"You have pressed \xAB Ok \xBB without adding the last file(s) to the "
                           "list.",
                           "Do you wish to add new file(s) to existing files?"}),
                "Add files to list?", Buttons::YesNoCancel, Icon::Question);
}

Message SaveToDefaultFolder(const std::string& fileListDirectory) {
    return make(joinLines({"The default folder is:", "", shown(fileListDirectory), "",
                           "Do you want to save to same folder?"}),
                "", Buttons::YesNo, Icon::Question);
}

Message NoFolderSelected() {
    return make("You have not selected a folder!", "", Buttons::Ok, Icon::Exclamation);
}

Message ListFileExists(const std::string& name) {
    return make(
        joinLines({"file '" + shown(name) + "' already exists:", "do you wish to overwrite it?"}),
        " File already exists!", Buttons::YesNo, Icon::Question);
}

Message InvalidName() {
    return make(joinLines({"You have not entered a name.", "Do you wish to continue?"}),
                " Invalid filename", Buttons::YesNo, Icon::Question);
}

Message CannotWriteList(int error) {
    return make(joinLines({"Cannot continue!", SystemErrorText(error)}), "Error!", Buttons::Ok,
                Icon::Exclamation);
}

Message AddListToPresent() {
    return make("Do you wish to add new list to present list?", "List already stored",
                Buttons::YesNo, Icon::Question);
}

Message RemovableDriveWarning() {
    return make(std::string("You are trying to access files on a removable drive.") + kLineBreak +
                    kLineBreak + "There can be problems with some removable drives" + kLineBreak +
                    "when changes of disk are not recognised." + kLineBreak + kLineBreak +
                    "If this happens, you should remove the old disk, double" + kLineBreak +
                    "click on the empty drive and then insert the new disk.",
                "  Possible problems with removable drive", Buttons::Ok, Icon::Information);
}

Message CannotReadList(const std::string& path, int error) {
    return make(joinLines({"Cannot read the file list", shown(path), SystemErrorText(error)}),
                " File list error", Buttons::Ok, Icon::Exclamation);
}

Message EmptyFileList(const std::string& path) {
    return make(joinLines({"The file list", shown(path), "holds no file names."}),
                " Empty file list", Buttons::Ok, Icon::Exclamation);
}

Message NotAFileList(const std::string& path) {
    return make(joinLines({"The file", shown(path), "is not a list of files."}), " Not a file list",
                Buttons::Ok, Icon::Exclamation);
}

Message NamesNotStorable(std::size_t count) {
    return make(joinLines({std::to_string(count) +
                               " file name(s) hold a line break and cannot be stored in a list.",
                           "They have been left out."}),
                " File list", Buttons::Ok, Icon::Information);
}

Message StoredListFull(std::size_t limit) {
    return make(joinLines({"A file list holds at most " + std::to_string(limit) + " files.",
                           "The files beyond that have not been added."}),
                " File list", Buttons::Ok, Icon::Information);
}

Message ImportNotes(std::size_t missing, std::size_t foreignLines, std::size_t linesCut) {
    std::string text;
    const auto add = [&text](const std::string& line) {
        if (!text.empty())
            text += kLineBreak;
        text += line;
    };
    if (missing > 0)
        add(std::to_string(missing) + " of the listed files cannot be found.");
    if (foreignLines > 0)
        add(std::to_string(foreignLines) + " line(s) are not full file names and were left out.");
    if (linesCut > 0)
        add("Only the first " + std::to_string(kMaxListedFiles) + " files were taken; " +
            std::to_string(linesCut) + " were left out.");
    return make(text, " File list", Buttons::Ok, Icon::Information);
}

Message NoFilesFoundToCopy() {
    return make("No files found to copy", "Error", Buttons::Ok, Icon::None);
}

Message NoFilesFoundToMove() {
    return make("No files found to move", "Error", Buttons::Ok, Icon::None);
}

Message SameFolderRefused() {
    return make("You cannot copy files to same folder!", " Error in choice of folder", Buttons::Ok,
                Icon::Exclamation);
}

Message ConfirmCopy(std::size_t count, const std::string& from, const std::string& to) {
    return make(joinLines({"Confirm copying of " + std::to_string(count) + " files",
                           "on " + shown(from) + " to " + shown(to)}),
                " About to copy files", Buttons::YesNo, Icon::Question);
}

Message ConfirmMove(std::size_t count, const std::string& from, const std::string& to) {
    return make(joinLines({"Confirm moving of " + std::to_string(count) + " files",
                           "from " + shown(from) + " to " + shown(to)}),
                " About to move files", Buttons::YesNo, Icon::Question);
}

Message NotEnoughSpace(const std::string& drive, std::size_t remaining, std::size_t copied) {
    return make(joinLines({"There is not enough space left on drive " + shown(drive) + ":",
                           "to hold remaining " + std::to_string(remaining) + " file(s)",
                           "stopping after " + std::to_string(copied) + " files"}),
                "Not enough disk space", Buttons::Ok, Icon::Exclamation);
}

Message AbortingOperation(int error) {
    return make(SystemErrorText(error) + " aborting operation", " Error!", Buttons::Ok,
                Icon::Critical);
}

Message OverwriteFile() {
    return make(
        joinLines({"A file of this name already exists!", "", "Do you want to overwrite it?"}),
        " Warning", Buttons::YesNo, Icon::Exclamation);
}

Message DiscError(int error) {
    return make(SystemErrorText(error), " Disc error!", Buttons::Ok, Icon::Exclamation);
}

Message CannotOpenFile(const std::string& name) {
    return make(joinLines({"Cannot open file!", shown(name)}), "", Buttons::Ok, Icon::Exclamation);
}

Message ConfirmDelete(std::size_t count, const std::string& folder) {
    return make(
        joinLines({"Confirm deletion of " + std::to_string(count) + " files in:", shown(folder)}),
        " About to delete files", Buttons::YesNo, Icon::Question);
}

Message RemoveFolder() {
    return make("Do you wish to remove folder ?", "About to remove folder..", Buttons::OkCancel,
                Icon::Question);
}

Message NoFilesToDelete() {
    return make("No files selected to delete", "Error", Buttons::Ok, Icon::None);
}

Message NothingChosenFor(const char* action) {
    return make("You haven't selected any files!", std::string("  No files to ") + action,
                Buttons::Ok, Icon::Exclamation);
}

Message ChangeProtection(bool writeToFiles) {
    const char* now = writeToFiles ? "can be deleted " : "cannot be deleted ";
    const char* other = writeToFiles ? "cannot be deleted " : "can be deleted ";
    return make(joinLines({std::string("At present selected files ") + now + "-",
                           std::string("do you wish to change so that files ") + other + "?"}),
                " File protection level", Buttons::YesNo, Icon::Question);
}

Message FilesProtected() {
    return make(joinLines({"At present selected files cannot be deleted or moved.",
                           "Press Ctrl+D to change the file protection level."}),
                " File protection level", Buttons::Ok, Icon::Exclamation);
}

Message SystemError(int error) {
    return make(SystemErrorText(error), " Error!", Buttons::Ok, Icon::Exclamation);
}

Message CannotRemoveFolder(const std::string& folder, int error) {
    return make(joinLines({"Cannot remove folder", shown(folder), SystemErrorText(error)}),
                " Error!", Buttons::Ok, Icon::Exclamation);
}

Message ReadOnlyFolder() {
    return make(
        joinLines({"The selected folder is 'read only'.", "", "  Please select another folder."}),
        " Access denied!", Buttons::Ok, Icon::None);
}

Message NewFolderCreated() {
    return make("New folder created", "", Buttons::Ok, Icon::None);
}

Message CannotCreateFolder(const std::string& path, int error) {
    return make(joinLines({"Cannot create folder", shown(path), SystemErrorText(error)}), " Error!",
                Buttons::Ok, Icon::Exclamation);
}

Message FolderNameNotUsable(const std::string& name) {
    return make("The name '" + name + "' cannot be used for a file or folder.", " Invalid filename",
                Buttons::Ok, Icon::Exclamation);
}

Message TooManyCharacters(std::size_t maxLength) {
    return make("Please use no more than " + std::to_string(maxLength) + " characters", "",
                Buttons::Ok, Icon::None);
}

Message InvalidNumber() {
    return make("You must enter a valid number", " Invalid entry!", Buttons::Ok, Icon::None);
}

} // namespace lexmora::files::msg
