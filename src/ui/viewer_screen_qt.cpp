#include "ui/viewer_screen_qt.h"

#include "ui/frmViewScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

namespace lexmora::ui {

QtViewerScreen::QtViewerScreen(frmViewScreen& screen, ProgramState& state)
    : m_screen(screen), m_state(state) {
    m_screen.installEventFilter(this);
}

QtViewerScreen::~QtViewerScreen() {
    m_screen.removeEventFilter(this);
    setBusy(false);
}

void QtViewerScreen::waitForCommand(ProgramState& state) {
    QCoreApplication::processEvents();
    // An idle viewer sleeps here: every event wakes it, and any of them may have posted.
    while (state.ViewerCommands.empty() && state.ExitFlag == ExitRequest::None)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int QtViewerScreen::screenHeightPixels() {
    const QScreen* display = QGuiApplication::primaryScreen();
    return display != nullptr ? display->size().height() : 0;
}

std::int64_t QtViewerScreen::positionOfLine(int lineIndex, const ProgramState& state) {
    const KwicLineList* lines = m_screen.lines();
    if (lineIndex >= 0 && static_cast<std::size_t>(lineIndex) < lines->count())
        return lines->itemData(static_cast<std::size_t>(lineIndex));
    return ViewerScreen::positionOfLine(lineIndex, state);
}

std::vector<std::int64_t> QtViewerScreen::selection() {
    const auto& keys = m_screen.selection().keys();
    return {keys.begin(), keys.end()};
}

void QtViewerScreen::clearSelection() {
    m_screen.ClearSelection();
}

void QtViewerScreen::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool QtViewerScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_screen && event->type() == QEvent::Close) {
        // The window stays until the viewer has asked and the user has chosen to leave.
        m_state.ExitFlag = ExitRequest::UserPressedExit;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lexmora::ui
