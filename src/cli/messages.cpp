#include "cli/messages.h"

#include "core/text_codec.h"

namespace lexmora::cli::msg {

Message ResultNameNeeded() {
    return Message{"You must enter a name for the file to save the results to", "File name needed",
                   Buttons::OkCancel, Icon::Exclamation};
}

Message ResultNameHasFolder(const std::string& name) {
    return Message{
        joinLines({"The name " + utf8ToCp1252(name) + " holds a folder -",
                   "give a file name only: the files go to the frequency files folder."}),
        "File name needed", Buttons::Ok, Icon::Exclamation};
}

Message NoSourceFilesSelected() {
    return Message{"You have not selected any source files", "", Buttons::OkCancel,
                   Icon::Exclamation};
}

Message CannotFindFrequencyFolder(const std::string& folder) {
    return Message{"Cannot find folder:\r\n" + folder, "Folder error", Buttons::RetryCancel,
                   Icon::Exclamation};
}

Message NotACountSource(const std::string& path, const std::string& kind) {
    return Message{joinLines({"Cannot count " + utf8ToCp1252(path) + " -",
                              "it is " + kind + ", not a file; it is left out."}),
                   " File error", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::cli::msg
