// Every message and question of the word count, the frequency files and the frequency viewer,
// worded as the program shows them (Windows-1252).
#pragma once

#include "core/message.h"
#include "core/messages.h" // MajorFailure and NoNameEntered, shown by other subsystems too

#include <cstdint>
#include <string>

namespace lexmora::wordcount::msg {

Message CannotOpenBucketFiles(const std::string& systemError);
Message NoWordsInFiles();
Message AbandonWordcount();
Message ErrorOpeningFiles();
Message DiskError(int errorNumber);
Message FileMissing(const std::string& name);
Message CountTooLarge(const std::string& what);
Message CannotReadFolder(const std::string& folder, const std::string& errorText);
Message CannotReadSource(const std::string& path, const std::string& errorText);
Message SourceChanged(const std::string& path, std::uint64_t bytesRead, std::uint64_t bytesAtOpen);

// Reliability: a reading side that failed, a pair that could not take its name.
Message CountReadingFailed(const std::string& why);
Message PairNameTaken(const std::string& listName);
Message PairNotPlaced(const std::string& listName, const std::string& systemError);

// The count window's start checks.
Message OutputNameNeeded();
Message TargetIsSourceFolder();
Message ReadOnlyTargetFolder();
Message RemovableDiskLow(double freeBytes, const std::string& drive, bool programDrive);
Message NoSourceFilesSelected();
Message NoFilesSelected();
Message CannotMinimise(const std::string& buttonCaption);

// The status while the count runs.
inline constexpr const char* kPerformingCount = "Performing word count...";

Message ListFileExists(const std::string& name);
inline constexpr const char* kNewNamePrompt = "Please enter new name below (max. 50 characters)";

Message CannotOpenList(const std::string& name, const std::string& systemError);
Message CannotOpenIndex(const std::string& indexName, const std::string& listName);
Message InvalidFile(const std::string& name);
Message MismatchedPair(const std::string& listName, const std::string& indexName,
                       const std::string& why);

Message NoWordEntered();
Message CannotPrint();
Message CannotFindMatch();
Message SlowWordSearch();
Message MinimumAboveMaximum();
Message SaveDetailsWhere(const std::string& folder);
Message CannotSaveDetails();
Message DetailsSaved(const std::string& path);

// The program's error numbers for a POSIX error of a file operation.
int errorNumberOf(int posixError);

} // namespace lexmora::wordcount::msg
