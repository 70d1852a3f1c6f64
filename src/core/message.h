// A message or question as the user sees it: text, title, buttons and icon, worded by the program.
#pragma once

#include <string>

namespace lexmora {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

enum class Icon { None, Exclamation, Question, Information, Critical };

// The numbers are those the program stores and compares (1 OK ... 7 No).
enum class Answer { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Texts are Windows-1252; line breaks inside a text are CR LF.
struct Message {
    std::string text;
    std::string title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

inline constexpr const char* kLineBreak = "\r\n";

// Joins lines with CR LF, the line break of every message box text.
std::string joinLines(std::initializer_list<std::string> lines);

// The answer a user takes when no-one is there to ask: never overwrite, never delete, stop.
Answer safeAnswer(Buttons buttons);

} // namespace lexmora
