// libFuzzer target: any bytes as a result file and its log, then what a user does in the viewer:
// page through, thin, sort both ways, collocate, delete, undo, and expand a record.
#include "fuzz_support.h"
#include "viewer/record_details.h"
#include "viewer/result_viewer.h"

#include <algorithm>

using namespace lexmora;
using fuzz::require;

namespace {

void readEveryRecord(ResultViewer& viewer) {
    const std::int64_t count = std::min<std::int64_t>(viewer.IndexCount(), 4096);
    for (std::int64_t position = 1; position <= count; ++position) {
        const std::string_view record = viewer.GetRecord(position);
        require(record.size() + 2 == static_cast<std::size_t>(viewer.RecordLength()) ||
                record == kDamagedRecordText);
    }
}

void workOn(ResultViewer& viewer, std::string_view actions) {
    const unsigned char first = actions.empty() ? 0 : static_cast<unsigned char>(actions[0]);
    SilentPrompter prompter;
    readEveryRecord(viewer);
    viewer.Sort(SortMode::WordBeginning, 0, 1 + first % 3, 10);
    require(viewer.IndexCount() <= 1 ||
            viewer.SortKeys().size() + 1 == viewer.RecordIndex().size());
    (void)viewer.Collocate();
    viewer.Sort(SortMode::WordEnd, 1 + first % 2, 0, 10);
    readEveryRecord(viewer);
    viewer.DeleteSelected({2, 3, viewer.IndexCount(), viewer.IndexCount() + 5}, prompter);
    viewer.UndoLastDeletion();
    viewer.RestoreAllDeletions();
    viewer.Unsort();
    viewer.Reindex(1 + first % 4);
    readEveryRecord(viewer);
    if (viewer.IndexCount() >= 2)
        (void)ExpandRecord(viewer, 2);
}

bool namesSystemFiles(std::string_view log) {
    return log.find("/dev") != std::string_view::npos ||
           log.find("/proc") != std::string_view::npos ||
           log.find("/sys") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitInput(data, size, 3);
    if (namesSystemFiles(parts[1]))
        return 0; // a record's source is read: stay inside the scratch folder
    const std::string path = fuzz::writeScratch("r.dmp", parts[0]);
    fuzz::writeScratch("r.log", parts[1]);
    SilentPrompter prompter;
    auto viewer = ResultViewer::open(path, prompter);
    if (viewer)
        workOn(*viewer, parts[2]);
    require(fuzz::readScratch("r.dmp") == parts[0]); // the viewed file is never changed
    return 0;
}
