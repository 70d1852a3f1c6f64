// The KWIC screen in its viewing role, as the result viewer's command loop sees it: the wait for
// the next command in Qt's event loop, the page's selection and line positions, the busy
// pointer. While it lives, closing the screen is the Exit button: the viewer asks first.
#pragma once

#include "viewer/viewer_loop.h"

#include <QObject>

namespace lexmora::ui {

class frmViewScreen;

class QtViewerScreen : public QObject, public ViewerScreen {
    Q_OBJECT
public:
    QtViewerScreen(frmViewScreen& screen, ProgramState& state);
    ~QtViewerScreen() override;

    // Runs the events that are waiting; then, while no command is pending and no Exit asked,
    // sleeps in the event loop until the next event.
    void waitForCommand(ProgramState& state) override;
    int screenHeightPixels() override;
    std::int64_t positionOfLine(int lineIndex, const ProgramState& state) override;
    std::vector<std::int64_t> selection() override;
    void clearSelection() override;
    void setBusy(bool busy) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmViewScreen& m_screen;
    ProgramState& m_state;
    bool m_busy = false;
};

} // namespace lexmora::ui
