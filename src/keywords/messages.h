// The messages of keyword entry and keyword files, worded as the program shows them.
#pragma once

#include "codes/messages.h" // a keyword file that cannot be opened is told as a code file is
#include "core/message.h"

#include <cstddef>
#include <string>

namespace lexmora::keywords::msg {

// --- keyword entry (OK button, exclamation icon) ----------------------------------------------
Message NoSpecialCharsInExcludes();         // "*", wildcard, "+" or "/" in exclude mode
Message NoProcedureInExcludes();            // open bracket in exclude mode
Message NoOperatorAfterWildcard();          // "+" or "/" right after "*" or the wildcard
Message AfterOpenBracket(char openBracket); // neither "<" nor "=" after the open bracket
Message CloseBrackets(char closeBracket);   // a non-digit inside a condition
Message IdentifyKeywordFirst();             // exclude option with no keyword selected
// The keyword window's help: the exclamation icon, where the main window shows none.
Message HelpFileMissingWarning();

// --- keyword files and lists ------------------------------------------------------------------
Message KeepExistingKeywords(std::size_t held);  // main window's load (Yes/No)
Message AddToExistingKeywords(std::size_t held); // main window's load (OK/Cancel)
Message KeepKeywordsInWindow(std::size_t held);  // keyword window's activation (Yes/No)
Message NotATextFile(const std::string& path);
Message LowOnMemory();
Message LinesLeftOut(const std::string& path, std::size_t overlong, std::size_t unrepresentable);
Message NoKeywordsInFiles();
Message ListOverflow(std::size_t count); // more keywords than the list box holds
Message ListFull();                      // a typed keyword beyond the capacity
Message NoExcludeMemory();
Message CannotSaveKeywords(const std::string& path);
Message ExcludesNotSaved();

} // namespace lexmora::keywords::msg
