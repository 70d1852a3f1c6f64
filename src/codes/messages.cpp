#include "codes/messages.h"

#include "core/text_codec.h"

namespace lexmora::codes::msg {

Message CannotOpenFileTryingNext(const std::string& name) {
    return Message{"Cannot open file " + utf8ToCp1252(name) + " - trying next...", "", Buttons::Ok,
                   Icon::Exclamation};
}

Message DamagedCodeFile(const std::string& name, const std::string& reason) {
    return Message{joinLines({"The code file " + utf8ToCp1252(name) + " is damaged:", reason,
                              "Files in its code may not be read right."}),
                   " Code file", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::codes::msg
