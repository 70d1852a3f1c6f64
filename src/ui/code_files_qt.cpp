#include "ui/code_files_qt.h"

#include "codes/code_tables.h"
#include "core/paths.h"
#include "files/file_chooser.h"
#include "files/folder_chooser.h"
#include "ui/frmGetFiles.h"
#include "ui/text_convert.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include <algorithm>
#include <string>

namespace lexmora::ui {
bool ChooseCodeFiles(ProgramState& state, Prompter& prompter, QWidget* parent) {
    const auto chosen = ChooseFilesAside(state, prompter, files::kCodeFilesCaption,
                                         CodeFilesFolder(state), files::kCodeFilePattern, parent);
    if (!chosen || chosen->paths.empty())
        return false;
    state.CodeFolder = chosen->folder;
    // Only the files chosen, in the order the folder's files load in.
    std::vector<std::string> names;
    for (const std::string& path : chosen->paths)
        names.push_back(FileNameOf(path));
    std::vector<std::string> ordered = OrderedCodeFiles(chosen->folder, prompter);
    std::erase_if(ordered, [&names](const std::string& name) {
        return std::find(names.begin(), names.end(), name) == names.end();
    });
    LoadCodeFiles(state, chosen->folder, ordered, prompter);
    return true;
}

QList<QAction*> FillCodesMenu(QMenu* menu, const ProgramState& state,
                              const std::function<void(int)>& choose) {
    for (QAction* old : menu->actions()) {
        menu->removeAction(old);
        old->setObjectName(QString()); // no longer found by name before it is gone
        old->deleteLater();
    }
    for (QActionGroup* old : menu->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly))
        old->deleteLater();
    auto* group = new QActionGroup(menu);
    QList<QAction*> items;
    const int highest = std::max(state.CodeCount, 2);
    for (int mode = 0; mode <= highest; ++mode) {
        QAction* item = menu->addAction(toQt(CodeModeCaption(state, mode)));
        item->setObjectName(QString("mnuWProc%1").arg(mode));
        item->setCheckable(true);
        group->addAction(item);
        items << item;
        QObject::connect(item, &QAction::triggered, menu, [choose, mode] { choose(mode); });
    }
    return items;
}

} // namespace lexmora::ui
