#include "core/message.h"

namespace lexmora {

std::string joinLines(std::initializer_list<std::string> lines) {
    std::string text;
    bool first = true;
    for (const auto& line : lines) {
        if (!first)
            text += kLineBreak;
        text += line;
        first = false;
    }
    return text;
}

Answer safeAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::No;
    case Buttons::AbortRetryIgnore:
        return Answer::Abort;
    }
    return Answer::Cancel;
}

} // namespace lexmora
