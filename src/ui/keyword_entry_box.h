// The keyword window's entry box: every typed, composed, pasted or dropped character goes
// through the keystroke filter, which the window applies.
#pragma once

#include <QLineEdit>

namespace lexmora::ui {

// The entry box: every typed, composed or pasted character goes through the keystroke filter.
class KeywordEntryBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    // Feeds text through the filter as if it were typed: line ends commit, tabs become blanks,
    // other control characters and letters outside Windows-1252 are dropped.
    void typeText(const QString& text);
    // Called by the receiver of keyTyped: the key goes into the box.
    void acceptKey() { m_typed = true; }

Q_SIGNALS:
    // One character as typed; the receiver decides (and inserts, when it accepts).
    void keyTyped(char key);
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_typed = false;
};

} // namespace lexmora::ui
