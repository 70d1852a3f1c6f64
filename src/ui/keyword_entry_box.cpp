#include "ui/keyword_entry_box.h"

#include "core/text_codec.h"
#include "keywords/keyword_syntax.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <memory>

namespace lexmora::ui {

void KeywordEntryBox::typeText(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            Q_EMIT keyTyped(kKeyEnter);
            continue;
        }
        QChar shown = c == '\t' ? QChar(' ') : c;
        if (shown.unicode() < 32 || (shown.unicode() >= 0x7F && shown.unicode() < 0xA0) ||
            shown.isSurrogate())
            continue;
        const int code = unicodeToCp1252(shown.unicode());
        if (code < 0)
            continue;
        m_typed = false;
        Q_EMIT keyTyped(static_cast<char>(code));
        if (m_typed)
            insert(QString(shown));
    }
}

void KeywordEntryBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT keyTyped(kKeyEnter);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        typeText(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        m_typed = false;
        Q_EMIT keyTyped(kKeyBackspace);
        if (m_typed)
            QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text[0].unicode() >= 32 && text[0] != QChar(0x7F) &&
                           !(event->modifiers() & Qt::ControlModifier);
    if (!printable) {
        QLineEdit::keyPressEvent(event); // caret keys, Delete, shortcuts
        return;
    }
    if (text.size() > 1) {
        typeText(text);
        return;
    }
    const int code = unicodeToCp1252(text[0].unicode());
    if (code < 0) {
        event->accept(); // a letter the program cannot hold
        return;
    }
    m_typed = false;
    Q_EMIT keyTyped(static_cast<char>(code));
    if (m_typed)
        QLineEdit::keyPressEvent(event);
}

void KeywordEntryBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // A composed letter (dead keys, compose, input methods) is typed like any other.
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&rest);
    typeText(commit);
    event->accept();
}

void KeywordEntryBox::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT doubleClicked();
}

void KeywordEntryBox::mouseReleaseEvent(QMouseEvent* event) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        typeText(clipboard->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void KeywordEntryBox::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->objectName() != "edit-paste")
            continue;
        // The menu's paste goes through the filter, like a typed key.
        auto* paste = new QAction(action->text(), menu.get());
        paste->setEnabled(action->isEnabled());
        connect(paste, &QAction::triggered, this,
                [this] { typeText(QGuiApplication::clipboard()->text()); });
        menu->insertAction(action, paste);
        menu->removeAction(action);
        break;
    }
    menu->exec(event->globalPos());
}

void KeywordEntryBox::dropEvent(QDropEvent* event) {
    if (event->mimeData()->hasText())
        typeText(event->mimeData()->text());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace lexmora::ui
