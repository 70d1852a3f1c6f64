#include "ui/qt_prompter.h"

#include "ui/text_convert.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSpacerItem>

namespace lexmora::ui {
namespace {

constexpr int kTitleBarButtons = 140; // room the window manager takes for its buttons

QMessageBox::StandardButtons buttonsOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(Icon icon) {
    switch (icon) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

Answer answerOf(int button) {
    switch (button) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace

void keepTitleWhole(QMessageBox& box) {
    // A short text makes a narrow box whose title bar elides the title ("E...ch"): the box is
    // made wide enough for the title and the title bar's buttons.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    // Without a title of its own the title bar shows the program's name.
    const QString title = box.windowTitle().trimmed().isEmpty()
                              ? QGuiApplication::applicationDisplayName()
                              : box.windowTitle().trimmed();
    const int width = box.fontMetrics().horizontalAdvance(title) + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

Answer showMessage(QWidget* parent, const Message& message) {
    QMessageBox box(iconOf(message.icon), toQt(message.title), toQt(message.text),
                    buttonsOf(message.buttons), parent);
    box.setObjectName("msgBox");
    keepTitleWhole(box);
    return answerOf(box.exec());
}

Answer QtPrompter::ask(const Message& message) {
    return showMessage(m_parent, message);
}

} // namespace lexmora::ui
