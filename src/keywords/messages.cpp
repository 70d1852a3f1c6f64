#include "keywords/messages.h"

#include "core/paths.h"
#include "core/text_codec.h"
#include "keywords/keyword_file.h"

#include <string>

namespace lexmora::keywords::msg {

namespace {

Message box(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

Message warning(std::string text, std::string title) {
    return box(std::move(text), std::move(title), Buttons::Ok, Icon::Exclamation);
}

std::string shownName(const std::string& path) {
    return utf8ToCp1252(FileNameOf(path));
}

} // namespace

Message NoSpecialCharsInExcludes() {
    return warning("You cannot use special characters in words to exclude", " Illegal character");
}

Message NoProcedureInExcludes() {
    return warning("You cannot use this procedure in words to exclude", " Illegal procedure");
}

Message NoOperatorAfterWildcard() {
    return warning("You cannot use this procedure after a wildcard", " Illegal operation");
}

Message AfterOpenBracket(char openBracket) {
    return warning(std::string(" After ") + openBracket +
                       " you must enter either \xAB < \xBB or \xAB = \xBB ",
                   " Error entering character");
}

Message CloseBrackets(char closeBracket) {
    return warning(std::string("You must close brackets with ") + closeBracket,
                   " Illegal character");
}

Message IdentifyKeywordFirst() {
    return warning("First identify keyword by clicking on it", "");
}

Message HelpFileMissingWarning() {
    return warning("Cannot find help file!", "File missing");
}

Message KeepExistingKeywords(std::size_t held) {
    return box("Do you wish to keep existing keywords?",
               std::to_string(held) + " keywords already loaded", Buttons::YesNo, Icon::Question);
}

Message AddToExistingKeywords(std::size_t held) {
    return box("Continue to add new keywords to existing keywords?",
               std::to_string(held) + " keywords already loaded", Buttons::OkCancel,
               Icon::Question);
}

Message KeepKeywordsInWindow(std::size_t held) {
    return box("Do you wish to keep existing keywords?",
               std::to_string(held) + " keyword(s) already loaded", Buttons::YesNo, Icon::Question);
}

Message NotATextFile(const std::string& path) {
    return box(joinLines({shownName(path), "is not a text file - trying next..."}), "", Buttons::Ok,
               Icon::Exclamation);
}

Message LowOnMemory() {
    return box("There's not enough memory available to load files!", " Low on memory", Buttons::Ok,
               Icon::Exclamation);
}

Message LinesLeftOut(const std::string& path, std::size_t overlong, std::size_t unrepresentable) {
    std::string text = "Lines of " + shownName(path) + " not loaded as keywords:";
    if (overlong > 0)
        text += std::string(kLineBreak) + std::to_string(overlong) + " line(s) longer than " +
                std::to_string(kMaxKeywordLength) + " characters";
    if (unrepresentable > 0)
        text += std::string(kLineBreak) + std::to_string(unrepresentable) +
                " line(s) with characters the program cannot show";
    return box(std::move(text), " Keyword file", Buttons::Ok, Icon::Exclamation);
}

Message NoKeywordsInFiles() {
    return box("The chosen file(s) hold no keywords.", " Empty file !", Buttons::Ok,
               Icon::Exclamation);
}

Message ListOverflow(std::size_t count) {
    const std::string capacity = std::to_string(kKeywordListCapacity);
    return box(joinLines({"The listbox can only store approx. " + capacity + " keywords.",
                          "If you try to load keywords into the list box, ",
                          "all keywords above this figure will be lost.  ",
                          "Do you wish to go ahead and load keywords into listbox?     ", "",
                          "If you click on 'Yes' you will lose " +
                              std::to_string(count - kKeywordListCapacity) + " words.",
                          "If you click on 'No' all keywords will be stored in memory."}),
               " Potential list overflow   (" + std::to_string(count) + " keywords selected)",
               Buttons::YesNo, Icon::Exclamation);
}

Message ListFull() {
    return box("The listbox can only store approx. " + std::to_string(kKeywordListCapacity) +
                   " keywords.",
               " Potential list overflow", Buttons::Ok, Icon::Exclamation);
}

Message NoExcludeMemory() {
    return box("Not enough memory available for exclude strings", "Lack of memory", Buttons::Ok,
               Icon::Exclamation);
}

Message CannotSaveKeywords(const std::string& path) {
    return box(joinLines({"Cannot save keywords to", utf8ToCp1252(path)}), " Keyword file",
               Buttons::Ok, Icon::Exclamation);
}

Message ExcludesNotSaved() {
    return box(
        joinLines({"A keyword file holds keywords only:",
                   "the words to exclude and the tags are not saved.", "Save the keywords?"}),
        " Save keywords", Buttons::OkCancel, Icon::Question);
}

} // namespace lexmora::keywords::msg
