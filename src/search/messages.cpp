#include "search/messages.h"

#include "core/text_codec.h"

#include <cmath>
#include <cstdint>

namespace lexmora::search::msg {

namespace {

Message exclamation(std::string text) {
    return Message{std::move(text), "", Buttons::Ok, Icon::Exclamation};
}

} // namespace

Message SelectSourceFiles() {
    return Message{" Please select source files.  ", " Cannot continue...", Buttons::OkCancel,
                   Icon::Exclamation};
}

Message SourceDiskChanged() {
    return Message{
        joinLines({"You appear to have removed or changed the disk with the sourcefiles on.  ",
                   "You must either replace the original disk or cancel the search."}),
        " Cannot find disk", Buttons::RetryCancel, Icon::Exclamation};
}

Message NoTargetFolder() {
    return Message{"You have not selected a target folder", "Warning", Buttons::OkCancel,
                   Icon::Exclamation};
}

Message TargetIsSource() {
    return Message{joinLines({"Your target folder is the same as your source folder!  ",
                              "       Please select another target folder."}),
                   "Warning", Buttons::OkCancel, Icon::Exclamation};
}

Message ReadOnlyTarget() {
    return Message{joinLines({"Your target folder is read-only -", "you must change folder"}),
                   " Read-Only Folder", Buttons::OkCancel, Icon::Exclamation};
}

Message TargetInSearchPath() {
    return Message{joinLines({"Your target folder lies in your search path!",
                              "You must save the results to a different folder or disk"}),
                   "Warning", Buttons::OkCancel, Icon::Exclamation};
}

Message EnterKeywords() {
    return Message{" Please enter keyword(s).   ", " Cannot continue...", Buttons::OkCancel,
                   Icon::Exclamation};
}

Message SaveToCdRom() {
    return Message{"You cannot save results to a CD_ROM disk -do you wish to change drive?",
                   " Trying to  save to CDROM !", Buttons::YesNo, Icon::Exclamation};
}

Message RemovableDiskLow(double freeBytes, const std::string& drive, bool sameDrive) {
    const auto kbytes = static_cast<std::int64_t>(std::llround(freeBytes)) / 1024;
    return Message{
        joinLines(
            {"There are only " + std::to_string(kbytes) + " KBytes free on drive " + drive,
             std::string("This may not be enough - ") +
                 (sameDrive ? "do you wish to change drive?" : "do you wish to change disk?")}),
        " Disk space is low!", Buttons::YesNoCancel, Icon::Exclamation};
}

Message AbandonSearch() {
    return Message{joinLines({"You have just pressed \xAB Exit \xBB -",
                              "do you wish to return to main screen?"}),
                   " Abandon Search", Buttons::YesNo, Icon::Question};
}

Message CannotOpenDumpfile() {
    return exclamation("Cannot open dumpfile - return to main menu!");
}

Message RecordTooLong(int leftContext, long long keywordLength, int rightContext) {
    return Message{joinLines({"Cannot save the results of a keyword of " +
                                  std::to_string(keywordLength) + " characters",
                              "with contexts of " + std::to_string(leftContext) + " and " +
                                  std::to_string(rightContext) + ": a record would be longer",
                              "than 32767 bytes - return to main menu!"}),
                   " Record too long", Buttons::Ok, Icon::Exclamation};
}

Message CannotPrintToSummaryAskContinue() {
    return Message{joinLines({"Cannot print to summary file!", "Do you wish to continue?"}),
                   "File problem", Buttons::OkCancel, Icon::Exclamation};
}

Message SeeSummary() {
    return Message{"Do you wish to see summary of search?   ", " Search finished", Buttons::YesNo,
                   Icon::Question};
}

Message EndOfSearch() {
    return Message{"         Continue    ", " End of search", Buttons::Ok, Icon::None};
}

Message MoreResults() {
    return Message{" Continue viewing results?       ", " More results to follow",
                   Buttons::OkCancel, Icon::Question};
}

Message CannotReadFolder(const std::string& folder, const std::string& errorText) {
    return Message{joinLines({"Cannot read the folder " + utf8ToCp1252(folder) + " -",
                              "its files and sub-folders are not searched.", errorText}),
                   " Folder error", Buttons::Ok, Icon::Exclamation};
}

Message CannotReadSource(const std::string& path, const std::string& errorText) {
    return Message{joinLines({"Cannot read file " + utf8ToCp1252(path) + " -",
                              "it is not searched.", errorText}),
                   " File error", Buttons::Ok, Icon::Exclamation};
}

Message NotASourceFile(const std::string& path, const std::string& kind) {
    return Message{joinLines({"Cannot search " + utf8ToCp1252(path) + " -",
                              "it is " + kind + ", not a file."}),
                   " File error", Buttons::Ok, Icon::Exclamation};
}

Message SourceReadCutShort(const std::string& path, std::uint64_t bytesRead,
                           std::uint64_t bytesAtOpen, const std::string& errorText) {
    return Message{joinLines({"Cannot read file " + utf8ToCp1252(path) + " to its end:",
                              std::to_string(bytesRead) + " bytes read of " +
                                  std::to_string(bytesAtOpen) + ".",
                              errorText}),
                   " File error", Buttons::Ok, Icon::Exclamation};
}

Message SourceChanged(const std::string& path, std::uint64_t bytesRead, std::uint64_t bytesAtOpen) {
    return Message{joinLines({utf8ToCp1252(path) + " changed while it was searched:",
                              std::to_string(bytesRead) + " bytes read of the " +
                                  std::to_string(bytesAtOpen) + " it held when opened."}),
                   " File changed", Buttons::Ok, Icon::Exclamation};
}

// --- regular-expression keywords ---

Message BadRegex(const std::string& expression, const std::string& reason, std::size_t offset) {
    std::string where;
    if (offset != std::string::npos)
        where = " (at character " + std::to_string(offset + 1) + ")";
    return Message{joinLines({"The regular expression " + expression + " cannot be searched for:",
                              reason + where + "."}),
                   " Regular expression", Buttons::Ok, Icon::Exclamation};
}

Message RegexLimitReached(const std::string& expression, const std::string& path) {
    return Message{joinLines({"The regular expression " + expression + " needs too much work in",
                              utf8ToCp1252(path) + " (its match limit was reached) -",
                              "the rest of this file is not searched for it; the search goes on."}),
                   " Regular expression", Buttons::Ok, Icon::Exclamation};
}

Message CannotContinue() {
    return exclamation("Cannot continue");
}

Message CannotPrintToLogfile() {
    return exclamation("Cannot print to logfile");
}

Message CannotPrintToDumpfile() {
    return exclamation("Cannot print to dumpfile");
}

Message CannotPrintToSummary() {
    return exclamation("Cannot print to summary file!");
}

Message TooManyLogEntries() {
    return Message{joinLines({"More than 99999 source files with hits in one search:",
                              "the search stops here and the results so far are kept."}),
                   " Too many files", Buttons::Ok, Icon::Exclamation};
}

Message SelectionLimit(bool inViewer) {
    std::string text = "The maximum number of items you can select is 32767.";
    if (inViewer)
        text = joinLines(
            {text, "There is no limit if you use the 'Extract' options in the main menu."});
    return Message{text, "Selection limit reached", Buttons::Ok, Icon::Exclamation};
}

Message MinimiseRefused() {
    return Message{joinLines({"You cannot minimise this window during active search !", "",
                              "You must first click on \xAB Pause \xBB."}),
                   " Action not permitted!", Buttons::Ok, Icon::Exclamation};
}

// --- Reliability ------------------------------------------------------------------------------

Message NothingToSearchFor(const std::string& keyword) {
    return Message{joinLines({"\xAB " + keyword + " \xBB gives nothing to search for:",
                              "the search passes it over."}),
                   " Keyword skipped", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::search::msg
