#include "export/messages.h"

#include "core/text_codec.h"

#include <cstring>

namespace lexmora::exporting::msg {

namespace {

Message box(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

} // namespace

Message CannotWriteTable(const std::string& name, int errorNumber) {
    return box(joinLines({"Cannot write " + utf8ToCp1252(name),
                          utf8ToCp1252(std::strerror(errorNumber)), "Nothing was saved."}),
               " File problem", Buttons::Ok, Icon::Exclamation);
}

Message DiskFullWritingTable(const std::string& name) {
    return box(joinLines({"The disk is full - " + utf8ToCp1252(name) + " was not saved.",
                          "Nothing was left half-written."}),
               " Disk full", Buttons::Ok, Icon::Exclamation);
}

Message TableFileExists(const std::string& name) {
    return box(joinLines({utf8ToCp1252(name) + " already exists and was kept.",
                          "Choose another name, or agree to replace it."}),
               " File exists", Buttons::Ok, Icon::Exclamation);
}

Message ReplaceTableFile(const std::string& name) {
    return box(utf8ToCp1252(name) + " already exists - replace it?", " File exists", Buttons::YesNo,
               Icon::Question);
}

Message WorkbookFailed(const std::string& name, const std::string& reason) {
    return box(joinLines({"Cannot write the workbook " + utf8ToCp1252(name), reason,
                          "Nothing was saved."}),
               " File problem", Buttons::Ok, Icon::Exclamation);
}

Message WorkbookNeedsFile() {
    return box("A workbook (xlsx) is written to a file: name one.", " Export", Buttons::Ok,
               Icon::Exclamation);
}

Message ExportStopped(const std::string& name) {
    return box(utf8ToCp1252(name) + " was not saved: the export was stopped.", " Export",
               Buttons::Ok, Icon::Information);
}

} // namespace lexmora::exporting::msg
