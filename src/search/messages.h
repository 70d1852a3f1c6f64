// Every message of the search: the checks before a run, the run itself, the result files and the
// live KWIC screen, worded as the program shows them (Windows-1252).
#pragma once

#include "core/message.h"
#include "core/messages.h" // MajorFailure, shown by the run as by the word count

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
// The run's question after a failed summary line ("File problem", OK/Cancel).
Message CannotPrintToSummaryAskContinue();
Message SeeSummary();
Message EndOfSearch();
Message MoreResults();

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

} // namespace lexmora::search::msg
