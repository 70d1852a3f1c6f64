#include "ui/chooser_dialogs_qt.h"

#include "ui/frmEnterText.h"
#include "ui/frmGetDir.h"

namespace lexmora::ui {

std::optional<std::string> QtChooserDialogs::chooseFolder(const std::string& caption,
                                                          const std::string& start) {
    m_state.DialogFolder = start;
    return ChooseFolder(m_state, m_prompter, caption, m_parent);
}

files::TextEntryAnswer QtChooserDialogs::enterText(const files::TextEntryRequest& request) {
    frmEnterText dialog(m_prompter, m_parent);
    dialog.setInvalidNameChars(m_state.InvalidFileNameChars.empty() ? std::string("\\?<>:*/|\"")
                                                                    : m_state.InvalidFileNameChars);
    dialog.configure(request);
    dialog.exec();
    return {dialog.resultOk(), dialog.text()};
}

} // namespace lexmora::ui
