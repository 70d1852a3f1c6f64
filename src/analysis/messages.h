// Every message of the analysis commands (collocates, clusters, dispersion), worded once
// (Windows-1252).
#pragma once

#include "core/message.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lexmora::analysis::msg {

// --- Hit walk ----------------------------------------------------------------------------------
Message NoSourcesInResultFile(const std::string& name);
Message DamagedRecordsLeftOut(std::int64_t records);
Message FilesLeftOut(std::int64_t hits, const std::vector<std::string>& files);
Message HitsNotFound(std::int64_t hits, const std::vector<std::string>& files);

// --- Collocates --------------------------------------------------------------------------------
Message SpanOutOfRange();
Message SpanBothZero();
Message StopListUnreadable(const std::string& path, int error);
Message WordListUnreadable(const std::string& path, const std::string& reason);
Message CorpusFileUnreadable(const std::string& path, int error);
Message CorpusEmpty();
Message CorpusIsFilesWithHits();
Message WordListMismatch(std::int64_t collocates, const std::string& examples);
Message OverlappedCollocates(std::int64_t collocates);
Message NoHitsToWalk();

} // namespace lexmora::analysis::msg
