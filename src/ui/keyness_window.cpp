#include "ui/keyness_window.h"

#include "core/command_line.h"
#include "ui/help_qt.h"
#include "ui/panel_widgets.h"
#include "ui/table_model.h"
#include "ui/table_window.h"
#include "ui/text_convert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cstdio>

namespace lexmora::ui {

namespace {

struct MeasureItem {
    KeynessMeasure measure;
    const char* caption;
    const char* cli;
};
constexpr MeasureItem kMeasures[] = {
    {KeynessMeasure::LogLikelihood, "Log-likelihood (LL)", "ll"},
    {KeynessMeasure::ChiSquare, "Chi-square", "chi2"},
    {KeynessMeasure::LogRatio, "Log Ratio", "logratio"},
    {KeynessMeasure::PercentDiff, "%DIFF", "pctdiff"},
    {KeynessMeasure::Bic, "BIC", "bic"},
    {KeynessMeasure::Smp, "Simple maths (SMP)", "smp"},
};
constexpr const char* kLevels[] = {"0.05", "0.01", "0.001", "0.0001", "none"};
constexpr const char* kCorrections[] = {"none", "bonferroni", "sidak"};
constexpr const char* kShows[] = {"both", "positive", "negative"};
// A Stop is looked at once per this many rows (one less than a power of two) of a long table.
constexpr std::uint32_t kRowsBetweenStopChecks = 0xFFFF;

std::string numberText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

} // namespace

struct KeynessPanel {
    QLineEdit* reference;
    QComboBox* measure;
    QDoubleSpinBox* k;
    QComboBox* level;
    QComboBox* correction;
    QSpinBox* minTarget;
    QSpinBox* minReference;
    QComboBox* show;
    QCheckBox* skipBadLines;

    KeynessRequest request(const std::string& target) const {
        KeynessRequest r;
        r.targetPath = target;
        r.referencePath = pathFromQt(reference->text().trimmed());
        r.measure = kMeasures[std::max(0, measure->currentIndex())].measure;
        r.k = k->value();
        const std::string chosen = level->currentText().toStdString();
        r.pLevel = chosen == "none" ? std::nullopt : std::optional<double>(std::stod(chosen));
        r.correction = static_cast<PCorrection>(std::max(0, correction->currentIndex()));
        r.minTarget = minTarget->value();
        r.minReference = minReference->value();
        const int shown = std::max(0, show->currentIndex());
        r.show = shown == 0 ? KeywordShow::Both
                            : (shown == 1 ? KeywordShow::Positive : KeywordShow::Negative);
        r.badLines = skipBadLines->isChecked() ? BadLines::Skip : BadLines::Refuse;
        return r;
    }
};

namespace {

QWidget* buildPanel(KeynessPanel& p, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName("pnlKeyness");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    p.reference = NamedWidget(new QLineEdit(panel), "txtReference", QObject::tr("Reference list"));
    auto* browse = NamedWidget(new QPushButton(QObject::tr("&Browse..."), panel), "cmdBrowse",
                               QObject::tr("Choose the reference list"));
    browse->setAutoDefault(false);
    QObject::connect(browse, &QPushButton::clicked, panel, [panel, &p] {
        const QString file = QFileDialog::getOpenFileName(
            panel, QObject::tr("Reference list"), p.reference->text(),
            QObject::tr("Word lists (*.lst);;Plain lists (*.txt *.tsv);;All files (*)"));
        if (!file.isEmpty())
            p.reference->setText(file);
    });
    p.measure = NamedWidget(new QComboBox(panel), "cboMeasure", QObject::tr("Measure"));
    for (const MeasureItem& m : kMeasures)
        p.measure->addItem(QString::fromLatin1(m.caption));
    p.k = NamedWidget(new QDoubleSpinBox(panel), "spnK", QObject::tr("SMP constant k"));
    p.k->setRange(0.001, 1000000);
    p.k->setValue(1.0);
    p.level = NamedWidget(new QComboBox(panel), "cboLevel", QObject::tr("Significance level"));
    for (const char* level : kLevels)
        p.level->addItem(QString::fromLatin1(level));
    p.correction = NamedWidget(new QComboBox(panel), "cboCorrection", QObject::tr("Correction"));
    p.correction->addItems({QObject::tr("none"), QObject::tr("Bonferroni"), QObject::tr("Sidak")});
    p.minTarget =
        NamedWidget(new QSpinBox(panel), "spnMinTarget", QObject::tr("Minimum in target"));
    p.minTarget->setRange(0, 1000000000);
    p.minTarget->setValue(5);
    p.minReference =
        NamedWidget(new QSpinBox(panel), "spnMinReference", QObject::tr("Minimum in reference"));
    p.minReference->setRange(0, 1000000000);
    p.show = NamedWidget(new QComboBox(panel), "cboShow", QObject::tr("Keywords shown"));
    p.show->addItems(
        {QObject::tr("positive and negative"), QObject::tr("positive"), QObject::tr("negative")});
    p.skipBadLines =
        NamedWidget(new QCheckBox(QObject::tr("S&kip bad lines of a plain list"), panel),
                    "chkSkipBadLines", QObject::tr("Skip bad lines"));

    auto label = [panel](const QString& text, QWidget* buddy) {
        return BuddyLabel(panel, text, buddy);
    };
    grid->addWidget(label(QObject::tr("&Reference:"), p.reference), 0, 0);
    grid->addWidget(p.reference, 0, 1, 1, 4);
    grid->addWidget(browse, 0, 5);
    grid->addWidget(label(QObject::tr("&Measure:"), p.measure), 1, 0);
    grid->addWidget(p.measure, 1, 1);
    grid->addWidget(label(QObject::tr("SMP &k:"), p.k), 1, 2);
    grid->addWidget(p.k, 1, 3);
    grid->addWidget(label(QObject::tr("&Show:"), p.show), 1, 4);
    grid->addWidget(p.show, 1, 5);
    grid->addWidget(label(QObject::tr("&p below:"), p.level), 2, 0);
    grid->addWidget(p.level, 2, 1);
    grid->addWidget(label(QObject::tr("&Correction:"), p.correction), 2, 2);
    grid->addWidget(p.correction, 2, 3);
    grid->addWidget(p.skipBadLines, 2, 4, 1, 2);
    grid->addWidget(label(QObject::tr("Min. in &target:"), p.minTarget), 3, 0);
    grid->addWidget(p.minTarget, 3, 1);
    grid->addWidget(label(QObject::tr("Min. in r&eference:"), p.minReference), 3, 2);
    grid->addWidget(p.minReference, 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(5, 1);
    return panel;
}

} // namespace

std::string KeynessCommandLine(const ProgramState& state, const KeynessRequest& r) {
    std::vector<std::string> words = {CliProgramPath(state)};
    if (!state.ProgramFolder.empty())
        words.insert(words.end(), {"--home", state.ProgramFolder});
    words.insert(words.end(), {"keyness", r.targetPath, r.referencePath});
    for (const MeasureItem& m : kMeasures)
        if (m.measure == r.measure)
            words.insert(words.end(), {"--measure", m.cli});
    words.insert(words.end(), {"--k", numberText(r.k)});
    words.insert(words.end(), {"--p", r.pLevel ? numberText(*r.pLevel) : std::string("none")});
    words.insert(words.end(), {"--correct", kCorrections[static_cast<std::size_t>(r.correction)]});
    words.insert(words.end(), {"--min-target", std::to_string(r.minTarget)});
    words.insert(words.end(), {"--min-ref", std::to_string(r.minReference)});
    const std::size_t show =
        r.show == KeywordShow::Both ? 0 : (r.show == KeywordShow::Positive ? 1 : 2);
    words.insert(words.end(), {"--show", kShows[show]});
    if (r.badLines == BadLines::Skip)
        words.insert(words.end(), {"--bad-lines", "skip"});
    return ShellLine(words);
}

TableWindow* OpenKeynessWindow(ProgramState& state, Prompter& prompter,
                               const std::string& targetListPath,
                               std::function<void(const std::string&)> goToWord, QWidget* parent) {
    auto* window = new TableWindow(state, prompter, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName("frmKeyness");
    window->setWindowTitle(
        QObject::tr("Keywords of %1").arg(QFileInfo(pathToQt(targetListPath)).fileName()));
    window->setHelpTopic("keyness");
    auto panel = std::make_shared<KeynessPanel>();
    window->setOptionsPanel(buildPanel(*panel, window));
    window->model().setRowBrush([](const ColumnTable& table, std::size_t row) -> QVariant {
        // The direction column, last: "+" positive.
        const std::size_t columns = table.columnCount();
        if (columns == 0)
            return {};
        const bool positive = table.kindAt(row, columns - 1) == CellKind::Text &&
                              table.textAt(row, columns - 1) == "+";
        return QColor(positive ? QColor(226, 240, 226) : QColor(246, 228, 228));
    });
    // The rows go straight into the column store as the comparison makes them.
    window->setColumnRun(
        [panel, targetListPath](const TableProgress& progress) -> Result<ColumnTable> {
            progress(0, 0);
            ColumnTable table(KeynessColumns());
            std::uint32_t rows = 0;
            Result<KeynessResult> result =
                RunKeyness(panel->request(targetListPath), [&](const Row& row, KeywordDirection) {
                    table.addRow(row);
                    return (++rows & kRowsBetweenStopChecks) != 0 || progress(0, 0);
                });
            if (!result)
                return result.failure();
            table.notes() = std::move(result->table.notes);
            return table;
        });
    window->setCommandLineSource([&state, panel, targetListPath] {
        return KeynessCommandLine(state, panel->request(targetListPath));
    });
    QObject::connect(window, &TableWindow::rowActivated, window,
                     [window, goToWord = std::move(goToWord)](int row) {
                         const Row cells = window->rowCells(row);
                         if (goToWord && !cells.empty())
                             if (const auto* word = std::get_if<std::string>(&cells.front()))
                                 goToWord(*word);
                     });
    window->show();
    return window;
}

} // namespace lexmora::ui
