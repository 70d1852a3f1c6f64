// The collocates of the last sort's word position with their frequencies, most frequent first.
#pragma once

#include "viewer/result_viewer.h"

#include <QDialog>

class QTableWidget;

namespace lexmora::ui {

class frmCollocation : public QDialog {
    Q_OBJECT
public:
    frmCollocation(const Collocation& collocation, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }

private:
    QTableWidget* m_table;
};

} // namespace lexmora::ui
