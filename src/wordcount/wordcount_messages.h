// Every message and question of the word count, the frequency files and the frequency viewer,
// worded as the program shows them (Windows-1252).
#pragma once

#include "core/message.h"

#include <string>

namespace lexmora::wcmsg {

Message cannotOpenBucketFiles(const std::string& systemError);
Message noWordsInFiles();
Message abandonWordcount();
Message errorOpeningFiles();
Message diskError(int errorNumber);
Message fileMissing(const std::string& name);
Message majorFailure();
Message countTooLarge(const std::string& what);

Message fileExists(const std::string& name);
Message noNameEntered();
inline constexpr const char* kNewNamePrompt = "Please enter new name below (max. 50 characters)";

Message cannotOpenList(const std::string& name, const std::string& systemError);
Message cannotOpenIndex(const std::string& indexName, const std::string& listName);
Message invalidFile(const std::string& name);
Message mismatchedPair(const std::string& listName, const std::string& indexName,
                       const std::string& why);

Message cannotFindMatch();
Message slowWordSearch();
Message minimumAboveMaximum();
Message saveDetailsWhere(const std::string& folder);
Message cannotSaveDetails();
Message detailsSaved(const std::string& path);

// The program's error numbers for a POSIX error of a file operation.
int errorNumberOf(int posixError);

} // namespace lexmora::wcmsg
