// Every message the result viewer shows, worded as the program words it (Windows-1252).
#pragma once

#include "core/message.h"
#include "search/messages.h" // CannotContinue, shown by record details too

#include <cstdint>
#include <string>

namespace lexmora::viewer::msg {

Message CannotOpenFile(const std::string& name, bool tryingNext, const std::string& errorText);
Message EmptyFile();
Message DeleteEmptyFile(const std::string& name);
Message NotAResultFile(const std::string& name);
Message DamagedFile(const std::string& name, const std::string& reason);
Message IncompleteLastRecord(const std::string& name, std::uint64_t bytes);
Message ExitQuestion();
Message SaveChangesOnLeaving();
Message LogNotFound(const std::string& logName);
Message NoSortValues();
Message SortFailed(int errorNumber);
Message CollocationNeedsSort();
Message DeleteItems(std::int64_t count);
Message StartAfterFinish();
Message NotEnoughMemoryToCopy();
Message NotEnoughMemoryToAdd();
Message StringTooLong();
Message DeletePresentString();
Message ExtractSaveFailed(); // "File problem -Could not save text!"
Message TextSaved(const std::string& folder, const std::string& name);
Message CannotCreateOutput(const std::string& name);
Message SaveChangesTo(const std::string& name);
Message DiscProblem();
Message PrinterReady();
Message PrintMoreOnPage();
Message DetailsSaveFailed(); // "File problem - Could not save text!"
Message LogEntryMissing(const std::string& logName, std::int32_t entry);
Message LogEntryMismatch(const std::string& logName, std::int32_t entry);
Message NoDetailsForFile();
// "Find in Lines": how many of the lines shown hold the word, and none of them does.
Message LinesHoldingWord(std::int64_t holding, std::int64_t shown, const std::string& word);
Message NoLineHoldsWord(const std::string& word);

} // namespace lexmora::viewer::msg
