#include "ui/help_qt.h"

#include "core/paths.h"
#include "ui/frmWeb.h"
#include "ui/messages.h"
#include "ui/text_convert.h"

#include <QFileInfo>
#include <QWidget>

namespace lexmora::ui {

QString HelpPagePath(const ProgramState& state, const std::string& topic) {
    if (state.InstallFolder.empty())
        return {};
    for (const std::string& name : {topic, std::string(help::kIndex)}) {
        const QString page = pathToQt(JoinPath(state.InstallFolder, "help/" + name + ".html"));
        if (QFileInfo::exists(page))
            return page;
    }
    return {};
}

void ShowHelpTopic(QWidget* owner, const ProgramState& state, Prompter& prompter,
                   const std::string& topic) {
    ShowHelpTopic(owner, state, prompter, topic, msg::HelpFileMissing());
}

void ShowHelpTopic(QWidget* owner, const ProgramState& state, Prompter& prompter,
                   const std::string& topic, const Message& missing) {
    const QString page = HelpPagePath(state, topic);
    if (page.isEmpty()) {
        prompter.tell(missing);
        return;
    }
    auto* web = owner->findChild<frmWeb*>("frmWeb", Qt::FindDirectChildrenOnly);
    if (web == nullptr)
        web = new frmWeb(owner);
    web->showHelpPage(page);
}

} // namespace lexmora::ui
