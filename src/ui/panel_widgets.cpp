#include "ui/panel_widgets.h"

#include <QLabel>
#include <QSpinBox>

namespace lexmora::ui {

QSpinBox* NumberBox(QWidget* parent, const char* name, const QString& accessible, int low, int high,
                    int value) {
    auto* box = NamedWidget(new QSpinBox(parent), name, accessible);
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace lexmora::ui
