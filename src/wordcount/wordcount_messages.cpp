#include "wordcount/wordcount_messages.h"

#include <cerrno>

namespace lexmora::wcmsg {

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

Message cannotOpenBucketFiles(const std::string& systemError) {
    return make("Cannot open files to save results to -\nreturning to main window!", systemError,
                Buttons::Ok, Icon::None);
}

Message noWordsInFiles() {
    return make("Files unsuitable or no words in files!  \nCannot continue.", " Aborting wordcount",
                Buttons::Ok, Icon::Exclamation);
}

Message abandonWordcount() {
    return make("You have just pressed \xAB Exit \xBB -\ndo you wish to return to main screen?",
                " Abandon Wordcount", Buttons::YesNo, Icon::Question);
}

Message errorOpeningFiles() {
    return make("Cannot continue - returning to Main Window!  ", " Error opening files!",
                Buttons::Ok, Icon::Exclamation);
}

Message diskError(int errorNumber) {
    const char* text = diskErrorText(errorNumber);
    const Buttons buttons =
        (errorNumber == 71 || errorNumber == 70) ? Buttons::RetryCancel : Buttons::AbortRetryIgnore;
    if (text == nullptr)
        return make("Unanticipated error no: " + std::to_string(errorNumber) +
                        "\nCannot continue -",
                    " Disk Error", Buttons::AbortRetryIgnore, Icon::Exclamation);
    return make(text, " Disk Error", buttons, Icon::Exclamation);
}

Message fileMissing(const std::string& name) {
    return make("Cannot find file " + name, " File error", Buttons::AbortRetryIgnore,
                Icon::Exclamation);
}

Message majorFailure() {
    return make("Major file or device failure!\nReturning to main menu", "", Buttons::Ok,
                Icon::Exclamation);
}

Message countTooLarge(const std::string& what) {
    return make("The count is too large for a word list:\n" + what +
                    "\nCount the files in smaller sets.",
                " Count too large", Buttons::Ok, Icon::Exclamation);
}

Message fileExists(const std::string& name) {
    return make("file \xAB " + name + ".lst \xBB already exists:\ndo you wish to overwrite it?",
                " File already exists!", Buttons::YesNo, Icon::Question);
}

Message noNameEntered() {
    return make("Do you wish to continue?", " You have not entered a name!", Buttons::YesNo,
                Icon::Question);
}

Message cannotOpenList(const std::string& name, const std::string& systemError) {
    return make("Cannot open file " + name + "\n" + systemError, " Error opening file",
                Buttons::RetryCancel, Icon::Exclamation);
}

Message cannotOpenIndex(const std::string& indexName, const std::string& listName) {
    return make("Cannot open file - check that " + indexName + "\nis in same folder as " + listName,
                " Error opening file", Buttons::RetryCancel, Icon::Exclamation);
}

Message invalidFile(const std::string& name) {
    return make("\xAB " + name + " \xBB is either the wrong type\nof file or it has been " +
                    "corrupted. \n\nSelect another file. ",
                "Invalid file!", Buttons::Ok, Icon::Exclamation);
}

Message mismatchedPair(const std::string& listName, const std::string& indexName,
                       const std::string& why) {
    return make("\xAB " + listName + " \xBB and its index \xAB " + indexName +
                    " \xBB do not match\n(" + why + ").\n\nSelect another file. ",
                "Invalid file!", Buttons::Ok, Icon::Exclamation);
}

Message cannotFindMatch() {
    return make("Cannot find match", "Search unsuccessful", Buttons::Ok, Icon::Information);
}

Message slowWordSearch() {
    return make("Word searches on non-alphabetically sorted files may be slow", "Word search",
                Buttons::Ok, Icon::Information);
}

Message minimumAboveMaximum() {
    return make("Your minimum is higher than your maximum", " Error in entering values !",
                Buttons::RetryCancel, Icon::Exclamation);
}

Message saveDetailsWhere(const std::string& folder) {
    return make("Results will be saved with the extension \xAB lex \xBB to folder:\n\n" + folder +
                    "\n\ndo you wish to save to a different drive or folder?",
                "", Buttons::YesNoCancel, Icon::Question);
}

Message cannotSaveDetails() {
    return make("Cannot continue", " Error!", Buttons::Ok, Icon::Exclamation);
}

Message detailsSaved(const std::string& path) {
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

} // namespace lexmora::wcmsg
