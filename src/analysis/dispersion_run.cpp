#include "analysis/dispersion_run.h"

#include "analysis/dispersion_parts.h"
#include "analysis/messages.h"
#include "core/text_codec.h"
#include "wordcount/word_rules.h"

namespace lexmora {

namespace {

// Counts the words of the corpus files the walk did not visit; a file that cannot be read is
// named and left out.
Status countUnvisited(const WordRules& rules, DispersionCollector& collector,
                      std::vector<std::string>& notes, RunControl* control) {
    for (const std::size_t part : collector.unvisited()) {
        if (control != nullptr && control->poll() == RunStep::Stop)
            return Failure(analysis::msg::DispersionAbandoned(), FailureCode::Cancelled);
        const Result<std::int64_t> tokens = CountFileTokens(rules, collector.path(part));
        if (tokens) {
            collector.setWords(part, *tokens);
            continue;
        }
        collector.dropPart(part);
        notes.push_back(analysis::msg::DispersionFileLeftOut(utf8ToCp1252(collector.path(part)),
                                                             tokens.error().text)
                            .text);
    }
    return Status::success();
}

// What the walk's summary and the collector have to tell the user.
void noteWalk(const HitWalkSummary& summary, DispersionCollector& collector,
              std::vector<std::string>& notes) {
    // the walk's own notes name them
    for (const std::string& name : summary.filesLeftOut)
        collector.dropFile(name);
    notes.insert(notes.end(), summary.notes.begin(), summary.notes.end());
    if (summary.hitsLeftOut > 0)
        notes.push_back(analysis::msg::DispersionPartial(summary.hitsLeftOut).text);
    if (collector.hitsOutside() > 0)
        notes.push_back(analysis::msg::DispersionHitsOutsideCorpus(collector.hitsOutside()).text);
    if (!collector.corpusGiven())
        notes.push_back(analysis::msg::DispersionOnlyFilesWithHits().text);
}

} // namespace

Result<DispersionData> RunDispersion(const DispersionRequest& request, Prompter& prompter,
                                     RunControl* control) {
    DispersionCollector collector(
        ExpandCorpus(request.corpus, request.tree, request.pattern, prompter));
    Vocabulary vocabulary;
    HitWalkRequest walk{request.resultPath, request.records, request.state};
    walk.cut = WalkCut::Positions; // a hit's place among its file's words is all a plot needs
    Result<HitWalkSummary> summary = WalkHitFiles(
        walk, vocabulary,
        [&collector](const FileWords& file, std::span<const PlacedHit> hits) {
            collector.addFile(file, hits);
        },
        control);
    if (!summary)
        return summary.failure();
    std::vector<std::string> notes;
    noteWalk(*summary, collector, notes);
    const WordRules rules = MakeWordRules(*request.state);
    const std::size_t notesBefore = notes.size();
    if (Status counted = countUnvisited(rules, collector, notes, control); !counted)
        return counted.failure();
    const bool partsUnread = notes.size() > notesBefore; // a note for each file not read
    DispersionData data = collector.take();
    if (data.files.empty())
        return Failure(analysis::msg::DispersionNoFiles(), FailureCode::NotFound);
    data.partial = summary->hitsLeftOut > 0 || partsUnread;
    data.notes = std::move(notes);
    return data;
}

} // namespace lexmora
