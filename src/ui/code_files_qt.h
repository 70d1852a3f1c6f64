// "&Code Files" of the main window: the file chooser in its code-file role, and the "&Codes"
// menu whose items follow the code files loaded.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <QList>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace lexmora::ui {

// Lets the user pick code files; when the chooser returns "Ok" with a file, every "*.wp#" file
// of that folder is loaded (the single files only tell the folder) and the folder is
// remembered. The files to search are left as they were. True when code files were loaded.
bool ChooseCodeFiles(ProgramState& state, Prompter& prompter, QWidget* parent);

// Replaces the items of `menu` by "Automatic", "ANSI", "ASCII" and one item per loaded code
// file (objectName "mnuWProc" and the index), checkable in one group; `choose` gets the index.
QList<QAction*> FillCodesMenu(QMenu* menu, const ProgramState& state,
                              const std::function<void(int)>& choose);

} // namespace lexmora::ui
