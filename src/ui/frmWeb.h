// The program's own HTML window: help pages and HTML files, with Back, Forward and Close.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace lexmora::ui {

class frmWeb : public QDialog {
    Q_OBJECT
public:
    explicit frmWeb(QWidget* parent = nullptr);
    // Shows the file; the caption is the file name followed by two blanks.
    void showFile(const QString& path);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

} // namespace lexmora::ui
