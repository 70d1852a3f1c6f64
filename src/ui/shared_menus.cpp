#include "ui/shared_menus.h"

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

std::array<QAction*, 5> FillLanguageMenu(QMenu* menu, std::function<void(LanguageId)> choose) {
    static constexpr const char* names[] = {"mnuEnglish", "mnuFrench", "mnuGerman", "mnuItalian",
                                            "mnuSpanish"};
    auto* group = new QActionGroup(menu);
    std::array<QAction*, 5> items{};
    for (int i = 0; i < 5; ++i) {
        const auto language = static_cast<LanguageId>(i);
        QAction* item = menu->addAction("&" + QString::fromLatin1(LanguageName(language)));
        item->setObjectName(names[i]);
        item->setCheckable(true);
        group->addAction(item);
        items[static_cast<std::size_t>(i)] = item;
        QObject::connect(item, &QAction::triggered, menu, [choose, language] { choose(language); });
    }
    return items;
}

} // namespace lexmora::ui
