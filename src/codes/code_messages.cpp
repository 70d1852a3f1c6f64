#include "codes/code_messages.h"

namespace lexmora {

Message MsgCannotOpenCodeFile() {
    return {"Cannot open file - trying next...", "", Buttons::Ok, Icon::Exclamation};
}

} // namespace lexmora
