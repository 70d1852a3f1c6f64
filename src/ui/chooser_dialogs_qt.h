// The folder chooser and the text entry dialog as the file chooser and file manager open them.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "files/chooser_dialogs.h"

class QWidget;

namespace lexmora::ui {

class QtChooserDialogs : public files::ChooserDialogs {
public:
    QtChooserDialogs(ProgramState& state, Prompter& prompter, QWidget* parent)
        : m_state(state), m_prompter(prompter), m_parent(parent) {}
    std::optional<std::string> chooseFolder(const std::string& caption,
                                            const std::string& start) override;
    files::TextEntryAnswer enterText(const files::TextEntryRequest& request) override;

private:
    ProgramState& m_state;
    Prompter& m_prompter;
    QWidget* m_parent;
};

} // namespace lexmora::ui
