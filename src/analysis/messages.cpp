#include "analysis/messages.h"

#include "core/text_codec.h"

namespace lexmora::analysis::msg {

namespace {

Message box(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

} // namespace

// --- N-grams and clusters ---

Message AbandonNgrams() {
    return box(joinLines({"You have just pressed \xAB Exit \xBB -",
                          "do you wish to abandon the n-grams?"}),
               " Abandon N-grams", Buttons::YesNo, Icon::Question);
}

Message NgramsAbandoned() {
    return box("The n-grams were abandoned - nothing was kept.", " Abandon N-grams", Buttons::Ok,
               Icon::Information);
}

Message SizeOutOfRange(const std::string& given) {
    return box("The n-gram size must be a number of words from 2 to 8, or a range such as "
               "2-5 (given: " +
                   utf8ToCp1252(given) + ").",
               " N-grams", Buttons::Ok, Icon::Exclamation);
}

Message NoWordsForNgrams() {
    return box("No words were found in the files given - there are no n-grams to count.",
               " N-grams", Buttons::Ok, Icon::Exclamation);
}

Message NotATextSource(const std::string& path) {
    return box(utf8ToCp1252(path) + " is not a text file - left out.", " N-grams", Buttons::Ok,
               Icon::Exclamation);
}

Message CannotMakeSpillFolder(const std::string& folder, const std::string& errorText) {
    return box(joinLines({"Cannot write temporary files in the folder " + utf8ToCp1252(folder),
                          errorText, "Please choose another temporary folder."}),
               " N-grams", Buttons::Ok, Icon::Exclamation);
}

Message SpillFailed(const std::string& folder, const std::string& errorText) {
    return box(joinLines({"Writing temporary files in " + utf8ToCp1252(folder) + " failed:",
                          errorText, "The n-grams were not counted; no temporary file is left."}),
               " N-grams", Buttons::Ok, Icon::Exclamation);
}

Message NgramFileDamaged(const std::string& name, const std::string& reason) {
    return box(utf8ToCp1252(name) + " is damaged (" + reason + ") - it cannot be opened.",
               " Damaged n-gram file", Buttons::Ok, Icon::Exclamation);
}

Message NotAnNgramFile(const std::string& name) {
    return box(utf8ToCp1252(name) + " is not a saved n-gram file.", " Damaged n-gram file",
               Buttons::Ok, Icon::Exclamation);
}

Message NgramFileTooNew(const std::string& name, int version) {
    return box(utf8ToCp1252(name) + " was saved in n-gram file format " + std::to_string(version) +
                   ", which this version cannot read.",
               " N-gram file", Buttons::Ok, Icon::Exclamation);
}

Message CannotReadNgramFile(const std::string& name, const std::string& errorText) {
    return box(joinLines({"Cannot read " + utf8ToCp1252(name), errorText}), " N-gram file",
               Buttons::Ok, Icon::Exclamation);
}

Message CannotSaveNgrams(const std::string& name, const std::string& errorText) {
    return box(joinLines({"Cannot save the n-grams to " + utf8ToCp1252(name), errorText,
                          "Nothing was written."}),
               " N-gram file", Buttons::Ok, Icon::Exclamation);
}

Message NgramFileExists(const std::string& name) {
    return box(utf8ToCp1252(name) + " already exists - it was left as it is.", " N-gram file",
               Buttons::Ok, Icon::Exclamation);
}

Message ClusterSizeOutOfRange(const std::string& given) {
    return box("The cluster size must be a number of words from 2 to 8 (given: " +
                   utf8ToCp1252(given) + ").",
               " Clusters", Buttons::Ok, Icon::Exclamation);
}

Message AbandonClusters() {
    return box(joinLines({"You have just pressed \xAB Exit \xBB -",
                          "do you wish to abandon the clusters?"}),
               " Abandon Clusters", Buttons::YesNo, Icon::Question);
}

// --- end of n-grams and clusters ---

} // namespace lexmora::analysis::msg
