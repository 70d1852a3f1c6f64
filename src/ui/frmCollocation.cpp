#include "ui/frmCollocation.h"

#include "ui/text_convert.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace lexmora::ui {

frmCollocation::frmCollocation(const Collocation& collocation, QWidget* parent) : QDialog(parent) {
    setObjectName("frmCollocation");
    setWindowTitle(" Collocates on sort");
    // Most frequent first; equal counts stay alphabetical, as the engine gave them.
    std::vector<CollocateCount> rows = collocation.collocates;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto& a, const auto& b) { return a.count > b.count; });
    m_table = new QTableWidget(static_cast<int>(rows.size()), 2, this);
    m_table->setObjectName("tblCollocates");
    m_table->setAccessibleName(tr("Collocates"));
    m_table->setTabKeyNavigation(false); // Tab moves on to the Close button, not between cells
    m_table->setHorizontalHeaderLabels({"collocate", "frequency"});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        m_table->setItem(r, 0, new QTableWidgetItem(toQt(row.word)));
        auto* count = new QTableWidgetItem(QString::number(row.count));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(r, 1, count);
    }
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->setMinimumSize(420, 320);
    auto* summary = new QLabel(QString("%1 collocates; largest frequency %2, smallest %3")
                                   .arg(rows.size())
                                   .arg(collocation.largest)
                                   .arg(collocation.smallest),
                               this);
    summary->setObjectName("lblCollocateSummary");
    auto* close = new QPushButton("C&lose", this);
    close->setObjectName("cmdClose");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(m_table);
    layout->addWidget(close, 0, Qt::AlignRight);
}

} // namespace lexmora::ui
