#include "ui/qt_file_viewer.h"

#include "ui/frmTextView.h"
#include "ui/frmWeb.h"
#include "ui/messages.h"
#include "ui/qt_prompter.h"
#include "ui/text_convert.h"

namespace lexmora::ui {

void QtFileViewer::openTextViewer(const std::string& path, bool readOnly) {
    openTextViewerAt(path, readOnly, {});
}

void QtFileViewer::openTextViewerAt(const std::string& path, bool readOnly, FileMark mark) {
    auto* view = new frmTextView(m_parent);
    view->setAttribute(Qt::WA_DeleteOnClose);
    QString error;
    if (!view->openFile(pathToQt(path), readOnly, &error)) {
        delete view;
        showMessage(m_parent, ui::msg::CannotOpenForViewing(fromQt(error)));
        return;
    }
    view->show();
    if (mark.length > 0)
        view->markBytes(mark.offset, mark.length);
}

void QtFileViewer::openHtmlViewer(const std::string& path, const std::string& caption) {
    auto* web = new frmWeb(m_parent);
    web->setAttribute(Qt::WA_DeleteOnClose);
    web->showFile(pathToQt(path));
    web->setWindowTitle(toQt(caption));
}

} // namespace lexmora::ui
