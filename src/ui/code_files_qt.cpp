#include "ui/code_files_qt.h"

#include "codes/code_tables.h"
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
namespace {

// The chooser hands its choice over through the fields of the source selection: they are kept
// aside and put back, so choosing code files never changes the files to search.
struct SourceSelection {
    explicit SourceSelection(const ProgramState& state)
        : folder(state.DialogFolder), pattern(state.DialogPattern), saved(state.SourceFilesSaved),
          stored(state.StoredFileList), count(state.SourceFileCount),
          subfolders(state.IncludeSubfolders), list(state.SourceIsFileList),
          making(state.MakingFileList) {}
    void restore(ProgramState& state) const {
        state.DialogFolder = folder;
        state.DialogPattern = pattern;
        state.SourceFilesSaved = saved;
        state.StoredFileList = stored;
        state.SourceFileCount = count;
        state.IncludeSubfolders = subfolders;
        state.SourceIsFileList = list;
        state.MakingFileList = making;
    }
    std::string folder, pattern;
    std::vector<std::string> saved, stored;
    long long count;
    bool subfolders, list, making;
};

} // namespace

bool ChooseCodeFiles(ProgramState& state, Prompter& prompter, QWidget* parent) {
    const SourceSelection selection(state);
    state.DialogFolder = CodeFilesFolder(state);
    state.DialogPattern = files::kCodeFilePattern;
    state.SourceFilesSaved.clear();
    state.IncludeSubfolders = false;
    state.SourceIsFileList = false;
    state.MakingFileList = false;
    const bool ok = ChooseFiles(state, prompter, files::kCodeFilesCaption, parent) &&
                    !state.SourceFilesSaved.empty();
    const std::string folder = state.DialogFolder;
    selection.restore(state);
    if (!ok)
        return false;
    state.CodeFolder = folder;
    LoadCodeFolder(state, folder, prompter);
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
