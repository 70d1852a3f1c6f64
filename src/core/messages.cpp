#include "core/messages.h"

#include "core/drives.h"
#include "core/text_codec.h"

#include <cstring>

namespace lexmora::core::msg {

Message CannotOpenFile(const std::string& name, int error) {
    return Message{joinLines({"Couldn't open " + utf8ToCp1252(name) + " !",
                              utf8ToCp1252(std::strerror(error))}),
                   "Problem opening file!", Buttons::Ok, Icon::Exclamation};
}

Message CannotFindFolder(const std::string& path, FolderError error, int driveType,
                         const std::string& drive) {
    const std::string first = joinLines({"Cannot find folder:", utf8ToCp1252(path)});
    const std::string where = utf8ToCp1252(drive);
    Message message{first, "Folder error", Buttons::RetryCancel, Icon::Exclamation};
    switch (error) {
    case FolderError::NotFound:
        break;
    case FolderError::DiskNotReady:
        message.text = joinLines({first, "", "Please place disk in drive " + where});
        break;
    case FolderError::PathNotFound:
        if (driveType == kDriveRemovable || driveType == kDriveCdRom) {
            message.text = joinLines({first, "Please replace correct disk in drive " + where});
        } else {
            message.text = joinLines({first, "Please check that folder still exists"});
            message.buttons = Buttons::Ok;
        }
        break;
    }
    return message;
}

Message CannotFindFile(const std::string& name, int driveType) {
    std::string text = "Cannot find file " + utf8ToCp1252(name);
    if (driveType == kDriveRemovable || driveType == kDriveCdRom)
        text =
            joinLines({text + " -", "You may have removed the disk with the file from the drive"});
    return Message{text, " File error", Buttons::AbortRetryIgnore, Icon::Exclamation};
}

Message LowDiskSpace(const std::string& drive, double freeBytes) {
    const long long kilobytes = freeBytes > 0 ? static_cast<long long>(freeBytes / 1024.0) : 0;
    return Message{joinLines({"There are only " + std::to_string(kilobytes) + " KBytes free",
                              "on drive " + utf8ToCp1252(drive) + " - this may not be enough"}),
                   " Disk space running low", Buttons::Ok, Icon::Exclamation};
}

Message FileTooLargeForNotepad() {
    return Message{"File too large for Notepad - using Wordpad instead", "Large file", Buttons::Ok,
                   Icon::None};
}

Message ViewAsWebPage() {
    return Message{"Do you wish to view file as web page?", " About to view HTML file",
                   Buttons::YesNo, Icon::Question};
}

Message CannotFindViewer(const std::string& viewer) {
    return Message{"Cannot find " + viewer + " to view files", "Invalid Path", Buttons::Ok,
                   Icon::Exclamation};
}

Message RemovableProgramDrive(const std::string& drive, bool tallScreen) {
    return Message{joinLines({"You have loaded KWIC-LEXMORA from drive " + drive, "",
                              "To function, the program must be able to access the disk.   ", "",
                              "If you remove the disk with the program from the drive",
                              "while the program is running, the program may crash.", "",
                              "If you need to use drive " + drive + " for source or target files,",
                              "you should run lexmora from a hard drive."}),
                   " Warning", Buttons::Ok, tallScreen ? Icon::Information : Icon::None};
}

Message DeleteSessionResults(const std::string& targetDirectory) {
    return Message{joinLines({"Do you wish to delete this session's search results file(s) in ",
                              targetDirectory + "?"}),
                   " About to exit from program", Buttons::YesNoCancel, Icon::Question};
}

Message SaveSettings() {
    return Message{joinLines({"Some of the default settings have been changed.",
                              "Do you wish to save the changes?"}),
                   "Save settings?", Buttons::YesNo, Icon::Question};
}

namespace {

Message settingRefused(const std::string& text) {
    return Message{text, " Invalid setting", Buttons::Ok, Icon::Exclamation};
}

} // namespace

Message SettingNeedsFolder(const std::string& key) {
    return settingRefused("A folder must be given for " + key + ".");
}

Message SettingFolderNotFound(const std::string& folder) {
    return Message{"Cannot find folder:" + std::string(kLineBreak) + folder, "Folder error",
                   Buttons::Ok, Icon::Exclamation};
}

Message SettingFolderReadOnly(const std::string& folder) {
    return settingRefused("The folder " + folder + " is read-only.");
}

Message SettingContextWidth(const std::string& key, int maximum) {
    return settingRefused(key + " takes a number of characters from 1 to " +
                          std::to_string(maximum) + ".");
}

Message SettingLanguage() {
    return settingRefused("Language takes English, French, German, Italian or Spanish.");
}

Message SettingZeroOrOne(const std::string& key) {
    return settingRefused(key + " takes 0 or 1.");
}

Message SettingFileExtensions() {
    return settingRefused("InvalidFileExtensions takes entries of four characters, "
                          "each a full stop and three characters, such as \".XYZ.AB \".");
}

Message UnknownSetting(const std::string& key) {
    return settingRefused("There is no setting called " + key + ".");
}

Message CannotWriteSettings(const std::string& settingsPath) {
    return Message{"Cannot write the settings file " + settingsPath, " File error", Buttons::Ok,
                   Icon::Exclamation};
}

Message MajorFailure() {
    return Message{joinLines({"Major file or device failure!", "Returning to main menu"}), "",
                   Buttons::Ok, Icon::Exclamation};
}

Message NoNameEntered() {
    return Message{"Do you wish to continue?", " You have not entered a name!", Buttons::YesNo,
                   Icon::Question};
}

Message CommandLineCopied(const std::string& line) {
    return Message{joinLines({"This command line is on the clipboard:", utf8ToCp1252(line)}),
                   " Copy as command line", Buttons::Ok, Icon::Information};
}

Message RegexAmongKeywordsNotOneLine() {
    return Message{joinLines({"Some keywords are regular expressions and some are not: one command",
                              "line cannot give them (--regex makes every keyword an expression).",
                              "Nothing was copied."}),
                   " Copy as command line", Buttons::Ok, Icon::Exclamation};
}

Message KeywordsNotOneLine() {
    return Message{joinLines({"The keywords have different exclude strings or tags, or exclude",
                              "strings with their own case rule: one command line cannot give",
                              "them. Nothing was copied."}),
                   " Copy as command line", Buttons::Ok, Icon::Exclamation};
}

Message ViewNotOneLine() {
    return Message{joinLines({"The lines shown cannot be rebuilt by one command line (a deletion",
                              "undone after a sort, or a sort on words on both sides of the",
                              "keyword). Nothing was copied."}),
                   " Copy as command line", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::core::msg
