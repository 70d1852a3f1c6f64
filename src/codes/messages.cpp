#include "codes/messages.h"

namespace lexmora::codes::msg {

Message CannotOpenFileTryingNext() {
    return Message{"Cannot open file - trying next...", "", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora::codes::msg
