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

Message PrinterNotOpened() {
    return Message{"The printer could not be opened - nothing was printed.", " Printer problem",
                   Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::ui::msg
