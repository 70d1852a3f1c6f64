#include "ui/frmShowText.h"

#include "ui/kwic_highlight.h"
#include "ui/messages.h"
#include "ui/text_convert.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lexmora::ui {

frmShowText::frmShowText(ProgramState& state, ViewerCommandQueue& commands, Prompter* prompter,
                         QWidget* parent)
    : QDialog(parent), m_state(state), m_commands(commands), m_prompter(prompter) {
    setObjectName("frmShowText");
    setWindowTitle("Record Details");
    setModal(true);
    m_picTextFrame = new QPlainTextEdit(this);
    m_picTextFrame->setObjectName("picTextFrame");
    m_picTextFrame->setAccessibleName(tr("Record details"));
    m_picTextFrame->setReadOnly(true);
    m_picTextFrame->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_picTextFrame->setMinimumSize(640, 360);
    m_chkSaveDetails = new QCheckBox("Save file &details with string", this);
    m_chkSaveDetails->setObjectName("chkSaveDetails");
    m_chkSaveDetails->setChecked(true);

    auto* row = new QHBoxLayout;
    m_cmdFile = button("cmdFile", "&File");
    QPushButton* copy = button("cmdCopy", "&Copy");
    QPushButton* print = button("cmdPrint", "&Print");
    QPushButton* save = button("cmdSave", "&Save");
    QPushButton* close = button("cmdExit", "C&lose");
    for (QPushButton* b : {m_cmdFile, copy, print, save, close})
        row->addWidget(b);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_picTextFrame);
    layout->addWidget(m_chkSaveDetails);
    layout->addLayout(row);

    connect(m_cmdFile, &QPushButton::clicked, this, [this] { post(OpenSourceFlag{}); });
    connect(copy, &QPushButton::clicked, this, [this] {
        post(ClipboardFlag{withDetails() ? ClipboardAction::CopyShownDetails
                                         : ClipboardAction::CopyShownText});
    });
    connect(print, &QPushButton::clicked, this, [this] {
        post(PrintTextFlag{withDetails() ? PrintedText::ShownDetails : PrintedText::ShownText});
    });
    connect(save, &QPushButton::clicked, this, [this] { post(DetailsSaveFlag{withDetails()}); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* frmShowText::button(const char* name, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void frmShowText::showText(const std::string& text, TextSpan hit) {
    setText(text, hit);
    exec();
}

void frmShowText::setText(const std::string& text, TextSpan hit) {
    const QString shown = toQt(text);
    m_picTextFrame->setPlainText(shown);
    QList<QTextEdit::ExtraSelection> marks;
    if (hit.length > 0 && hit.from + hit.length <= text.size()) {
        const QString before = toQt(text.substr(0, hit.from));
        auto at = static_cast<int>(before.size());
        // the document keeps a CR LF as one paragraph break
        if (m_picTextFrame->document()->characterCount() - 1 < shown.size())
            at -= static_cast<int>(before.count(QStringLiteral("\r\n")));
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_picTextFrame->document());
        mark.cursor.setPosition(at);
        mark.cursor.setPosition(at + static_cast<int>(hit.length), QTextCursor::KeepAnchor);
        mark.format.setForeground(KeywordColour(m_picTextFrame->palette()));
        mark.format.setFontWeight(QFont::Bold);
        marks.append(mark);
    }
    m_picTextFrame->setExtraSelections(marks);
}

QString frmShowText::markedText() const {
    const QList<QTextEdit::ExtraSelection> marks = m_picTextFrame->extraSelections();
    return marks.isEmpty() ? QString() : marks.front().cursor.selectedText();
}

QString frmShowText::shownText() const {
    return m_picTextFrame->toPlainText();
}

bool frmShowText::withDetails() const {
    return m_chkSaveDetails->isChecked();
}

void frmShowText::post(const ViewerCommand& command) {
    m_commands.post(command);
    accept();
}

// Files opened from here are made read-only first unless the user may write to files.
void frmShowText::switchFileAccess() {
    if (m_prompter != nullptr &&
        m_prompter->ask(msg::SwitchFileAccess(m_state.WriteToFiles)) == Answer::Yes)
        m_state.WriteToFiles = !m_state.WriteToFiles;
}

void frmShowText::keyPressEvent(QKeyEvent* event) {
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        QDialog::keyPressEvent(event);
        return;
    }
    const char* target = nullptr;
    switch (event->key()) {
    case Qt::Key_C:
        target = "cmdCopy";
        break;
    case Qt::Key_P:
        target = "cmdPrint";
        break;
    case Qt::Key_S:
        target = "cmdSave";
        break;
    case Qt::Key_X:
        target = "cmdExit";
        break;
    case Qt::Key_F:
        target = m_cmdFile->isVisible() ? "cmdFile" : nullptr;
        break;
    case Qt::Key_W:
        if (m_cmdFile->isVisible()) {
            switchFileAccess();
            return;
        }
        break;
    default:
        break;
    }
    if (auto* b = target ? findChild<QPushButton*>(target) : nullptr)
        b->click();
    else
        QDialog::keyPressEvent(event);
}

} // namespace lexmora::ui
