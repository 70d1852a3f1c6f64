// The clusters of a result file, over the hit walk.
#include "analysis/clusters.h"

#include "analysis/messages.h"
#include "analysis/ngram_counter.h"

namespace lexmora {

Result<ClusterResult> CountClusters(const ProgramState& state, const ClusterRequest& request,
                                    RunControl* control) {
    const ClusterOptions& o = request.options;
    if (o.size < kMinSequenceSize || o.size > kMaxSequenceSize)
        return Failure(analysis::msg::ClusterSizeOutOfRange(std::to_string(o.size)),
                       FailureCode::InvalidInput);
    HitWalkRequest walk;
    walk.resultPath = request.resultPath;
    walk.records = request.records;
    walk.state = &state;
    // a cluster holds the hit's block and at most size - 1 words on one side of it
    walk.cut = WalkCut::Windows;
    walk.reach = static_cast<std::uint32_t>(o.size - 1);
    Vocabulary vocabulary;
    ClusterCounter counter(o);
    Result<HitWalkSummary> summary = WalkHitFiles(
        walk, vocabulary,
        [&counter](const FileWords& words, std::span<const PlacedHit> hits) {
            counter.addFile(words, hits);
        },
        control);
    if (!summary)
        return summary.failure();
    ClusterResult result;
    result.summary = std::move(*summary);
    const auto spelling = [&vocabulary](std::uint32_t id) -> std::string_view {
        return vocabulary.spelling(id);
    };
    result.list = counter.finish(spelling);
    if (o.collectHits)
        result.hits = counter.hitsOf(spelling);
    SortSequences(result.list, request.sort);
    KeepTop(result.list, request.top);
    return result;
}

} // namespace lexmora
