#include "ui/qt_clipboard.h"

#include "ui/text_convert.h"

#include <QClipboard>
#include <QGuiApplication>

namespace lexmora::ui {

void QtClipboard::setText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(toQt(text));
}

} // namespace lexmora::ui
