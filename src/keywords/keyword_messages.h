// The messages of keyword entry, worded as the program shows them (OK button, exclamation icon).
#pragma once

#include "core/message.h"

namespace lexmora {

Message MsgNoSpecialCharsInExcludes();         // "*", wildcard, "+" or "/" in exclude mode
Message MsgNoProcedureInExcludes();            // open bracket in exclude mode
Message MsgNoOperatorAfterWildcard();          // "+" or "/" right after "*" or the wildcard
Message MsgAfterOpenBracket(char openBracket); // neither "<" nor "=" after the open bracket
Message MsgCloseBrackets(char closeBracket);   // a non-digit inside a condition
Message MsgIdentifyKeywordFirst();             // exclude option with no keyword selected
Message MsgHelpFileMissing();

} // namespace lexmora
