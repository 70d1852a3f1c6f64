#include "ui/user_level_menu.h"

#include <QActionGroup>
#include <QMenu>

namespace lexmora::ui {

UserLevelItems AddUserLevelMenu(QMenu* parent, ProgramState& state, std::function<void()> apply) {
    QMenu* user = parent->addMenu(QMenu::tr("&User Level"));
    user->setObjectName("mnuUser");
    auto* group = new QActionGroup(user);
    UserLevelItems items;
    items.advanced = user->addAction(QMenu::tr("&Advanced"));
    items.advanced->setObjectName("mnuUserAdvanced");
    items.normal = user->addAction(QMenu::tr("&Normal"));
    items.normal->setObjectName("mnuUserNormal");
    for (const bool advanced : {true, false}) {
        QAction* item = advanced ? items.advanced : items.normal;
        item->setCheckable(true);
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, user, [&state, apply, advanced] {
            state.AdvancedUser = advanced;
            apply();
        });
    }
    return items;
}

} // namespace lexmora::ui
