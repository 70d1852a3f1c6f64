// Every message of the table writers, worded as the program words it (Windows-1252).
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora::exporting::msg {

// `name` is a path on disk (UTF-8); `errorNumber` the system's error.
Message CannotWriteTable(const std::string& name, int errorNumber);
Message DiskFullWritingTable(const std::string& name);
Message TableFileExists(const std::string& name);  // kept: the user did not agree to replace it
Message ReplaceTableFile(const std::string& name); // the question before replacing
Message WorkbookFailed(const std::string& name, const std::string& reason);
Message WorkbookNeedsFile();
Message ExportStopped(const std::string& name); // the user stopped it: nothing was written

} // namespace lexmora::exporting::msg
