#include "wordcount/messages.h"

#include "core/text_codec.h"

#include <cerrno>
#include <cstdint>

namespace lexmora::wordcount::msg {

namespace {

// Texts are written with "\n"; a message box line break is CR LF.
Message make(const std::string& text, std::string title, Buttons buttons, Icon icon) {
    std::string withBreaks;
    withBreaks.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n')
            withBreaks += kLineBreak;
        else
            withBreaks += c;
    }
    return Message{std::move(withBreaks), std::move(title), buttons, icon};
}

const char* diskErrorText(int n) {
    switch (n) {
    case 68:
        return "That device seems to be unavailable";
    case 71:
        return "Insert disk in drive, and close drive door";
    case 57:
        return "Internal disk error";
    case 61:
        return "    Disk is full !";
    case 52:
    case 64:
        return "Filename or number is illegal";
    case 53:
    case 75:
    case 76:
        return "That folder or file wasn't found";
    case 54:
        return "Can't open your file for that type of access.";
    case 55:
        return "This file is already open";
    case 62:
        return "Tried to read past end-of-file marker";
    case 70:
        return "Permision denied";
    default:
        return nullptr;
    }
}

} // namespace

Message CannotOpenBucketFiles(const std::string& systemError) {
    return make("Cannot open files to save results to -\nreturning to main window!", systemError,
                Buttons::Ok, Icon::None);
}

Message NoWordsInFiles() {
    return make("Files unsuitable or no words in files!  \nCannot continue.", " Aborting wordcount",
                Buttons::Ok, Icon::Exclamation);
}

Message AbandonWordcount() {
    return make("You have just pressed \xAB Exit \xBB -\ndo you wish to return to main screen?",
                " Abandon Wordcount", Buttons::YesNo, Icon::Question);
}

Message ErrorOpeningFiles() {
    return make("Cannot continue - returning to Main Window!  ", " Error opening files!",
                Buttons::Ok, Icon::Exclamation);
}

Message DiskError(int errorNumber) {
    const char* text = diskErrorText(errorNumber);
    const Buttons buttons =
        (errorNumber == 71 || errorNumber == 70) ? Buttons::RetryCancel : Buttons::AbortRetryIgnore;
    if (text == nullptr)
        return make("Unanticipated error no: " + std::to_string(errorNumber) +
                        "\nCannot continue -",
                    " Disk Error", Buttons::AbortRetryIgnore, Icon::Exclamation);
    return make(text, " Disk Error", buttons, Icon::Exclamation);
}

Message FileMissing(const std::string& name) {
    return make("Cannot find file " + name, " File error", Buttons::AbortRetryIgnore,
                Icon::Exclamation);
}

Message CountTooLarge(const std::string& what) {
    return make("The count is too large for a word list:\n" + what +
                    "\nCount the files in smaller sets.",
                " Count too large", Buttons::Ok, Icon::Exclamation);
}

Message OutputNameNeeded() {
    return make("You must enter a name for the file to save the results to", "File name needed",
                Buttons::OkCancel, Icon::Exclamation);
}

Message TargetIsSourceFolder() {
    return make("Your target folder is the same as your source folder!   \n"
                "    Please select a new target folder.  ",
                " Paths incompatible!", Buttons::OkCancel, Icon::Exclamation);
}

Message ReadOnlyTargetFolder() {
    return make("Your target folder is read-only -\nyou must change folder", " Read-Only Folder",
                Buttons::OkCancel, Icon::Exclamation);
}

Message RemovableDiskLow(double freeBytes, const std::string& drive, bool programDrive) {
    const auto kbytes = static_cast<std::int64_t>(freeBytes) / 1024;
    return make("There are only " + std::to_string(kbytes) + " KBytes free on drive " +
                    utf8ToCp1252(drive) + "\nThis may not be enough - " +
                    (programDrive ? "do you wish to change drive?" : "do you wish to change disk?"),
                " Disk space is low!", Buttons::YesNoCancel, Icon::Exclamation);
}

Message NoSourceFilesSelected() {
    return make("You have not selected any source files", "", Buttons::OkCancel, Icon::Exclamation);
}

Message NoFilesSelected() {
    return make("You have not selected any files !", " No files !", Buttons::Ok, Icon::Exclamation);
}

Message CannotMinimise(const std::string& buttonCaption) {
    return make("You cannot minimise this window during active word count! \n"
                "You must first click on \xAB " +
                    buttonCaption + " \xBB ",
                " Action not permitted!", Buttons::Ok, Icon::Exclamation);
}

Message CannotReadFolder(const std::string& folder, const std::string& errorText) {
    return make("Cannot read the folder " + utf8ToCp1252(folder) +
                    " -\nits files and sub-folders are not counted.\n" + errorText,
                " Folder error", Buttons::Ok, Icon::Exclamation);
}

Message CannotReadSource(const std::string& path, const std::string& errorText) {
    return make("Cannot read file " + utf8ToCp1252(path) + " -\nit is not counted.\n" + errorText,
                " File error", Buttons::Ok, Icon::Exclamation);
}

Message SourceChanged(const std::string& path, std::uint64_t bytesRead, std::uint64_t bytesAtOpen) {
    return make(utf8ToCp1252(path) + " changed while it was counted:\n" +
                    std::to_string(bytesRead) + " bytes read of the " +
                    std::to_string(bytesAtOpen) + " it held when opened.",
                " File changed", Buttons::Ok, Icon::Exclamation);
}

// Reliability: a reading side that failed, a pair that could not take its name.
Message CountReadingFailed(const std::string& why) {
    return make("The source files could not be read on: " + why + ".\nCannot continue.",
                " Aborting wordcount", Buttons::Ok, Icon::Exclamation);
}

Message PairNameTaken(const std::string& listName) {
    return make("Another run saved \xAB " + listName +
                    " \xBB while this count ran:\nit is kept, and this count is not saved.",
                " File already exists!", Buttons::Ok, Icon::Exclamation);
}

Message PairNotPlaced(const std::string& listName, const std::string& systemError) {
    return make("The word list \xAB " + listName + " \xBB could not be saved:\n" + systemError,
                " Error saving files!", Buttons::Ok, Icon::Exclamation);
}

Message ListFileExists(const std::string& name) {
    return make("file \xAB " + name + ".lst \xBB already exists:\ndo you wish to overwrite it?",
                " File already exists!", Buttons::YesNo, Icon::Question);
}

Message CannotOpenList(const std::string& name, const std::string& systemError) {
    return make("Cannot open file " + name + "\n" + systemError, " Error opening file",
                Buttons::RetryCancel, Icon::Exclamation);
}

Message CannotOpenIndex(const std::string& indexName, const std::string& listName) {
    return make("Cannot open file - check that " + indexName + "\nis in same folder as " + listName,
                " Error opening file", Buttons::RetryCancel, Icon::Exclamation);
}

Message InvalidFile(const std::string& name) {
    return make("\xAB " + name + " \xBB is either the wrong type\nof file or it has been " +
                    "corrupted. \n\nSelect another file. ",
                "Invalid file!", Buttons::Ok, Icon::Exclamation);
}

Message MismatchedPair(const std::string& listName, const std::string& indexName,
                       const std::string& why) {
    return make("\xAB " + listName + " \xBB and its index \xAB " + indexName +
                    " \xBB do not match\n(" + why + ").\n\nSelect another file. ",
                "Invalid file!", Buttons::Ok, Icon::Exclamation);
}

Message NoWordEntered() {
    return make("You have not entered a word - do you wish to continue?", "Word search",
                Buttons::YesNo, Icon::Question);
}

Message CannotPrint() {
    return make("Cannot open the printer -\nnothing was printed.", " Print error", Buttons::Ok,
                Icon::Exclamation);
}

Message CannotFindMatch() {
    return make("Cannot find match", "Search unsuccessful", Buttons::Ok, Icon::Information);
}

Message SlowWordSearch() {
    return make("Word searches on non-alphabetically sorted files may be slow", "Word search",
                Buttons::Ok, Icon::Information);
}

Message MinimumAboveMaximum() {
    return make("Your minimum is higher than your maximum", " Error in entering values !",
                Buttons::RetryCancel, Icon::Exclamation);
}

Message SaveDetailsWhere(const std::string& folder) {
    return make("Results will be saved with the extension \xAB lex \xBB to folder:\n\n" + folder +
                    "\n\ndo you wish to save to a different drive or folder?",
                "", Buttons::YesNoCancel, Icon::Question);
}

Message CannotSaveDetails() {
    return make("Cannot continue", " Error!", Buttons::Ok, Icon::Exclamation);
}

Message DetailsSaved(const std::string& path) {
    return make("Details saved under filename:\n" + path, "Operation finished", Buttons::Ok,
                Icon::Information);
}

int errorNumberOf(int posixError) {
    switch (posixError) {
    case ENOSPC:
    case EDQUOT:
        return 61;
    case EACCES:
    case EPERM:
    case EROFS:
        return 70;
    case ENOENT:
    case ENOTDIR:
        return 76;
    case EIO:
        return 57;
    case ENXIO:
    case ENODEV:
        return 68;
    case EBADF:
    case ENAMETOOLONG:
        return 52;
    default:
        return 1000 + posixError; // outside the program's own numbers
    }
}

} // namespace lexmora::wordcount::msg
