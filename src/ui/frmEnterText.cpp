#include "ui/frmEnterText.h"

#include "ui/text_convert.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lexmora::ui {

frmEnterText::frmEnterText(Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter) {
    setObjectName("frmEnterText");
    setWindowTitle(toQt(files::kEnterTextCaption));
    setModal(true);

    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName("lblMessage");
    m_lblMessage->setWordWrap(true);

    m_txtEnter = new QLineEdit(this);
    m_txtEnter->setObjectName("txtEnter");
    m_txtEnter->setAccessibleName(tr("Text")); // the prompt, once given (setPrompt)
    m_txtEnter->setFont(QFont("Arial"));
    m_txtEnter->installEventFilter(this);

    // Inside the entry box, just right of the typed text, which it follows.
    m_txtExtension = new QLineEdit(m_txtEnter);
    m_txtExtension->setObjectName("txtExtension");
    m_txtExtension->setReadOnly(true);
    m_txtExtension->setFocusPolicy(Qt::NoFocus);
    m_txtExtension->setFrame(false);
    m_txtExtension->hide();

    m_cmdOk = new QPushButton("&Ok", this);
    m_cmdOk->setObjectName("cmdOk");
    m_cmdOk->setDefault(true);
    m_cmdCancel = new QPushButton("&Cancel", this);
    m_cmdCancel->setObjectName("cmdCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblMessage);
    layout->addWidget(m_txtEnter);
    layout->addLayout(buttons);

    connect(m_cmdOk, &QPushButton::clicked, this, [this] {
        m_result = "Ok";
        accept();
    });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        m_result.clear();
        reject();
    });
    connect(m_txtEnter, &QLineEdit::textChanged, this, &frmEnterText::onTextChanged);
}

void frmEnterText::setMode(const QString& tag) {
    m_txtEnter->setProperty("tag", tag);
    m_mode = files::EntryModeFromTag(fromQt(tag));
    if (m_mode == files::EntryMode::Numeric) {
        // A number needs little room: a narrow box in the middle.
        m_txtEnter->setMaximumWidth(QFontMetrics(m_txtEnter->font()).horizontalAdvance("0") * 12);
        m_txtEnter->setAlignment(Qt::AlignHCenter);
    } else {
        m_txtEnter->setMaximumWidth(QWIDGETSIZE_MAX);
        m_txtEnter->setAlignment(Qt::AlignLeft);
    }
    setMaxLength(m_maxLength);
}

void frmEnterText::setInvalidNameChars(const std::string& chars) {
    m_invalidChars = chars;
}

void frmEnterText::setPrompt(const std::string& prompt) {
    m_lblMessage->setText(toQt(prompt));
    // The prompt names the box for a screen reader.
    m_txtEnter->setAccessibleName(prompt.empty() ? tr("Text") : toQt(prompt).simplified());
}

void frmEnterText::setStartText(const std::string& text) {
    m_txtEnter->setText(toQt(text));
}

void frmEnterText::setMaxLength(std::size_t maxLength) {
    m_maxLength = maxLength;
    // In the name modes the key filter and the clean-up of pasted text keep the limit (with its
    // message); the box's own limit would cut pasted text before it is cleaned.
    const bool nameMode = m_mode == files::EntryMode::File || m_mode == files::EntryMode::File1;
    m_txtEnter->setMaxLength(nameMode || maxLength == 0 ? 32767 : static_cast<int>(maxLength));
}

void frmEnterText::setExtension(const std::string& extension) {
    m_txtExtension->setText(toQt(extension));
    m_txtExtension->setVisible(!extension.empty());
    placeExtension();
}

void frmEnterText::configure(const files::TextEntryRequest& request) {
    switch (request.mode) {
    case files::EntryMode::File:
        setMode("File");
        break;
    case files::EntryMode::File1:
        setMode("File1");
        break;
    case files::EntryMode::Numeric:
        setMode("Numeric");
        break;
    case files::EntryMode::Free:
        setMode("");
        break;
    }
    setPrompt(request.prompt);
    setMaxLength(request.maxLength);
    setStartText(request.startText);
    setExtension(request.extension);
}

std::string frmEnterText::text() const {
    return fromQt(m_txtEnter->text());
}

void frmEnterText::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_mode != files::EntryMode::Numeric)
        m_txtEnter->setSelection(0, static_cast<int>(m_txtEnter->text().size()));
    m_txtEnter->setFocus();
    placeExtension();
}

void frmEnterText::placeExtension() {
    const QFontMetrics metrics(m_txtEnter->font());
    const int width = metrics.horizontalAdvance(m_txtExtension->text() + "  ");
    const int x = 6 + metrics.horizontalAdvance(m_txtEnter->text());
    m_txtExtension->setGeometry(std::min(x, std::max(0, m_txtEnter->width() - width)), 1, width,
                                std::max(0, m_txtEnter->height() - 2));
}

bool frmEnterText::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_txtEnter || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        m_cmdOk->click();
        return true;
    }
    if (m_mode != files::EntryMode::File && m_mode != files::EntryMode::File1)
        return false;
    char typed = 0;
    if (key->key() == Qt::Key_Backspace) {
        typed = files::kKeyBackspace;
    } else {
        const QString chars = key->text();
        if (chars.isEmpty() || !chars.at(0).isPrint())
            return false; // cursor keys, shortcuts: the box handles them
        typed = fromQt(chars.left(1)).front();
    }
    const std::size_t length = static_cast<std::size_t>(m_txtEnter->text().size());
    const std::size_t selected = static_cast<std::size_t>(m_txtEnter->selectedText().size());
    const auto outcome = files::FilterEntryKey(m_mode, length, selected, m_maxLength, typed,
                                               m_invalidChars, m_txtEnter->text().contains('.'));
    if (outcome.message)
        m_prompter.tell(*outcome.message);
    if (outcome.action == files::KeyOutcome::Action::Discard)
        return true;
    if (outcome.action == files::KeyOutcome::Action::Insert && outcome.key != typed) {
        m_txtEnter->insert(toQt(std::string(1, outcome.key)));
        return true;
    }
    return false;
}

void frmEnterText::onTextChanged(const QString& text) {
    placeExtension();
    if (m_cleaning)
        return;
    if (m_mode == files::EntryMode::Numeric) {
        if (auto message = files::CheckNumericEntry(fromQt(text)))
            m_prompter.tell(*message);
        return;
    }
    if (m_mode != files::EntryMode::File && m_mode != files::EntryMode::File1)
        return;
    // Pasted text passes no key filter: the same rules are applied to the whole text.
    // A full "File1" name may carry the "." that opens its extension.
    const bool dot = m_mode == files::EntryMode::File1 && text.contains('.');
    const std::size_t limit = m_maxLength == 0 ? 0 : m_maxLength + (dot ? 1 : 0);
    const std::string clean = files::CleanEntryText(m_mode, fromQt(text), limit, m_invalidChars);
    if (clean != fromQt(text)) {
        m_cleaning = true;
        m_txtEnter->setText(toQt(clean));
        m_cleaning = false;
    }
}

files::TextEntryAnswer EnterText(const files::TextEntryRequest& request, Prompter& prompter,
                                 QWidget* parent) {
    frmEnterText dialog(prompter, parent);
    dialog.configure(request);
    dialog.exec();
    return {dialog.resultOk(), dialog.text()};
}

} // namespace lexmora::ui
