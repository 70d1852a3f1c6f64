// Menus that the main window and the keyword window both carry.
#pragma once

#include "core/program_state.h"
#include "core/settings.h"

#include <array>
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

// Fills `menu` with "&English" .. "&Spanish" ("mnuEnglish" ..; checkable, one of them), in the
// order of LanguageId: each calls `choose` with its language.
std::array<QAction*, 5> FillLanguageMenu(QMenu* menu, std::function<void(LanguageId)> choose);

} // namespace lexmora::ui
