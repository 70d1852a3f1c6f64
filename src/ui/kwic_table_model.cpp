#include "ui/kwic_table_model.h"

#include "ui/text_convert.h"

#include <QDir>

#include <algorithm>
#include <climits>

namespace lexmora::ui {

namespace {

// Rows kept: several pages of the largest window, so that painting a page, its tooltips and
// a step back read each record once.
constexpr std::size_t kKeptRows = 1024;

// Where a cut cell's text starts in the line it was cut from.
struct CellPlace {
    std::size_t from = 0;
    std::size_t size = 0;
};

CellPlace placeIn(std::string_view line, std::string_view cell) {
    if (cell.empty())
        return {};
    return {static_cast<std::size_t>(cell.data() - line.data()), cell.size()};
}

// The parts of the sort words that fall in a cell, in the cell's own positions.
QVector<CellSpan> spansIn(const std::vector<SortWordSpan>& words, CellPlace cell) {
    QVector<CellSpan> spans;
    for (const SortWordSpan& word : words) {
        const std::size_t from = std::max(word.from, cell.from);
        const std::size_t to = std::min(word.from + word.length, cell.from + cell.size);
        if (from < to)
            spans.push_back(
                {static_cast<int>(from - cell.from), static_cast<int>(to - from), word.level});
    }
    return spans;
}

} // namespace

KwicTableModel::KwicTableModel(QObject* parent) : QAbstractTableModel(parent) {}

KwicTableModel::~KwicTableModel() = default;

int KwicTableModel::countOf(const ResultViewer* viewer) const {
    if (viewer == nullptr)
        return 0;
    const std::int64_t rows = viewer->IndexCount() - kFirstPosition + 1;
    return static_cast<int>(std::clamp<std::int64_t>(rows, 0, INT_MAX));
}

void KwicTableModel::setViewer(ResultViewer* viewer) {
    beginResetModel();
    m_viewer = viewer;
    m_names = viewer != nullptr ? std::make_unique<SourceNames>(*viewer) : nullptr;
    m_generation = viewer != nullptr ? viewer->orderGeneration() : 0;
    m_rows = countOf(viewer);
    m_kept.clear();
    endResetModel();
}

void KwicTableModel::refresh() {
    if (m_viewer == nullptr || m_viewer->orderGeneration() == m_generation)
        return;
    m_generation = m_viewer->orderGeneration();
    m_kept.clear();
    const int rows = countOf(m_viewer);
    if (rows != m_rows) {
        // A reset costs nothing per row: the view asks again only for the rows it shows.
        beginResetModel();
        m_rows = rows;
        endResetModel();
        return;
    }
    if (m_rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

int KwicTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int KwicTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

void KwicTableModel::readRow(std::int64_t position, KwicTableRow& row) const {
    row = KwicTableRow{};
    row.position = position;
    row.hit = std::int64_t{m_viewer->recordAt(position)} - (m_viewer->hasHeader() ? 1 : 0);
    const std::string record(m_viewer->GetRecord(position));
    if (record == kDamagedRecordText) {
        row.damaged = true;
        row.keyword = toQt(record);
        return;
    }
    const DumpRecordFields fields = SplitDumpRecord(record, m_viewer->RecordLength());
    row.file = toQt(m_names->nameOf(fields));
    const std::string_view folder = m_names->folderOf(fields);
    row.folder = folder.empty() ? QString() : QDir::toNativeSeparators(toQt(folder));
    const std::string_view text = m_viewer->kwicText(record);
    const KwicCut cut =
        CutKwicLine(text, static_cast<std::size_t>(std::max(m_viewer->LeftContextWidth(), 0)),
                    KeywordWordsForCut(m_viewer->ViewKeyword()));
    row.left = toQt(cut.left);
    row.keyword = toQt(cut.keyword);
    row.right = toQt(cut.right);
    const std::vector<SortWordSpan> words = SortWordSpans(*m_viewer, record);
    if (words.empty())
        return;
    row.spans[0] = spansIn(words, placeIn(text, cut.left));
    row.spans[1] = spansIn(words, placeIn(text, cut.keyword));
    row.spans[2] = spansIn(words, placeIn(text, cut.right));
}

const KwicTableRow* KwicTableModel::rowAt(int row) const {
    if (m_viewer == nullptr || row < 0 || row >= m_rows)
        return nullptr;
    const std::int64_t position = positionOfRow(row);
    // The viewer may have lost lines before the view was told (a message box shown during a
    // command lets the view paint): nothing is read past its end.
    if (position > m_viewer->IndexCount())
        return nullptr;
    if (m_kept.empty())
        m_kept.resize(kKeptRows);
    KwicTableRow& kept = m_kept[static_cast<std::size_t>(position) % kKeptRows];
    if (kept.position != position)
        readRow(position, kept);
    return &kept;
}

QVariant KwicTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole) {
        const int column = index.column();
        if (column == Hit || column == Left)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole)
        return {};
    const KwicTableRow* row = rowAt(index.row());
    if (row == nullptr)
        return {};
    if (role == Qt::ToolTipRole)
        return index.column() == File && !row->folder.isEmpty() ? QVariant(row->folder)
                                                                : QVariant();
    switch (index.column()) {
    case Hit:
        return QString::number(row->hit);
    case File:
        return row->file;
    case Left:
        return row->left;
    case Keyword:
        return row->keyword;
    case Right:
        return row->right;
    default:
        return {};
    }
}

QVariant KwicTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kNames[] = {"Hit", "File", "Left", "Keyword", "Right"};
    if (section < 0 || section >= ColumnCount)
        return {};
    return tr(kNames[section]);
}

} // namespace lexmora::ui
