#include "ui/viewer_dialogs_qt.h"

#include "search/context_settings.h"
#include "ui/frmContext.h"

namespace lexmora::ui {

namespace {

std::function<void(frmContext&)>& dialogHook() {
    static std::function<void(frmContext&)> hook;
    return hook;
}

bool runDialog(frmContext& dialog) {
    if (dialogHook())
        dialogHook()(dialog);
    dialog.exec();
    return dialog.tag() == "Ok";
}

} // namespace

void SetViewerDialogHookForTest(std::function<void(frmContext&)> hook) {
    dialogHook() = std::move(hook);
}

std::optional<SortRequest> AskSortPositions(ProgramState& state, bool columnView, QWidget* parent) {
    frmContext dialog(state, parent);
    dialog.setRole(ContextRole::Sort, kSortRoleTag);
    dialog.setLabels("ENTER POSITION OF WORD ON WHICH TO BASE SORT", " position to left of keyword",
                     " position to right of keyword");
    dialog.showViewerOptions(true, false);
    dialog.loadValues(0, 0);
    dialog.loadTexts(QString(), QString()); // an empty box is no position at all
    dialog.setColumnView(columnView);
    if (!runDialog(dialog))
        return std::nullopt;
    SortRequest request;
    const auto position = [](std::optional<long long> n) -> std::optional<int> {
        if (!n)
            return std::nullopt;
        return static_cast<int>(std::min<long long>(*n, kContextBarTop));
    };
    request.leftPos = position(dialog.leftNumber());
    request.rightPos = position(dialog.rightNumber());
    request.columnView = dialog.columnViewChecked();
    return request;
}

std::optional<RangeRequest> AskExtractRange(ProgramState& state, const std::string& verb,
                                            const ExtractRange& proposed, bool confirming,
                                            std::int64_t indexCount, QWidget* parent) {
    frmContext dialog(state, parent);
    dialog.setRole(ContextRole::Extract, "Extract");
    dialog.setRecordLimit(std::max<std::int64_t>(indexCount, 1));
    const QString heading = QString(confirming ? "CONFIRM" : "ENTER") +
                            " VALUES FOR FIRST AND LAST RECORDS TO " + QString::fromStdString(verb);
    dialog.setLabels(heading, " from record number: ", " to record number: ");
    dialog.showViewerOptions(false, true);
    dialog.loadTexts(QString::number(proposed.first), QString::number(proposed.last));
    if (!runDialog(dialog))
        return std::nullopt;
    RangeRequest request;
    request.range.first = dialog.leftNumber().value_or(0);
    request.range.last = dialog.rightNumber().value_or(0);
    request.form = dialog.wholeRecord() ? LineForm::WholeRecord : LineForm::KwicSection;
    return request;
}

} // namespace lexmora::ui
