// The Clusters window: size, the keyword's place, thresholds, "Stop at sentence end" and the
// order, Start, the clusters of the hits in the shared table window. What a double-click does
// (the viewer's filter to the hits that carry the cluster) is the opener's.
#pragma once

#include "analysis/clusters.h"
#include "core/program_state.h"
#include "core/prompter.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace lexmora::ui {

class TableWindow;

// What the window is opened on: a result file and, from the viewer, the hits it shows.
struct ClustersSource {
    std::string resultPath;
    std::optional<std::vector<std::int64_t>> records;
};

// The hits (1 = first, ascending) that carry the cluster.
using ShowClusterHits =
    std::function<void(const std::string& cluster, const std::vector<std::int64_t>& hits)>;

TableWindow* MakeClustersWindow(ProgramState& state, Prompter& prompter,
                                const ClustersSource& source, ShowClusterHits showHits,
                                QWidget* parent);

// The lexmora-cli line that gives the same table (UTF-8).
std::string ClustersCommandLine(const ProgramState& state, const ClusterRequest& request);

} // namespace lexmora::ui
