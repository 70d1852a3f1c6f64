// The record details window: the text the viewer built for one record, with the buttons that
// hand it on. Like the KWIC screen it does no work itself: a button posts its command for the
// viewer's loop and hides the window.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"
#include "viewer/record_details.h"
#include "viewer/viewer_commands.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace lexmora::ui {

class frmShowText : public QDialog {
    Q_OBJECT
public:
    // The buttons post into `commands` (the viewer's screen's, which outlives the window);
    // `prompter` asks Ctrl+W's question; without one the key does nothing.
    frmShowText(ProgramState& state, ViewerCommandQueue& commands, Prompter* prompter,
                QWidget* parent = nullptr);

    // Shows the text (Windows-1252) modally, the hit in it drawn as the KWIC lists draw the
    // keyword; returns when the window is hidden.
    void showText(const std::string& text, TextSpan hit = {});
    // The text shown and its hit marked, without waiting (showText and the tests).
    void setText(const std::string& text, TextSpan hit);
    QString markedText() const;
    QString shownText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* button(const char* name, const char* caption);
    // Posts the command for the viewer and hides the window.
    void post(const ViewerCommand& command);
    bool withDetails() const;
    void switchFileAccess();

    ProgramState& m_state;
    ViewerCommandQueue& m_commands;
    Prompter* m_prompter;
    QPlainTextEdit* m_picTextFrame;
    QCheckBox* m_chkSaveDetails;
    QPushButton* m_cmdFile;
};

} // namespace lexmora::ui
