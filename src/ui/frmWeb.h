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
    // Shows a help page; the caption is the title of the page shown, also after a link.
    void showHelpPage(const QString& path);
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
    bool m_helpCaptions = false;
};

} // namespace lexmora::ui
