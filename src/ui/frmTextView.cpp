#include "ui/frmTextView.h"

#include "core/file_io.h"
#include "core/text_codec.h"
#include "ui/kwic_highlight.h"
#include "ui/text_convert.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lexmora::ui {

frmTextView::frmTextView(QWidget* parent)
    : QDialog(parent), m_editor(new QPlainTextEdit(this)), m_find(new QLineEdit(this)),
      m_save(new QPushButton(tr("&Save"), this)), m_status(new QLabel(this)) {
    setObjectName("frmTextView");
    m_editor->setObjectName("txtText");
    m_find->setObjectName("txtFind");
    m_editor->setAccessibleName(tr("Text"));
    m_find->setAccessibleName(tr("Find"));
    m_save->setObjectName("cmdSave");
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_find->setPlaceholderText(tr("Find"));
    auto* findNextButton = new QPushButton(tr("Find &Next"), this);
    findNextButton->setObjectName("cmdFindNext");
    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName("cmdClose");
    connect(m_find, &QLineEdit::returnPressed, this, &frmTextView::findNext);
    connect(findNextButton, &QPushButton::clicked, this, &frmTextView::findNext);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_save, &QPushButton::clicked, this, [this] {
        QString error;
        if (!save(&error))
            QMessageBox::warning(this, tr(" File error"), error);
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_find);
    bar->addWidget(findNextButton);
    bar->addStretch();
    bar->addWidget(m_status);
    bar->addWidget(m_save);
    bar->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_editor);
    layout->addLayout(bar);
    resize(820, 600);
}

bool frmTextView::openFile(const QString& path, bool readOnly, QString* error) {
    const auto bytes = readFileBytes(pathFromQt(path));
    if (!bytes) {
        if (error)
            *error = "Couldn't open " + path + " !";
        return false;
    }
    // The program's own files are Windows-1252; other text files here are mostly UTF-8.
    const Utf8Check check = checkUtf8(*bytes);
    m_utf8 = check.valid && check.hasMultiByte;
    QString text =
        m_utf8 ? QString::fromUtf8(bytes->data(), qsizetype(bytes->size())) : toQt(*bytes);
    // The editor works with LF alone; a CR LF file is written back with CR LF.
    m_crlf = text.contains("\r\n");
    m_editor->setPlainText(text.replace("\r\n", "\n"));
    m_editor->setReadOnly(readOnly);
    m_save->setVisible(!readOnly);
    m_status->setText(readOnly ? tr("read-only") : QString());
    m_path = path;
    m_bytes = *bytes;
    setWindowTitle(QFileInfo(path).fileName() + "  ");
    return true;
}

void frmTextView::markBytes(std::uint64_t offset, std::uint64_t length) {
    if (offset >= m_bytes.size())
        return;
    // Characters before a byte: decoded as the text was, less the CRs the editor dropped.
    const auto charactersBefore = [this](std::size_t byte) {
        const std::string_view bytes = std::string_view(m_bytes).substr(0, byte);
        const QString text = m_utf8 ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
                                    : toQt(std::string(bytes));
        return static_cast<int>(text.size() - text.count(QStringLiteral("\r\n")));
    };
    const auto from = static_cast<std::size_t>(offset);
    const std::size_t to = std::min<std::size_t>(m_bytes.size(), from + length);
    QTextCursor cursor(m_editor->document());
    cursor.setPosition(charactersBefore(from));
    cursor.setPosition(charactersBefore(to), QTextCursor::KeepAnchor);
    QTextEdit::ExtraSelection mark;
    mark.cursor = cursor;
    mark.format.setForeground(KeywordColour(m_editor->palette()));
    mark.format.setFontWeight(QFont::Bold);
    m_editor->setExtraSelections({mark});
    cursor.setPosition(cursor.anchor());
    m_editor->setTextCursor(cursor);
    m_editor->centerCursor();
}

QString frmTextView::markedText() const {
    const auto marks = m_editor->extraSelections();
    return marks.isEmpty() ? QString() : marks.front().cursor.selectedText();
}

bool frmTextView::save(QString* error) {
    QString text = m_editor->toPlainText();
    if (m_crlf)
        text.replace("\n", "\r\n");
    const std::string bytes = m_utf8 ? text.toUtf8().toStdString() : fromQt(text);
    if (writeFileReplacing(pathFromQt(m_path), bytes)) {
        m_editor->document()->setModified(false);
        return true;
    }
    if (error)
        *error = "Cannot write file " + m_path;
    return false;
}

void frmTextView::findNext() {
    if (m_find->text().isEmpty())
        return;
    if (!m_editor->find(m_find->text())) {
        m_editor->moveCursor(QTextCursor::Start); // wrap round once
        m_editor->find(m_find->text());
    }
}

} // namespace lexmora::ui
