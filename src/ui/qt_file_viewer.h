// The desktop's side of viewing a file: the program's own text and HTML windows.
#pragma once

#include "core/view_file.h"

class QWidget;

namespace lexmora::ui {

class QtFileViewer : public FileViewer {
public:
    explicit QtFileViewer(QWidget* parent) : m_parent(parent) {}
    void openTextViewer(const std::string& path, bool readOnly) override;
    void openTextViewerAt(const std::string& path, bool readOnly, FileMark mark) override;
    void openHtmlViewer(const std::string& path, const std::string& caption) override;

private:
    QWidget* m_parent;
};

} // namespace lexmora::ui
