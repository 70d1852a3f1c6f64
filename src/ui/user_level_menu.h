// The "&User Level" menu that the main window and the keyword window both carry.
#pragma once

#include "core/program_state.h"

#include <functional>

class QAction;
class QMenu;

namespace lexmora::ui {

struct UserLevelItems {
    QAction* advanced = nullptr; // "mnuUserAdvanced"
    QAction* normal = nullptr;   // "mnuUserNormal"
};

// Adds "&User Level" with "&Advanced" and "&Normal" (checkable, one of the two) to `parent`:
// each sets AdvancedUser and then calls `apply`.
UserLevelItems AddUserLevelMenu(QMenu* parent, ProgramState& state, std::function<void()> apply);

} // namespace lexmora::ui
