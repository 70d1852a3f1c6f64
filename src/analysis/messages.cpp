#include "analysis/messages.h"

#include "core/text_codec.h"

#include <cstring>

namespace lexmora::analysis::msg {

namespace {

Message box(std::string text, std::string title, Icon icon = Icon::Exclamation) {
    return Message{std::move(text), std::move(title), Buttons::Ok, icon};
}

Message note(std::string text) {
    return Message{std::move(text), " Collocates", Buttons::Ok, Icon::Information};
}

} // namespace

// --- Hit walk ----------------------------------------------------------------------------------

Message NoSourcesInResultFile(const std::string& name) {
    return box(joinLines({"Cannot read the hits of " + utf8ToCp1252(name) + " in their texts -",
                          "it is not a result file of a saved search."}),
               " Not a result file");
}

Message DamagedRecordsLeftOut(std::int64_t records) {
    return note(std::to_string(records) +
                (records == 1 ? " damaged record was" : " damaged records were") + " left out.");
}

Message FilesLeftOut(std::int64_t hits, const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files)
        names += (names.empty() ? "" : ", ") + file;
    return note(std::to_string(hits) + (hits == 1 ? " hit" : " hits") + " left out: " +
                (files.size() == 1 ? "the source file has" : "the source files have") +
                " changed or gone since the search (" + names + ").");
}

Message HitsNotFound(std::int64_t hits, const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files)
        names += (names.empty() ? "" : ", ") + file;
    return note(std::to_string(hits) + (hits == 1 ? " hit was" : " hits were") +
                " not found again in the source text and left out (" + names + ").");
}

// --- Collocates --------------------------------------------------------------------------------

Message SpanOutOfRange() {
    return box("The span takes 0 to 25 words on each side.", " Collocates");
}

Message SpanBothZero() {
    return box("The span needs at least one word on one side.", " Collocates");
}

Message StopListUnreadable(const std::string& path, int error) {
    return box(joinLines({"Cannot read the stop list " + utf8ToCp1252(path),
                          utf8ToCp1252(std::strerror(error))}),
               " Collocates");
}

Message WordListUnreadable(const std::string& path, const std::string& reason) {
    return box(joinLines({"Cannot use the word list " + utf8ToCp1252(path), reason}),
               " Collocates");
}

Message CorpusFileUnreadable(const std::string& path, int error) {
    return box(joinLines({"Cannot read the corpus file " + utf8ToCp1252(path),
                          utf8ToCp1252(std::strerror(error))}),
               " Collocates");
}

Message CorpusEmpty() {
    return box("The corpus holds no words.", " Collocates");
}

Message CorpusIsFilesWithHits() {
    return note("The corpus is the files with hits: files without hits are left out of it.");
}

Message WordListMismatch(std::int64_t collocates, const std::string& examples) {
    return note(std::to_string(collocates) +
                (collocates == 1 ? " collocate stands" : " collocates stand") +
                " in more places of the windows than the corpus holds it - the corpus is of "
                "other texts - and " +
                (collocates == 1 ? "is" : "are") + " left out: " + examples);
}

Message OverlappedCollocates(std::int64_t collocates) {
    return note(std::to_string(collocates) +
                (collocates == 1 ? " collocate is" : " collocates are") +
                " counted in overlapping windows more often than the corpus holds " +
                (collocates == 1 ? "it" : "them") + ": O21 is taken as 0.");
}

Message NoHitsToWalk() {
    return box("The result file holds no hits.", " Collocates");
}

} // namespace lexmora::analysis::msg
