// Every message of the search: the checks before a run, the run itself, the result files and the
// live KWIC screen, worded as the program shows them (Windows-1252).
#pragma once

#include "core/message.h"
#include "core/messages.h" // MajorFailure, shown by the run as by the word count

#include <cstddef>
#include <cstdint>
#include <string>

namespace lexmora::search::msg {

// --- checks before a run ----------------------------------------------------------------------
Message SelectSourceFiles();
Message SourceDiskChanged();
// "Warning", OK/Cancel, no "!": the main window's own copy of the text ends with "!".
Message NoTargetFolder();
Message TargetIsSource();
Message ReadOnlyTarget();
Message TargetInSearchPath();
Message EnterKeywords();
Message SaveToCdRom();
Message RemovableDiskLow(double freeBytes, const std::string& drive, bool sameDrive);

// --- the run ----------------------------------------------------------------------------------
Message AbandonSearch(); // " Abandon Search"
Message CannotOpenDumpfile();
// A keyword and contexts whose record would pass the 32767 bytes a record may hold.
Message RecordTooLong(int leftContext, long long keywordLength, int rightContext);
// The run's question after a failed summary line ("File problem", OK/Cancel).
Message CannotPrintToSummaryAskContinue();
Message SeeSummary();
Message EndOfSearch();
Message MoreResults();
// Sources that could not be searched, named so that the totals can be trusted: the rest goes on.
Message CannotReadFolder(const std::string& folder, const std::string& errorText);
Message CannotReadSource(const std::string& path, const std::string& errorText);
Message NotASourceFile(const std::string& path, const std::string& kind); // "a FIFO", "a folder"
Message SourceReadCutShort(const std::string& path, std::uint64_t bytesRead,
                           std::uint64_t bytesAtOpen, const std::string& errorText);
Message SourceChanged(const std::string& path, std::uint64_t bytesRead, std::uint64_t bytesAtOpen);

// --- regular-expression keywords -------------------------------------------------------------
// An expression that cannot be searched for: why, and where in it (offset npos: the whole of it).
Message BadRegex(const std::string& expression, const std::string& reason, std::size_t offset);
// A pathological expression stopped by its match or depth limit in one file: the rest of that
// file is not searched for it, the search goes on.
Message RegexLimitReached(const std::string& expression, const std::string& path);

// --- result files -----------------------------------------------------------------------------
// "Cannot continue" with no title: the result files cannot be opened, and record details
// cannot be shown.
Message CannotContinue();
Message CannotPrintToLogfile();
Message CannotPrintToDumpfile();
Message CannotPrintToSummary(); // the writer's own failure, no question
Message TooManyLogEntries();    // entry numbers are five digits

// --- KWIC screen ------------------------------------------------------------------------------
// "Selection limit reached"; the viewer's form adds the hint about the extract options.
Message SelectionLimit(bool inViewer);
// Minimising during an active, unpaused search is refused.
Message MinimiseRefused();

// --- Reliability ------------------------------------------------------------------------------
// A keyword that compiles to nothing to search for ("?*?*") is passed over, and the user told.
Message NothingToSearchFor(const std::string& keyword);

} // namespace lexmora::search::msg
