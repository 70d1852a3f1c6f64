// The context window in the viewer's two roles: the sort positions and the extract range.
#pragma once

#include "viewer/viewer_loop.h"

#include <functional>

class QWidget;

namespace lexmora::ui {

// "Sort file strings to left or right of keyword"; nothing unless "Ok".
std::optional<SortRequest> AskSortPositions(ProgramState& state, bool columnView, QWidget* parent);

// "ENTER (or CONFIRM) VALUES FOR FIRST AND LAST RECORDS TO " and the verb; nothing unless "Ok".
std::optional<RangeRequest> AskExtractRange(ProgramState& state, const std::string& verb,
                                            const ExtractRange& proposed, bool confirming,
                                            std::int64_t indexCount, QWidget* parent);

// Tests reach the dialog while it is shown through this hook, called before it runs.
void SetViewerDialogHookForTest(std::function<void(class frmContext&)> hook);

} // namespace lexmora::ui
