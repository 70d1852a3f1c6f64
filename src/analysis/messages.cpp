#include "analysis/messages.h"

#include "core/text_codec.h"

#include <cstring>

namespace lexmora::analysis::msg {

namespace {

Message box(std::string text, std::string title, Buttons buttons, Icon icon) {
    return Message{std::move(text), std::move(title), buttons, icon};
}

} // namespace

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
                   " hits are in files changed or gone since the search.",
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
