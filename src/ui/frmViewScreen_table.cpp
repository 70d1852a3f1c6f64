// The KWIC screen's table view: the viewer's lines as a table in place of the line list (the
// View menu's "Table View", remembered in the settings file). Both views show one viewer: the
// selection is the screen's, the page follows the table as it scrolls, and every command the
// table posts names its lines as the line list does.
#include "ui/frmViewScreen.h"

#include "core/settings.h"
#include "search/messages.h"
#include "ui/kwic_table_view.h"
#include "ui/text_convert.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>

namespace lexmora::ui {

namespace {

constexpr const char* kTableViewKey = "ViewerTableView"; // 1: the table view, else the lines

} // namespace

void frmViewScreen::buildTableView(QBoxLayout* page) {
    m_tblKwic = new KwicTableView(m_state, m_selection, m_commands, this);
    m_tblKwic->setLinesFont(m_lstText->font());
    m_tblKwic->hide();
    page->insertWidget(page->indexOf(m_lstText) + 1, m_tblKwic, 1);
    connect(m_tblKwic, &KwicTableView::selectionEdited, this, &frmViewScreen::onTableSelection);
    connect(m_tblKwic, &KwicTableView::topMoved, this, &frmViewScreen::onTableMoved);
    connect(m_tblKwic, &KwicTableView::contextMenuWanted, this, &frmViewScreen::showTextOptions);
    connect(m_tblKwic->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmViewScreen::updateDeleteButton);
}

void frmViewScreen::addTableViewItem(QMenu* view) {
    view->addSeparator();
    m_mnuTableView = view->addAction("&Table View");
    m_mnuTableView->setObjectName("mnuTableView");
    m_mnuTableView->setCheckable(true);
    m_mnuTableView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_mnuTableView->setShortcutContext(Qt::WindowShortcut);
    m_mnuTableView->setVisible(false); // the viewer's only: a live search has no table
    connect(m_mnuTableView, &QAction::triggered, this, &frmViewScreen::setTableView);
}

void frmViewScreen::setTableView(bool on) {
    if (!m_state.SettingsPath.empty())
        WriteIniString(kSettingsSection, kTableViewKey, on ? "1" : "0", m_state.SettingsPath);
    if (on == m_tableOn)
        return;
    m_tableOn = on;
    applyTableView();
}

void frmViewScreen::restoreTableView() {
    // Without a settings file the choice lasts as long as the screen.
    if (!m_state.SettingsPath.empty())
        m_tableOn = ReadIniInt(kTableViewKey, 0, m_state.SettingsPath) == 1;
    applyTableView();
}

void frmViewScreen::applyTableView() {
    const bool table = m_viewing && m_tableOn;
    m_mnuTableView->setVisible(m_viewing);
    m_mnuTableView->setChecked(m_tableOn);
    const bool hadFocus = m_lstText->hasFocus() || m_tblKwic->hasFocus();
    m_tblKwic->setVisible(table);
    m_lstText->setVisible(!table);
    // The table scrolls itself, both ways.
    m_vscVertical->setVisible(m_viewing && !table);
    m_hscHorizontal->setVisible(!table);
    if (table) {
        m_tblKwic->showPage(m_top);
        if (const int row = KwicTableModel::rowOfPosition(m_top); row >= 0)
            m_tblKwic->scrollTo(m_tblKwic->kwicModel()->index(row, 0),
                                QAbstractItemView::PositionAtTop);
    } else if (m_viewing) {
        // The lines take up where the table was, with the selection made there.
        const std::int64_t top = m_tblKwic->topPosition();
        Q_EMIT pageWanted(top >= 0 ? top : m_top);
    }
    if (hadFocus)
        (table ? static_cast<QWidget*>(m_tblKwic) : m_lstText)->setFocus(Qt::OtherFocusReason);
    updateDeleteButton();
}

void frmViewScreen::showRecords(ResultViewer* viewer) {
    if (m_tblKwic->kwicModel()->viewer() != viewer)
        m_tblKwic->showViewer(viewer);
    if (viewer != nullptr && m_tableOn && m_viewing)
        m_tblKwic->setFocus(Qt::OtherFocusReason); // the keys page from the start
}

void frmViewScreen::showTablePage(std::int64_t top) {
    if (m_tblKwic == nullptr || !m_tblKwic->isVisibleTo(this))
        return;
    if (!m_tableMoving)
        m_tblKwic->showPage(top);
    // The records counted are the table's rows in view, not the hidden page's.
    const std::int64_t first = m_tblKwic->topPosition();
    if (first >= 0)
        m_lblRecordNum->setText(QString(" %1 to %2 of %3")
                                    .arg(first)
                                    .arg(m_tblKwic->bottomPosition())
                                    .arg(m_indexCount));
}

void frmViewScreen::syncTableSelection() {
    if (m_tblKwic != nullptr && m_tblKwic->isVisibleTo(this))
        m_tblKwic->syncSelection();
}

void frmViewScreen::setTableFont(const QFont& font) {
    if (m_tblKwic != nullptr)
        m_tblKwic->setLinesFont(font);
}

void frmViewScreen::onTableSelection(bool refused) {
    m_lblMessage->setText(toQt(m_message));
    updateDeleteButton();
    if (refused)
        m_prompter.tell(search::msg::SelectionLimit(false));
}

void frmViewScreen::onTableMoved(std::int64_t top) {
    m_tableMoving = true;
    Q_EMIT pageWanted(top);
    m_tableMoving = false;
}

bool frmViewScreen::hasCurrentLine() const {
    if (m_tblKwic != nullptr && m_tblKwic->isVisibleTo(this))
        return m_tblKwic->currentPosition() >= 0;
    return m_lstText->currentRow() >= 0;
}

int frmViewScreen::currentLine() const {
    if (m_tblKwic != nullptr && m_tblKwic->isVisibleTo(this)) {
        const std::int64_t position = m_tblKwic->currentPosition();
        return position >= 0 ? static_cast<int>(position - m_state.ShownTop) : 0;
    }
    return std::max(m_lstText->currentRow(), 0);
}

} // namespace lexmora::ui
