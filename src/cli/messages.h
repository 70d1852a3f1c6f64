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
// A path given to the count that is there but is no file or folder (kind: "a FIFO", "a socket").
Message NotACountSource(const std::string& path, const std::string& kind);

} // namespace lexmora::cli::msg
