#include "ui/messages.h"

namespace lexmora::ui::msg {

Message AnotherCopyRunning() {
    return Message{joinLines({"There is an instance of KWIC-LEXMORA already loaded.",
                              "Do you wish to continue loading?"}),
                   " Application already running", Buttons::YesNo, Icon::Exclamation};
}

Message NoTargetFolderSelected() {
    return Message{"You have not selected a target folder!", "", Buttons::Ok, Icon::Exclamation};
}

Message HelpFileMissing() {
    return Message{"Cannot find help file!", "File missing", Buttons::Ok, Icon::None};
}

Message CannotAccessDrive(const std::string& languageText) {
    return Message{languageText.empty() ? "Cannot access drive!" : languageText, "", Buttons::Ok,
                   Icon::Exclamation};
}

Message CannotOpenForViewing(const std::string& errorText) {
    return Message{errorText, "Problem opening file!", Buttons::Ok, Icon::Exclamation};
}

Message SwitchFileAccess(bool writeToFiles) {
    const std::string readOnly = "read-only (ie cannot be edited) ";
    const std::string readWrite = "read-write (ie can be edited) ";
    const std::string& now = writeToFiles ? readWrite : readOnly;
    const std::string& other = writeToFiles ? readOnly : readWrite;
    return Message{joinLines({"Text files you open will be " + now + "-",
                              "do you wish to change to " + other + "?"}),
                   " File access", Buttons::YesNo, Icon::Question};
}

Message PrinterNotOpened() {
    return Message{"The printer could not be opened - nothing was printed.", " Printer problem",
                   Buttons::Ok, Icon::Exclamation};
}

// --- table windows (collocates, keyness, ...) ---

Message AbandonAnalysis() {
    return Message{joinLines({"Do you want to stop the analysis?", "Nothing of it will be kept."}),
                   " Stop", Buttons::YesNo, Icon::Question};
}

// --- recent files and dropped files ---
Message RecentFileGone(const std::string& name) {
    return Message{joinLines({name + " is no longer there.", "It is taken off the recent files."}),
                   " Recent files", Buttons::Ok, Icon::Exclamation};
}

Message NothingToTakeFromDrop() {
    return Message{joinLines({"Nothing here can be searched or opened.",
                              "Drop source files or folders, a result file (.dmp) or a word "
                              "list (.lst)."}),
                   " Drop", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::ui::msg
