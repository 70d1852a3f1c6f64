// The small modal dialog in which the user types one value: a file or folder name, or a number.
// The mode ("File", "File1", "Numeric", anything else free text) is the entry box's tag.
#pragma once

#include "core/prompter.h"
#include "files/chooser_dialogs.h"
#include "files/text_entry.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lexmora::ui {

class frmEnterText : public QDialog {
    Q_OBJECT
public:
    explicit frmEnterText(Prompter& prompter, QWidget* parent = nullptr);

    // What the caller sets before showing the dialog. Texts are Windows-1252.
    void setMode(const QString& tag);
    void setPrompt(const std::string& prompt);
    void setStartText(const std::string& text);
    void setMaxLength(std::size_t maxLength); // 0: no limit
    void setExtension(const std::string& extension);
    void setInvalidNameChars(const std::string& chars); // InvalidFileNameChars
    void configure(const files::TextEntryRequest& request);

    // "Ok" after "&Ok", empty after "&Cancel".
    const QString& result() const { return m_result; }
    bool resultOk() const { return m_result == "Ok"; }
    std::string text() const; // Windows-1252

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onTextChanged(const QString& text);
    void placeExtension();

    Prompter& m_prompter;
    QLineEdit* m_txtEnter;
    QLineEdit* m_txtExtension;
    QLabel* m_lblMessage;
    QPushButton* m_cmdOk;
    QPushButton* m_cmdCancel;
    files::EntryMode m_mode = files::EntryMode::Free;
    std::size_t m_maxLength = 0;
    std::string m_invalidChars = "\\?<>:*/|\"";
    QString m_result;
    bool m_cleaning = false;
};

// Shows the dialog modally for one request; the answer as the engine takes it.
files::TextEntryAnswer EnterText(const files::TextEntryRequest& request, Prompter& prompter,
                                 QWidget* parent = nullptr);

} // namespace lexmora::ui
