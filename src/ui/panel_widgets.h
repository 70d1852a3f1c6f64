// The small pieces the analysis windows' option panels are built from: controls named for the
// tests and for screen readers, number boxes, labels with their buddy, and the run host that
// turns the table window's progress (and its Stop) into a run's exit flag.
#pragma once

#include "core/run_control.h"
#include "ui/table_window.h"

#include <QString>

class QLabel;
class QSpinBox;
class QWidget;

namespace lexmora::ui {

// The widget with its object name (tests find it by it) and its accessible name.
template <typename T> T* NamedWidget(T* widget, const char* name, const QString& accessible) {
    widget->setObjectName(name);
    widget->setAccessibleName(accessible);
    return widget;
}

QSpinBox* NumberBox(QWidget* parent, const char* name, const QString& accessible, int low, int high,
                    int value);

QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy);

// A run's yield: the window's progress (events, Stop) turned into the run's exit flag.
class TableRunHost : public RunHost {
public:
    explicit TableRunHost(const TableProgress& progress) : m_progress(progress) {}
    void yield(ProgramState& state) override {
        if (!m_progress(0, 0))
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
    }

private:
    const TableProgress& m_progress;
};

} // namespace lexmora::ui
