#include "ui/kwic_table_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace lexmora::ui {

QColor SortLevelColour(int level, const QColor& background) {
    const bool dark = background.lightness() < 128;
    switch (level) {
    case 0:
        return dark ? QColor(0xFF, 0x6E, 0x6E) : QColor(0xC0, 0x00, 0x00);
    case 1:
        return dark ? QColor(0x6E, 0xE0, 0x6E) : QColor(0x00, 0x80, 0x00);
    default:
        return dark ? QColor(0x82, 0xAA, 0xFF) : QColor(0x00, 0x30, 0xE0);
    }
}

namespace {

constexpr int kCellMargin = 4;

// A run of a cell's text drawn in one colour and weight.
struct Piece {
    QString text;
    QColor colour;
    bool bold = false;
};

// Draws the text columns: the sort words in their levels' colours, the keyword as the line list
// draws it, the left context against the keyword (cut on its left when the cell is narrow).
class KwicCellDelegate : public QStyledItemDelegate {
public:
    KwicCellDelegate(const KwicTableModel& model, QObject* parent)
        : QStyledItemDelegate(parent), m_model(model) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int column = index.column();
        if (column < KwicTableModel::Left) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        const QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
        const KwicTableRow* row = m_model.rowAt(index.row());
        if (row == nullptr || text.isEmpty())
            return;
        const bool selected = cell.state.testFlag(QStyle::State_Selected);
        const QColor background =
            cell.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        const QColor plain =
            cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        // The keyword has a column of its own: bold is enough, and red stays the first key's.
        const bool keyword = column == KwicTableModel::Keyword && !row->damaged;
        const QVector<Piece> pieces =
            piecesOf(text, row->spans[column - KwicTableModel::Left], keyword, plain, background);
        drawPieces(painter, cell, pieces, column == KwicTableModel::Left);
    }

private:
    static QVector<Piece> piecesOf(const QString& text, const QVector<CellSpan>& spans,
                                   bool keyword, const QColor& base, const QColor& background) {
        QVector<Piece> pieces;
        int at = 0;
        for (const CellSpan& span : spans) {
            if (span.from > at)
                pieces.push_back({text.mid(at, span.from - at), base, keyword});
            pieces.push_back(
                {text.mid(span.from, span.length), SortLevelColour(span.level, background), true});
            at = span.from + span.length;
        }
        if (at < text.size())
            pieces.push_back({text.mid(at), base, keyword});
        return pieces;
    }

    static void drawPieces(QPainter* painter, const QStyleOptionViewItem& cell,
                           const QVector<Piece>& pieces, bool againstRight) {
        QFont bold = cell.font;
        bold.setBold(true);
        const QFontMetrics plainMetrics(cell.font);
        const QFontMetrics boldMetrics(bold);
        int width = 0;
        for (const Piece& piece : pieces)
            width += (piece.bold ? boldMetrics : plainMetrics).horizontalAdvance(piece.text);
        const QRect area = cell.rect.adjusted(kCellMargin, 0, -kCellMargin, 0);
        int x = againstRight ? area.right() + 1 - width : area.left();
        const int baseline =
            area.top() + (area.height() - plainMetrics.height()) / 2 + plainMetrics.ascent();
        painter->save();
        painter->setClipRect(area);
        for (const Piece& piece : pieces) {
            painter->setFont(piece.bold ? bold : cell.font);
            painter->setPen(piece.colour);
            painter->drawText(x, baseline, piece.text);
            x += (piece.bold ? boldMetrics : plainMetrics).horizontalAdvance(piece.text);
        }
        painter->restore();
    }

    const KwicTableModel& m_model;
};

} // namespace

KwicTableView::KwicTableView(ProgramState& state, SelectionList& selection,
                             ViewerCommandQueue& commands, QWidget* parent)
    : QTableView(parent), m_state(state), m_selection(selection), m_commands(commands),
      m_model(new KwicTableModel(this)) {
    setObjectName("tblKwicLines");
    setAccessibleName(tr("KWIC lines as a table"));
    setAccessibleDescription(tr("One line a row: hit, file, left context, keyword, right context"));
    setModel(m_model);
    setItemDelegate(new KwicCellDelegate(*m_model, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setShowGrid(false);
    setTabKeyNavigation(false); // Tab leaves the table, as it leaves every other control
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Uniform rows: the view places a row by arithmetic, never by asking a million rows' sizes.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    setLinesFont(font());
}

void KwicTableView::setLinesFont(const QFont& font) {
    setFont(font);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(font).lineSpacing() + 4);
    sizeColumns();
}

void KwicTableView::sizeColumns() {
    // From the file's layout, never from the rows: measuring a million rows would read them all.
    const QFontMetrics metrics(font());
    const int character = metrics.horizontalAdvance(QLatin1Char('M'));
    const ResultViewer* viewer = m_model->viewer();
    const int leftChars = viewer != nullptr ? std::clamp(viewer->LeftContextWidth(), 10, 60) : 40;
    const int keywordChars =
        viewer != nullptr ? std::clamp(static_cast<int>(viewer->ViewKeyword().size()) + 2, 10, 30)
                          : 12;
    setColumnWidth(KwicTableModel::Hit, character * 8 + 2 * kCellMargin);
    setColumnWidth(KwicTableModel::File, character * 16 + 2 * kCellMargin);
    setColumnWidth(KwicTableModel::Left, character * leftChars + 2 * kCellMargin);
    setColumnWidth(KwicTableModel::Keyword, character * keywordChars + 2 * kCellMargin);
}

void KwicTableView::showViewer(ResultViewer* viewer) {
    m_model->setViewer(viewer);
    sizeColumns();
    scrollToTop();
}

void KwicTableView::showPage(std::int64_t top) {
    const int current = currentIndex().row();
    const int scrolled = verticalScrollBar()->value();
    const int rowsBefore = m_model->rowCount();
    // Called while the viewer draws its page: the table's moves here are not the user's.
    m_syncing = true;
    m_model->refresh();
    if (m_model->rowCount() != rowsBefore) { // the reset lost the current row and the place
        const int rows = m_model->rowCount();
        if (current >= 0 && rows > 0)
            selectionModel()->setCurrentIndex(m_model->index(std::min(current, rows - 1), 0),
                                              QItemSelectionModel::NoUpdate);
        verticalScrollBar()->setValue(scrolled);
    }
    m_syncing = false;
    syncSelection();
    const int row = KwicTableModel::rowOfPosition(top);
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int first = rowAt(0);
    const int last = rowAt(viewport()->height() - 1);
    const int rows = m_model->rowCount();
    // A page held at the file's end starts above a table scrolled to its end: both show the end.
    const std::int64_t lastTop = std::max<std::int64_t>(
        KwicTableModel::kFirstPosition, rows + 1 - std::max(m_state.ScreenLines, 1) + 1);
    const bool bothAtEnd = top >= lastTop && (last < 0 || last == rows - 1);
    if (!bothAtEnd && (first < 0 || row < first || (last >= 0 && row > last))) {
        m_syncing = true; // the viewer's page is already there
        scrollTo(m_model->index(row, 0), QAbstractItemView::PositionAtTop);
        m_syncing = false;
    }
}

void KwicTableView::syncSelection() {
    m_syncing = true;
    QItemSelection shown;
    const int rows = m_model->rowCount();
    int runFirst = -1;
    int runLast = -2;
    const auto flush = [&] {
        if (runFirst >= 0)
            shown.select(m_model->index(runFirst, 0),
                         m_model->index(runLast, KwicTableModel::ColumnCount - 1));
    };
    for (const std::int64_t position : m_selection.keys()) {
        const int row = KwicTableModel::rowOfPosition(position);
        if (row < 0 || row >= rows)
            continue;
        if (row != runLast + 1) {
            flush();
            runFirst = row;
        }
        runLast = row;
    }
    flush();
    selectionModel()->select(shown, QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
}

std::int64_t KwicTableView::currentPosition() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? KwicTableModel::positionOfRow(current.row()) : -1;
}

std::int64_t KwicTableView::topPosition() const {
    const int row = rowAt(0);
    return row >= 0 ? KwicTableModel::positionOfRow(row) : -1;
}

int KwicTableView::lineOf(std::int64_t position) const {
    return static_cast<int>(position - m_state.ShownTop);
}

void KwicTableView::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (m_syncing)
        return;
    for (const QItemSelectionRange& range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_selection.toggle(KwicTableModel::positionOfRow(row), false);
    bool refused = false;
    for (const QItemSelectionRange& range : selected) {
        for (int row = range.top(); row <= range.bottom() && !refused; ++row)
            refused = m_selection.toggle(KwicTableModel::positionOfRow(row), true);
    }
    if (refused)
        syncSelection(); // the rows past the limit are shown unselected, as they are
    Q_EMIT selectionEdited(refused);
}

void KwicTableView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (dy != 0 && !m_syncing)
        if (const std::int64_t top = topPosition(); top >= 0)
            Q_EMIT topMoved(top);
}

void KwicTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    // More or fewer rows in view: the page and the record count follow.
    if (const std::int64_t top = topPosition(); top >= 0 && !m_syncing)
        Q_EMIT topMoved(top);
}

std::int64_t KwicTableView::bottomPosition() const {
    const int last = rowAt(viewport()->height() - 1);
    if (last >= 0)
        return KwicTableModel::positionOfRow(last);
    return m_model->rowCount() > 0 ? KwicTableModel::positionOfRow(m_model->rowCount() - 1) : -1;
}

void KwicTableView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const std::int64_t current = currentPosition();
    const bool anySelected = !m_selection.empty();
    switch (event->key()) {
    case Qt::Key_Delete:
        if (current >= 0 || anySelected)
            m_commands.post(DeleteFlag{lineOf(std::max<std::int64_t>(current, m_state.ShownTop))});
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current >= 0) // the record details, as a double click
            m_commands.post(DetailsFlag{lineOf(current)});
        return;
    case Qt::Key_C:
    case Qt::Key_P:
    case Qt::Key_X:
        if (!ctrl)
            break;
        if (anySelected && event->key() == Qt::Key_C)
            m_commands.post(ClipboardFlag{ClipboardAction::CopySelectedLines});
        else if (anySelected && event->key() == Qt::Key_P)
            m_commands.post(PrintTextFlag{PrintedText::SelectedLines});
        else if (anySelected)
            m_commands.post(DeleteFlag{lineOf(std::max<std::int64_t>(current, m_state.ShownTop))});
        return;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void KwicTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at.isValid())
        m_commands.post(DetailsFlag{lineOf(KwicTableModel::positionOfRow(at.row()))});
}

void KwicTableView::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT contextMenuWanted(event->globalPos());
}

} // namespace lexmora::ui
