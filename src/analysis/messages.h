// Every message of the analysis commands, worded once (Windows-1252).
#pragma once

#include "core/message.h"

#include <cstdint>
#include <string>

namespace lexmora::analysis::msg {

// --- dispersion -------------------------------------------------------------------------------
// Notes shown beside the figures (their text) and failures of a dispersion run.
Message DispersionOnlyFilesWithHits();
Message DispersionSingleFile();
Message DispersionFileWithoutWords(const std::string& name);
Message DispersionFileLeftOut(const std::string& name, const std::string& reason);
Message DispersionPartial(std::int64_t hitsLeftOut);
Message DispersionHitsOutsideCorpus(std::int64_t hits);
Message DispersionNoFiles();
Message DispersionUnreadable(int errorNumber);
Message DispersionAbandoned();
Message DispersionAbandonQuestion();
Message DispersionCannotSavePicture(const std::string& name, int errorNumber);
Message DispersionPictureExists(const std::string& name);
// --- end of dispersion ------------------------------------------------------------------------

} // namespace lexmora::analysis::msg
