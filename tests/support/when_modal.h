// Desktop tests answer modal windows from a timer: the window's own loop is running by then.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace lexmora::test {

// Runs `step` on the modal window once one is shown, looking every 10 ms.
inline void whenModal(std::function<void(QWidget*)> step) {
    QTimer::singleShot(10, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            whenModal(step);
            return;
        }
        step(modal);
    });
}

} // namespace lexmora::test
