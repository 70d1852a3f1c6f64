#include "viewer/view_command_line.h"

#include "core/messages.h"
#include "core/prompter.h"

#include <unordered_set>

namespace lexmora {

namespace {

Failure notOneLine() {
    return Failure(core::msg::ViewNotOneLine(), FailureCode::InvalidInput);
}

// A sort level as the command line names it; nothing when it takes words on both sides.
std::optional<ViewLine::Then> levelOf(const SortLevel& level) {
    if (level.leftPos > 0 && level.rightPos > 0)
        return std::nullopt;
    ViewLine::Then then;
    then.side = level.leftPos > 0    ? ViewLine::Sort::Left
                : level.rightPos > 0 ? ViewLine::Sort::Right
                                     : ViewLine::Sort::Keyword;
    then.position = std::max({level.leftPos, level.rightPos, 1});
    then.backwards = level.mode == SortMode::WordEnd;
    return then;
}

// The sort as the command line names it; nothing when it cannot.
std::optional<ViewLine> sortOf(const ResultViewer& viewer) {
    ViewLine line;
    if (!viewer.sorted())
        return line;
    const auto& levels = viewer.sortLevels();
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const auto level = levelOf(levels[i]);
        if (!level)
            return std::nullopt;
        if (i > 0) {
            line.then.push_back(*level);
            continue;
        }
        line.sort = level->side;
        line.sortPosition = level->position;
        line.backwards = level->backwards;
    }
    line.rightContext = viewer.sortRightContext();
    return line;
}

// The extract's positions as one range, when they are a run.
std::optional<ViewLine::Extract> rangeOf(const SavedExtract& extract) {
    const auto& p = extract.positions;
    if (p.empty())
        return std::nullopt;
    for (std::size_t i = 1; i < p.size(); ++i)
        if (p[i] != p[i - 1] + 1)
            return std::nullopt;
    return ViewLine::Extract{p.front(), p.back(), extract.form == LineForm::KwicSection};
}

} // namespace

Result<ViewLine> DescribeView(const ResultViewer& viewer,
                              const std::optional<SavedExtract>& extract,
                              const std::string& outputFolder) {
    auto described = sortOf(viewer);
    if (!described)
        return notOneLine();
    ViewLine line = *described;
    line.file = viewer.path();
    line.stepN = viewer.StepN();
    line.outputFolder = outputFolder;

    // What the command line sees before its deletions: the file opened afresh, thinned and
    // sorted once. Questions were answered when the viewer opened the file.
    SilentPrompter silent;
    ViewerOptions options;
    options.stepN = viewer.StepN();
    auto fresh = ResultViewer::open(viewer.path(), silent, options);
    if (!fresh)
        return fresh.failure();
    if (line.sort != ViewLine::Sort::None)
        fresh->Sort(viewer.sortLevels(), viewer.sortRightContext());

    const auto& shown = viewer.RecordIndex();
    const std::unordered_set<std::uint32_t> kept(shown.begin(), shown.end());
    std::size_t next = 0; // the next shown record the fresh order must meet
    const auto& all = fresh->RecordIndex();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!kept.contains(all[i])) {
            line.deletions.push_back(static_cast<std::int64_t>(i) + 1);
            continue;
        }
        if (next >= shown.size() || shown[next] != all[i])
            return notOneLine();
        ++next;
    }
    if (next != shown.size())
        return notOneLine();

    if (extract && extract->file == viewer.path() && extract->index == shown) {
        if (extract->newFile)
            line.saveNew = true;
        else
            line.extract = rangeOf(*extract);
    }
    return line;
}

} // namespace lexmora
