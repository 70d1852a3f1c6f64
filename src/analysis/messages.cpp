#include "analysis/messages.h"

#include "core/text_codec.h"

#include <cstdio>
#include <cstring>

namespace lexmora::analysis::msg {

namespace {

Message box(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

} // namespace

// --- Keyness ---------------------------------------------------------------------------------

namespace {

std::string quoted(const std::string& name) {
    return "\xAB " + utf8ToCp1252(name) + " \xBB";
}

} // namespace

const char* const kLineNoTab = "no tab between word and frequency";
const char* const kLineTooManyFields = "more than three fields";
const char* const kLineNoWord = "no word";
const char* const kLineBadFrequency = "the frequency is not a whole number";
const char* const kLineBadRank = "the rank is not a number";
const char* const kLineFrequencyTooLarge = "the frequencies add up to more than can be counted";
const char* const kLineBadTokens = "the token total is not a whole number";
const char* const kLineSecondTokens = "a second token total";
const char* const kSettingK = "the constant k of SMP must be a number above 0";
const char* const kSettingP = "the significance level must lie between 0 and 1";
const char* const kSettingMinimum = "a minimum frequency cannot be below 0";

Message KeynessCannotReadList(const std::string& name, const std::string& errorText) {
    return box(joinLines({"Cannot read the word list " + quoted(name), errorText}), " Keyness",
               Buttons::Ok, Icon::Exclamation);
}

Message KeynessNotAFile(const std::string& name) {
    return box(quoted(name) + " is not a file: choose a word list.", " Keyness", Buttons::Ok,
               Icon::Exclamation);
}

Message KeynessSameList(const std::string& name) {
    return box(joinLines({"The target and the reference are the same file, " + quoted(name) + ":",
                          "a list compared with itself has no keywords."}),
               " Keyness", Buttons::Ok, Icon::Exclamation);
}

Message KeynessEmptyList(const std::string& name) {
    return box(quoted(name) + " holds no words to compare.", " Empty list", Buttons::Ok,
               Icon::Exclamation);
}

Message KeynessNoTokens(const std::string& name) {
    return box(quoted(name) + " gives a token total of 0: no frequency can be compared with it.",
               " Empty list", Buttons::Ok, Icon::Exclamation);
}

Message KeynessFrequenciesExceedTokens(const std::string& name, std::int64_t frequencies,
                                       std::int64_t tokens) {
    return box(joinLines({"The frequencies of " + quoted(name) + " add up to " +
                              std::to_string(frequencies) + ",",
                          "more than its token total of " + std::to_string(tokens) + "."}),
               " Keyness", Buttons::Ok, Icon::Exclamation);
}

Message KeynessBadLine(const std::string& name, std::int64_t line, const std::string& why,
                       std::int64_t badLines) {
    std::string count;
    if (badLines > 1)
        count = " (" + std::to_string(badLines) + " such lines in all)";
    return box(joinLines({"Line " + std::to_string(line) + " of " + quoted(name) +
                              " is not \"word<TAB>frequency\" or \"rank<TAB>frequency<TAB>word\":",
                          why + count + ".",
                          "Correct the list, or choose to skip the lines that are not entries."}),
               " Bad line in a word list", Buttons::Ok, Icon::Exclamation);
}

Message KeynessListTooLarge(const std::string& name) {
    return box(quoted(name) + " is too large to be read as a word list.", " Keyness", Buttons::Ok,
               Icon::Exclamation);
}

Message KeynessBadSetting(const std::string& what) {
    return box("Cannot compare the lists: " + what + ".", " Keyness", Buttons::Ok,
               Icon::Exclamation);
}

Message KeynessStopped() {
    return box("The keyness table could not be written out whole.", " Keyness", Buttons::Ok,
               Icon::Exclamation);
}

std::string KeynessSkippedLine(const std::string& name, std::int64_t line, const std::string& why) {
    return utf8ToCp1252(name) + ", line " + std::to_string(line) + " skipped: " + why + ".";
}

std::string KeynessMoreSkipped(std::int64_t more) {
    return "... and " + std::to_string(more) + " more lines skipped.";
}

std::string KeynessSpellingsJoined(const std::string& name, std::int64_t entries) {
    return utf8ToCp1252(name) + ": " + std::to_string(entries) +
           " entries spell a word listed before (case apart); their frequencies were added to it.";
}

std::string KeynessLists(std::int64_t targetTypes, std::int64_t targetTokens,
                         std::int64_t referenceTypes, std::int64_t referenceTokens) {
    return "Target: " + std::to_string(targetTypes) + " types, " + std::to_string(targetTokens) +
           " tokens. Reference: " + std::to_string(referenceTypes) + " types, " +
           std::to_string(referenceTokens) + " tokens.";
}

std::string KeynessTested(std::int64_t words) {
    return std::to_string(words) + " words tested (past the minimum frequencies).";
}

const char* const kBonferroni = "Bonferroni";
const char* const kSidak = "\x8Aid\xE1k";

std::string KeynessCut(double level, double corrected, const std::string& correction,
                       std::int64_t words) {
    char text[160];
    if (correction.empty())
        std::snprintf(text, sizeof text, "Kept where p < %g.", level);
    else
        std::snprintf(text, sizeof text, "Kept where p < %.6g (%g, %s over %lld words).", corrected,
                      level, correction.c_str(), static_cast<long long>(words));
    return text;
}

std::string KeynessFound(std::int64_t positive, std::int64_t negative) {
    return std::to_string(positive) + " positive and " + std::to_string(negative) +
           " negative keywords.";
}

// --- end of Keyness --------------------------------------------------------------------------

// --- Hit walk and collocates -----------------------------------------------------------------

namespace {

Message walkBox(std::string text, std::string title) {
    return Message{std::move(text), std::move(title), Buttons::Ok, Icon::Exclamation};
}

Message walkNote(std::string text) {
    return Message{std::move(text), " Collocates", Buttons::Ok, Icon::Information};
}

} // namespace

Message NoSourcesInResultFile(const std::string& name) {
    return walkBox(joinLines({"Cannot read the hits of " + utf8ToCp1252(name) + " in their texts -",
                              "it is not a result file of a saved search."}),
                   " Not a result file");
}

Message DamagedRecordsLeftOut(std::int64_t records) {
    return walkNote(std::to_string(records) +
                    (records == 1 ? " damaged record was" : " damaged records were") +
                    " left out.");
}

Message FilesLeftOut(std::int64_t hits, const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files)
        names += (names.empty() ? "" : ", ") + file;
    return walkNote(std::to_string(hits) + (hits == 1 ? " hit" : " hits") + " left out: " +
                    (files.size() == 1 ? "the source file has" : "the source files have") +
                    " changed or gone since the search (" + names + ").");
}

Message HitsNotFound(std::int64_t hits, const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files)
        names += (names.empty() ? "" : ", ") + file;
    return walkNote(std::to_string(hits) + (hits == 1 ? " hit was" : " hits were") +
                    " not found again in the source text and left out (" + names + ").");
}

Message WalkStopped() {
    return walkBox("Stopped before every source text was read.", " Collocates");
}

Message WalkAbandonQuestion() {
    return Message{"Stop reading the source texts?", " Collocates", Buttons::YesNo, Icon::Question};
}

// --- Collocates --------------------------------------------------------------------------------

Message SpanOutOfRange() {
    return walkBox("The span takes 0 to 25 words on each side.", " Collocates");
}

Message SpanBothZero() {
    return walkBox("The span needs at least one word on one side.", " Collocates");
}

Message StopListUnreadable(const std::string& path, int error) {
    return walkBox(joinLines({"Cannot read the stop list " + utf8ToCp1252(path),
                              utf8ToCp1252(std::strerror(error))}),
                   " Collocates");
}

Message WordListUnreadable(const std::string& path, const std::string& reason) {
    return walkBox(joinLines({"Cannot use the word list " + utf8ToCp1252(path), reason}),
                   " Collocates");
}

Message CorpusFileUnreadable(const std::string& path, int error) {
    return walkBox(joinLines({"Cannot read the corpus file " + utf8ToCp1252(path),
                              utf8ToCp1252(std::strerror(error))}),
                   " Collocates");
}

Message CorpusEmpty() {
    return walkBox("The corpus holds no words.", " Collocates");
}

Message CorpusIsFilesWithHits() {
    return walkNote("The corpus is the files with hits: files without hits are left out of it.");
}

Message WordListMismatch(std::int64_t collocates, const std::string& examples) {
    return walkNote(std::to_string(collocates) +
                    (collocates == 1 ? " collocate stands" : " collocates stand") +
                    " in more places of the windows than the corpus holds it - the corpus is of "
                    "other texts - and " +
                    (collocates == 1 ? "is" : "are") + " left out: " + examples);
}

Message OverlappedCollocates(std::int64_t collocates) {
    return walkNote(std::to_string(collocates) +
                    (collocates == 1 ? " collocate is" : " collocates are") +
                    " counted in overlapping windows more often than the corpus holds " +
                    (collocates == 1 ? "it" : "them") + ": O21 is taken as 0.");
}

Message NoHitsToWalk() {
    return walkBox("The result file holds no hits.", " Collocates");
}
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

Message CannotSpillInFolder(const std::string& folder, const std::string& errorText) {
    return box(joinLines({"Cannot write temporary files in the folder " + utf8ToCp1252(folder),
                          errorText, "Please choose another temporary folder."}),
               " N-grams", Buttons::Ok, Icon::Exclamation);
}

Message SpillFailed(const std::string& folder, const std::string& errorText) {
    return box(joinLines({"Writing temporary files in " + utf8ToCp1252(folder) + " failed:",
                          errorText, "The n-grams were not counted; no temporary file is left."}),
               " N-grams", Buttons::Ok, Icon::Exclamation);
}

Message NgramCountingFailed(const std::string& why) {
    return box(joinLines({"The n-grams could not be counted: " + why + ".", "Nothing was kept."}),
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

// --- dispersion -------------------------------------------------------------------------------

Message DispersionOnlyFilesWithHits() {
    return box("The parts are the files with hits; the files without hits (the summary counts "
               "them) are left out. Name the corpus to include them.",
               " Dispersion", Buttons::Ok, Icon::Information);
}

Message DispersionSingleFile() {
    return box("Juilland's D is not defined for a single file.", " Dispersion", Buttons::Ok,
               Icon::Information);
}

Message DispersionFileWithoutWords(const std::string& name) {
    return box(name + " has no words: it is no part of the measures.", " Dispersion", Buttons::Ok,
               Icon::Information);
}

Message DispersionFileLeftOut(const std::string& name, const std::string& reason) {
    return box(name + " is left out: " + reason, " Dispersion", Buttons::Ok, Icon::Exclamation);
}

Message DispersionPartial(std::int64_t hitsLeftOut) {
    return box("The measures are partial: " + std::to_string(hitsLeftOut) +
                   " hits are left out (their files changed or gone since the search).",
               " Dispersion", Buttons::Ok, Icon::Exclamation);
}

Message DispersionHitsOutsideCorpus(std::int64_t hits) {
    return box(std::to_string(hits) + " hits are in files outside the corpus given: left out.",
               " Dispersion", Buttons::Ok, Icon::Information);
}

Message DispersionNoFiles() {
    return box("There are no files to plot.", " Dispersion", Buttons::Ok, Icon::Exclamation);
}

Message DispersionUnreadable(int errorNumber) {
    return box("it cannot be read (" + utf8ToCp1252(std::strerror(errorNumber)) + ").",
               " Dispersion", Buttons::Ok, Icon::Exclamation);
}

Message DispersionAbandoned() {
    return box("The dispersion run was stopped.", " Dispersion", Buttons::Ok, Icon::Exclamation);
}

Message DispersionAbandonQuestion() {
    return box("Abandon the dispersion plot?", " Dispersion", Buttons::YesNo, Icon::Question);
}

Message DispersionCannotSavePicture(const std::string& name, int errorNumber) {
    return box(joinLines({"Could not save the plot as " + utf8ToCp1252(name) + " !",
                          utf8ToCp1252(std::strerror(errorNumber))}),
               " Dispersion", Buttons::Ok, Icon::Exclamation);
}

Message DispersionPictureExists(const std::string& name) {
    return box(utf8ToCp1252(name) + " exists already: the plot was not saved.", " Dispersion",
               Buttons::Ok, Icon::Exclamation);
}

// --- end of dispersion ------------------------------------------------------------------------

} // namespace lexmora::analysis::msg
