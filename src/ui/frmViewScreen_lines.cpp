// The KWIC line list's mouse and keys: selecting lines, the right button's menu on a line, and
// the keys that move, page and act on lines.
#include "ui/frmViewScreen.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace lexmora::ui {

// Up, Down, Page Up and Page Down move through the page; in the viewer they scroll it when the
// cursor passes its first or last line. Home and End go to the page's first and last line, with
// Ctrl to the first and last record. True when the key was one of them.
bool KwicLineList::pagingKey(int key, bool ctrl) {
    const int last = static_cast<int>(m_count) - 1;
    const auto page = static_cast<std::int64_t>(m_ring.size());
    constexpr std::int64_t kWholeList = std::int64_t{1} << 40; // the screen stops at either end
    switch (key) {
    case Qt::Key_Home:
        if (m_viewing && ctrl)
            Q_EMIT scrollWanted(-kWholeList);
        setCurrentRow(0);
        return true;
    case Qt::Key_End:
        if (m_viewing && ctrl)
            Q_EMIT scrollWanted(kWholeList);
        setCurrentRow(static_cast<int>(m_count) - 1);
        return true;
    case Qt::Key_Up:
        if (m_viewing && m_current <= 0)
            Q_EMIT scrollWanted(-1);
        else
            setCurrentRow(m_current - 1);
        return true;
    case Qt::Key_Down:
        if (m_viewing && m_current >= last)
            Q_EMIT scrollWanted(1);
        else
            setCurrentRow(m_current + 1);
        return true;
    case Qt::Key_PageUp:
        if (m_viewing && m_current <= 0)
            Q_EMIT scrollWanted(-page);
        else
            setCurrentRow(0);
        return true;
    case Qt::Key_PageDown:
        if (m_viewing && m_current >= last)
            Q_EMIT scrollWanted(page);
        else
            setCurrentRow(last);
        return true;
    default:
        return false;
    }
}

void KwicLineList::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (event->button() == Qt::RightButton) {
        // In the viewer the menu is about the line under the mouse (Expand, Delete, ...): an
        // unselected line becomes the selection, as in a file manager.
        const int row = rowAt(static_cast<int>(event->position().y()));
        if (m_viewing && row >= 0 && !isSelected(static_cast<std::size_t>(row))) {
            for (std::size_t r = 0; r < m_count; ++r)
                setSelected(r, false);
            setSelected(static_cast<std::size_t>(row), true);
            m_current = row;
            Q_EMIT selectionDone();
            update();
        }
        Q_EMIT contextMenuWanted(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || m_count == 0)
        return;
    m_anchor = rowAt(static_cast<int>(event->position().y()));
    m_dragTo = m_anchor;
    m_current = m_anchor;
    Q_EMIT selectingStarted();
    update();
}

void KwicLineList::mouseMoveEvent(QMouseEvent* event) {
    if (m_anchor < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    const int row = rowAt(static_cast<int>(event->position().y()));
    if (row != m_dragTo) {
        m_dragTo = row;
        m_current = row;
        update();
    }
}

void KwicLineList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_anchor < 0)
        return;
    const int release = rowAt(static_cast<int>(event->position().y()));
    const int low = std::min(m_anchor, release);
    const int high = std::max(m_anchor, release);
    // A click without Ctrl starts a new selection on this page.
    if (!(event->modifiers() & Qt::ControlModifier))
        for (std::size_t row = 0; row < m_count; ++row)
            setSelected(row, false);
    for (int row = low; row <= high; ++row)
        setSelected(static_cast<std::size_t>(row), true);
    m_anchor = -1;
    m_dragTo = -1;
    m_current = release;
    Q_EMIT selectionDone();
    update();
}

void KwicLineList::mouseDoubleClickEvent(QMouseEvent* event) {
    // Record details are the viewer's: a live search has no loop to run them.
    if (event->button() != Qt::LeftButton || m_count == 0 || !m_viewing)
        return;
    m_commands.post(DetailsFlag{rowAt(static_cast<int>(event->position().y()))});
}

void KwicLineList::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    // The commands are the viewer's; during a live search no loop would run them.
    const bool anySelected = m_viewing && std::any_of(m_selected.begin(), m_selected.end(),
                                                      [](char c) { return c != 0; });
    if (pagingKey(event->key(), ctrl)) {
        update();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Delete:
        if (m_current >= 0 && m_viewing)
            m_commands.post(DeleteFlag{m_current});
        break;
    case Qt::Key_C:
        if (ctrl && anySelected)
            m_commands.post(ClipboardFlag{ClipboardAction::CopySelectedLines});
        break;
    case Qt::Key_P:
        if (ctrl && anySelected)
            m_commands.post(PrintTextFlag{PrintedText::SelectedLines});
        break;
    case Qt::Key_X:
        if (ctrl && anySelected)
            m_commands.post(DeleteFlag{std::max(m_current, 0)});
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    update();
}

} // namespace lexmora::ui
