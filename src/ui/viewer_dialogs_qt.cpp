#include "ui/viewer_dialogs_qt.h"

#include "search/context_settings.h"
#include "ui/frmContext.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace lexmora::ui {

namespace {

std::function<void(frmContext&)>& dialogHook() {
    static std::function<void(frmContext&)> hook;
    return hook;
}

bool runDialog(frmContext& dialog) {
    if (dialogHook())
        dialogHook()(dialog);
    dialog.exec();
    return dialog.tag() == "Ok";
}

// The sort's second and third keys below the first: the side (none, left, right, the keyword),
// the word's position and its direction. Named "cboThenSide2", "spnThenPos2", "chkThenBack2"...
class LaterKeyRows {
public:
    explicit LaterKeyRows(QDialog& dialog) {
        auto* box = new QGroupBox("Then, for equal words, by", &dialog);
        box->setObjectName("fraThenBy");
        auto* grid = new QGridLayout(box);
        for (int row = 0; row < 2; ++row) {
            const QString level = QString::number(row + 2);
            Row r;
            r.side = new QComboBox(box);
            r.side->setObjectName("cboThenSide" + level);
            r.side->addItems(
                {"(no further key)", "word to the left", "word to the right", "the keyword"});
            r.side->setAccessibleName("Sort key " + level + ": side");
            r.position = new QSpinBox(box);
            r.position->setObjectName("spnThenPos" + level);
            r.position->setRange(1, kContextBarTop);
            r.position->setAccessibleName("Sort key " + level + ": word position");
            r.backwards = new QCheckBox("&backwards", box);
            r.backwards->setObjectName("chkThenBack" + level);
            r.backwards->setAccessibleName("Sort key " + level + ": read backwards");
            auto* label = new QLabel(QString("&%1.").arg(level), box);
            label->setBuddy(r.side);
            grid->addWidget(label, row, 0);
            grid->addWidget(r.side, row, 1);
            grid->addWidget(r.position, row, 2);
            grid->addWidget(r.backwards, row, 3);
            m_rows.push_back(r);
        }
        // Above the OK and Cancel buttons, the dialog's last item; Tab takes the keys before
        // the buttons too.
        if (auto* layout = qobject_cast<QBoxLayout*>(dialog.layout()))
            layout->insertWidget(layout->count() - 1, box);
        auto* ok = dialog.findChild<QPushButton*>("cmdOK");
        auto* cancel = dialog.findChild<QPushButton*>("cmdCancel");
        if (ok != nullptr && cancel != nullptr) {
            QWidget::setTabOrder(m_rows.back().backwards, ok);
            QWidget::setTabOrder(ok, cancel);
        }
    }
    // The chosen keys in order; a row left at "no further key" ends them.
    LaterSortLevels levels() const {
        LaterSortLevels levels = kNoLaterLevels;
        std::size_t next = 0;
        for (const Row& r : m_rows) {
            const int side = r.side->currentIndex();
            if (side <= 0 || next == levels.size())
                break;
            SortLevel level;
            level.mode = r.backwards->isChecked() ? SortMode::WordEnd : SortMode::WordBeginning;
            if (side == 1)
                level.leftPos = r.position->value();
            else if (side == 2)
                level.rightPos = r.position->value();
            levels[next++] = level;
        }
        return levels;
    }

private:
    struct Row {
        QComboBox* side = nullptr;
        QSpinBox* position = nullptr;
        QCheckBox* backwards = nullptr;
    };
    std::vector<Row> m_rows;
};

} // namespace

void SetViewerDialogHookForTest(std::function<void(frmContext&)> hook) {
    dialogHook() = std::move(hook);
}

std::optional<SortRequest> AskSortPositions(ProgramState& state, bool columnView, QWidget* parent) {
    frmContext dialog(state, parent);
    dialog.setRole(ContextRole::Sort, kSortRoleTag);
    dialog.setLabels("ENTER POSITION OF WORD ON WHICH TO BASE SORT", " position to left of keyword",
                     " position to right of keyword");
    dialog.showViewerOptions(true, false);
    dialog.loadValues(0, 0);
    dialog.loadTexts(QString(), QString()); // an empty box is no position at all
    dialog.setColumnView(columnView);
    const LaterKeyRows later(dialog);
    if (!runDialog(dialog))
        return std::nullopt;
    SortRequest request;
    request.then = later.levels();
    const auto position = [](std::optional<long long> n) -> std::optional<int> {
        if (!n)
            return std::nullopt;
        return static_cast<int>(std::min<long long>(*n, kContextBarTop));
    };
    request.leftPos = position(dialog.leftNumber());
    request.rightPos = position(dialog.rightNumber());
    request.columnView = dialog.columnViewChecked();
    return request;
}

std::optional<RangeRequest> AskExtractRange(ProgramState& state, const std::string& verb,
                                            const ExtractRange& proposed, bool confirming,
                                            std::int64_t indexCount, QWidget* parent) {
    frmContext dialog(state, parent);
    dialog.setRole(ContextRole::Extract, "Extract");
    dialog.setRecordLimit(std::max<std::int64_t>(indexCount, 1));
    const QString heading = QString(confirming ? "CONFIRM" : "ENTER") +
                            " VALUES FOR FIRST AND LAST RECORDS TO " +
                            QString::fromStdString(verb).toUpper();
    dialog.setLabels(heading, " from record number: ", " to record number: ");
    dialog.showViewerOptions(false, true);
    dialog.loadTexts(QString::number(proposed.first), QString::number(proposed.last));
    if (!runDialog(dialog))
        return std::nullopt;
    RangeRequest request;
    request.range.first = dialog.leftNumber().value_or(0);
    request.range.last = dialog.rightNumber().value_or(0);
    request.form = dialog.wholeRecord() ? LineForm::WholeRecord : LineForm::KwicSection;
    return request;
}

} // namespace lexmora::ui
