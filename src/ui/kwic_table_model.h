// The result viewer's lines as a table: Hit, File, Left, Keyword, Right. Rows are read from the
// viewer only as the view asks for them (a few pages are kept), so that a file of a million
// records opens as fast as one page: the model holds no row of its own at open.
#pragma once

#include "viewer/kwic_columns.h"
#include "viewer/result_viewer.h"

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <vector>

namespace lexmora::ui {

// A part of a cell's text to be drawn in a sort level's colour.
struct CellSpan {
    int from = 0;
    int length = 0;
    int level = 0; // 0 = the first sort key
};

// One table row, as read from the viewer.
struct KwicTableRow {
    std::int64_t position = -1; // the display position; -1: not read
    std::int64_t hit = 0;       // the record number
    QString file;
    QString folder;
    QString left;
    QString keyword;
    QString right;
    bool damaged = false;
    // The sort words of the row, per text column (Left, Keyword, Right).
    QVector<CellSpan> spans[3];
};

class KwicTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Hit, File, Left, Keyword, Right, ColumnCount };
    // The display position of the first row: position 1 is the header record, never shown.
    static constexpr std::int64_t kFirstPosition = 2;

    explicit KwicTableModel(QObject* parent = nullptr);
    ~KwicTableModel() override;

    // The viewer whose lines are shown; nothing when no file is open. The viewer must outlive
    // its use here: the screen sets nothing before the file is closed.
    void setViewer(ResultViewer* viewer);
    ResultViewer* viewer() const { return m_viewer; }
    // The viewer's order may have changed (a sort, a deletion, every nth): the rows read are
    // dropped and the view told, the row count first when it changed.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row read (from the rows kept, else from the viewer); nothing past the viewer's end.
    const KwicTableRow* rowAt(int row) const;
    static std::int64_t positionOfRow(int row) { return row + kFirstPosition; }
    static int rowOfPosition(std::int64_t position) {
        return static_cast<int>(position - kFirstPosition);
    }

private:
    void readRow(std::int64_t position, KwicTableRow& row) const;
    int countOf(const ResultViewer* viewer) const;

    ResultViewer* m_viewer = nullptr;
    std::uint64_t m_generation = 0;
    int m_rows = 0;
    std::unique_ptr<SourceNames> m_names;     // mutable cache of the log's names
    mutable std::vector<KwicTableRow> m_kept; // by position modulo its size
};

} // namespace lexmora::ui
