// The engine's messages and questions shown as modal message boxes.
#pragma once

#include "core/prompter.h"

class QMessageBox;
class QWidget;

namespace lexmora::ui {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    Answer ask(const Message& message) override;

private:
    QWidget* m_parent;
};

// Shows one message box and returns the button pressed.
Answer showMessage(QWidget* parent, const Message& message);

// Widens a box whose text is shorter than its title, so the title bar shows the title whole.
void keepTitleWhole(QMessageBox& box);

} // namespace lexmora::ui
