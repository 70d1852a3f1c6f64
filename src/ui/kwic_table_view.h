// The result viewer's table view: the same lines as the line list, one record a row in the
// columns Hit, File, Left, Keyword and Right, the left context right-aligned against the
// keyword and the words of the sort in its levels' colours. It is another face of the same
// viewer: the selection it edits is the screen's, and its keys and clicks post the viewer's
// commands as the line list's do.
#pragma once

#include "core/program_state.h"
#include "search/kwic_screen.h"
#include "ui/kwic_table_model.h"
#include "viewer/viewer_commands.h"

#include <QColor>
#include <QPalette>
#include <QTableView>

#include <cstdint>

namespace lexmora::ui {

// The colour of a sort level's words (0: first key, red; 1: green; 2: blue), readable on
// `background`: lighter shades on a dark one.
QColor SortLevelColour(int level, const QColor& background);

class KwicTableView : public QTableView {
    Q_OBJECT
public:
    // `selection` and `commands` are the screen's: the table shows and edits its selection,
    // never a copy, and posts into its queue.
    KwicTableView(ProgramState& state, SelectionList& selection, ViewerCommandQueue& commands,
                  QWidget* parent = nullptr);

    KwicTableModel* kwicModel() const { return m_model; }
    // A file opened or closed (nothing): the columns are sized for its contexts.
    void showViewer(ResultViewer* viewer);
    // After the viewer's command: rows read again if its order changed, the selection as the
    // screen holds it, and `top` brought into view unless it is already shown.
    void showPage(std::int64_t top);
    // The table's selection made the screen's again (after the line list or a command changed it).
    void syncSelection();
    // The display position of the current row; nothing (-1) when there is none.
    std::int64_t currentPosition() const;
    // The first and the last display position in view (-1: none).
    std::int64_t topPosition() const;
    std::int64_t bottomPosition() const;
    // The text size of the lines: rows stay one line high.
    void setLinesFont(const QFont& font);

Q_SIGNALS:
    void selectionEdited(bool refused); // the user changed the selection; `refused`: the limit
    void topMoved(std::int64_t top);    // the user scrolled: the viewer's page follows
    void contextMenuWanted(const QPoint& global);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The line index a command names for a display position: relative to the page shown.
    int lineOf(std::int64_t position) const;
    void sizeColumns();

    ProgramState& m_state;
    SelectionList& m_selection;
    ViewerCommandQueue& m_commands;
    KwicTableModel* m_model = nullptr;
    bool m_syncing = false;
};

} // namespace lexmora::ui
