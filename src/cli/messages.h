// The messages only the command line shows, worded as the desktop program words them
// (Windows-1252; the command line prints them as "title: text").
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora::cli::msg {

// The word count's checks before it starts.
Message ResultNameNeeded();
Message ResultNameHasFolder(const std::string& name); // --out names a file, not a path
Message NoSourceFilesSelected();
// The folder as given, unconverted, with Retry/Cancel (the settings command shows OK only).
Message CannotFindFrequencyFolder(const std::string& folder);

} // namespace lexmora::cli::msg
