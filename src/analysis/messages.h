// Every message the analysis tools show, worded as the program words it (Windows-1252).
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora::analysis::msg {

// --- N-grams and clusters ---
Message AbandonNgrams();
Message NgramsAbandoned();
Message SizeOutOfRange(const std::string& given);
Message NoWordsForNgrams();
Message NotATextSource(const std::string& path);
Message CannotMakeSpillFolder(const std::string& folder, const std::string& errorText);
Message SpillFailed(const std::string& folder, const std::string& errorText);
Message NgramFileDamaged(const std::string& name, const std::string& reason);
Message NotAnNgramFile(const std::string& name);
Message NgramFileTooNew(const std::string& name, int version);
Message CannotReadNgramFile(const std::string& name, const std::string& errorText);
Message CannotSaveNgrams(const std::string& name, const std::string& errorText);
Message NgramFileExists(const std::string& name);
Message ClusterSizeOutOfRange(const std::string& given);
Message AbandonClusters();
// --- end of n-grams and clusters ---

} // namespace lexmora::analysis::msg
