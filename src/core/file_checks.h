// The checks a run makes before it relies on a folder or a file, with the program's messages
// when one is missing.
#pragma once

#include "core/messages.h"
#include "core/prompter.h"

#include <optional>
#include <string>

namespace lexmora {

// The folder error a failed look-up of a folder stands for (errno as stat left it).
FolderError FolderErrorOf(int error);

// True when the folder is there. A mount point (the Linux "drive root") is checked without a
// message: ready when removable, else true. A missing folder shows "Folder error" and returns
// false with the button pressed in `answer`.
bool CheckFolder(const std::string& path, Answer& answer, Prompter& prompter);

// Nothing when the file is there; else shows " File error" (Abort/Retry/Ignore) and returns the
// button pressed.
std::optional<Answer> CheckFileExists(const std::string& name, Prompter& prompter);

} // namespace lexmora
