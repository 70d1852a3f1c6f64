// The program's own plain-text viewer: result logs, summaries, word lists and any text file.
// Read-only unless the settings allow writing to files.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lexmora::ui {

class frmTextView : public QDialog {
    Q_OBJECT
public:
    explicit frmTextView(QWidget* parent = nullptr);

    // Loads the file; false (with the reason in `error`) when it cannot be read.
    bool openFile(const QString& path, bool readOnly, QString* error = nullptr);
    // Saves the text back in the encoding it was read in; false when the write failed.
    bool save(QString* error = nullptr);
    // Marks the text of the file's bytes [offset, offset + length) as the KWIC lists mark a
    // keyword, with the cursor there and the place in the middle of the window.
    void markBytes(std::uint64_t offset, std::uint64_t length);
    QString markedText() const;

    QPlainTextEdit* editor() const { return m_editor; }
    bool isUtf8() const { return m_utf8; }

private:
    void findNext();

    QPlainTextEdit* m_editor;
    QLineEdit* m_find;
    QPushButton* m_save;
    QLabel* m_status;
    QString m_path;
    std::string m_bytes; // as read: the marks are given in bytes
    bool m_utf8 = false;
    bool m_crlf = false;
};

} // namespace lexmora::ui
