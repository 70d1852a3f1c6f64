#include "keywords/keyword_messages.h"

#include <string>

namespace lexmora {

namespace {

Message warning(std::string text, std::string title) {
    return {std::move(text), std::move(title), Buttons::Ok, Icon::Exclamation};
}

} // namespace

Message MsgNoSpecialCharsInExcludes() {
    return warning("You cannot use special characters in words to exclude", " Illegal character");
}

Message MsgNoProcedureInExcludes() {
    return warning("You cannot use this procedure in words to exclude", " Illegal procedure");
}

Message MsgNoOperatorAfterWildcard() {
    return warning("You cannot use this procedure after a wildcard", " Illegal operation");
}

Message MsgAfterOpenBracket(char openBracket) {
    return warning(std::string(" After ") + openBracket +
                       " you must enter either \xAB < \xBB or \xAB = \xBB ",
                   " Error entering character");
}

Message MsgCloseBrackets(char closeBracket) {
    return warning(std::string("You must close brackets with ") + closeBracket,
                   " Illegal character");
}

Message MsgIdentifyKeywordFirst() {
    return warning("First identify keyword by clicking on it", "");
}

Message MsgHelpFileMissing() {
    return warning("Cannot find help file!", "File missing");
}

} // namespace lexmora
