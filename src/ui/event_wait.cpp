#include "ui/event_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace lexmora::ui {

void WaitForEvents(std::chrono::milliseconds limit) {
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(limit);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace lexmora::ui
