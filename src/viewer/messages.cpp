#include "viewer/messages.h"

#include "core/text_codec.h"

namespace lexmora::viewer::msg {

namespace {

Message box(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

} // namespace

Message CannotOpenFile(const std::string& name, bool tryingNext, const std::string& errorText) {
    std::string text = "Cannot open file " + utf8ToCp1252(name);
    if (tryingNext)
        text += " - trying next file...";
    if (!errorText.empty())
        text += kLineBreak + errorText;
    return box(text, "", Buttons::Ok, Icon::Exclamation);
}

Message EmptyFile() {
    return box(joinLines({"Cannot continue - the file is empty.", "Please make new selection..."}),
               " Empty file !", Buttons::Ok, Icon::Exclamation);
}

Message DeleteEmptyFile(const std::string& name) {
    return box("Delete the empty file " + name + " ?", " Empty file !", Buttons::YesNo,
               Icon::Question);
}

Message NotAResultFile(const std::string& name) {
    return box(joinLines({"Cannot view " + name + " -",
                          "it is neither a result file nor a file of text lines."}),
               " Not a result file", Buttons::Ok, Icon::Exclamation);
}

Message DamagedFile(const std::string& name, const std::string& reason) {
    return box(joinLines({"Cannot view " + name + " - the file is damaged:", reason}),
               " Damaged file !", Buttons::Ok, Icon::Exclamation);
}

Message IncompleteLastRecord(const std::string& name, std::uint64_t bytes) {
    return box(joinLines({name + " ends with an incomplete record:",
                          "its last " + std::to_string(bytes) + " bytes are not shown."}),
               " Incomplete file", Buttons::Ok, Icon::Exclamation);
}

Message ExitQuestion() {
    return box(
        joinLines({"You have just pressed \xAB Exit \xBB  - ", "do you wish to view more files?"}),
        " About to return to main screen", Buttons::YesNoCancel, Icon::Question);
}

Message SaveChangesOnLeaving() {
    return box("Do you wish to save changes made?", "Save changes to file?", Buttons::YesNo,
               Icon::Question);
}

Message LogNotFound(const std::string& logName) {
    return box("Sorry - cannot find " + logName, "File not found", Buttons::RetryCancel,
               Icon::Exclamation);
}

Message NoSortValues() {
    return box("You have not entered any value in the boxes", " No values entered!",
               Buttons::RetryCancel, Icon::Exclamation);
}

Message SortFailed(int errorNumber) {
    return box(joinLines({"The following error " + std::to_string(errorNumber) + " has occurred -",
                          "Cannot continue with the sort"}),
               "", Buttons::Ok, Icon::Exclamation);
}

Message CollocationNeedsSort() {
    return box(joinLines({"Before you can perform a collocation", "you must first perform a sort"}),
               "", Buttons::Ok, Icon::Exclamation);
}

Message DeleteItems(std::int64_t count) {
    return box("Continue with the deletion of " + std::to_string(count) + " items?",
               "About to delete items", Buttons::YesNo, Icon::Question);
}

Message StartAfterFinish() {
    return box("Your start point is higher than your finish", " Error in entering values !",
               Buttons::RetryCancel, Icon::Exclamation);
}

Message NotEnoughMemoryToCopy() {
    return box(joinLines({"There is not enough memory available to copy all strings to clipboard!",
                          "Begin again and either free memory or break the task down into "
                          "smaller sections."}),
               " String too long!", Buttons::Ok, Icon::Exclamation);
}

Message NotEnoughMemoryToAdd() {
    return box(joinLines({"There is not enough memory to add any more to clipboard!",
                          "Exit, paste string and then continue by using \xAB"
                          "Copy to "
                          "clipboard\xBB."}),
               " Out of string space!", Buttons::Ok, Icon::Exclamation);
}

Message StringTooLong() {
    return box("String is too long to store in memory!", " String too long!", Buttons::Ok,
               Icon::Exclamation);
}

Message DeletePresentString() {
    return box("Do you wish to delete present string?", " String too long!", Buttons::YesNo,
               Icon::Question);
}

Message ExtractSaveFailed() {
    return box("File problem -Could not save text!", "", Buttons::Ok, Icon::Exclamation);
}

Message TextSaved(const std::string& folder, const std::string& name) {
    return box(joinLines({folder, "text has been saved to: " + name}), "", Buttons::Ok,
               Icon::Information);
}

Message CannotCreateOutput(const std::string& name) {
    return box(joinLines({"Cannot continue", "the file " + name + " cannot be written."}), "",
               Buttons::Ok, Icon::Exclamation);
}

Message SaveChangesTo(const std::string& name) {
    return box(joinLines({"Changes will be saved to file:", name}), "Save changes?",
               Buttons::OkCancel, Icon::Information);
}

Message DiscProblem() {
    return box(" Disc problem", "", Buttons::Ok, Icon::Exclamation);
}

Message PrinterReady() {
    return box(joinLines({"Please check that the printer is ready",
                          "Then click on \xAB Ok \xBB to continue"}),
               " About to send text to printer", Buttons::OkCancel, Icon::Information);
}

Message PrintMoreOnPage() {
    return box(joinLines({"Do you want to print more text on the same page?", "",
                          "In order not to monopolise the printer,    ",
                          "printing will be held in memory until",
                          "either you click on \xAB No \xBB or exit the viewer.    "}),
               " Printing sent to spooler...", Buttons::YesNo, Icon::Question);
}

Message DetailsSaveFailed() {
    return box("File problem - Could not save text!", "", Buttons::Ok, Icon::Exclamation);
}

Message LogEntryMissing(const std::string& logName, std::int32_t entry) {
    return box(joinLines({"Cannot find entry " + std::to_string(entry) + " in the log file",
                          logName + " - no record details can be shown."}),
               "File not found", Buttons::Ok, Icon::Exclamation);
}

Message LogEntryMismatch(const std::string& logName, std::int32_t entry) {
    return box(joinLines({"Entry " + std::to_string(entry) + " of the log file " + logName,
                          "names another source file than the record - the log does not "
                          "belong to this result file."}),
               "File not found", Buttons::Ok, Icon::Exclamation);
}

Message NoDetailsForFile() {
    return box(joinLines({"Record details need a result file of this program",
                          "with its log file beside it."}),
               "", Buttons::Ok, Icon::Exclamation);
}

Message LinesHoldingWord(std::int64_t holding, std::int64_t shown, const std::string& word) {
    return box(joinLines({std::to_string(holding) + " of the " + std::to_string(shown) +
                              " lines shown hold \"" + word + "\".",
                          "Restore all Deletions brings the others back."}),
               " Find in lines", Buttons::Ok, Icon::Information);
}

Message NoLineHoldsWord(const std::string& word) {
    return box("No line shown holds \"" + word + "\".", " Find in lines", Buttons::Ok,
               Icon::Information);
}

} // namespace lexmora::viewer::msg
