#include "ui/plot_window.h"

#include "analysis/dispersion_run.h"
#include "analysis/dispersion_svg.h"
#include "analysis/messages.h"
#include "core/messages.h"
#include "core/run_control.h"
#include "core/staged_file.h"
#include "export/messages.h"
#include "ui/help_qt.h"
#include "ui/messages.h"
#include "ui/plot_hits.h"
#include "ui/qt_clipboard.h"
#include "ui/text_convert.h"
#include "ui/text_printer.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace lexmora::ui {

namespace {

constexpr std::chrono::milliseconds kEventInterval{40};
constexpr int kZoomSteps[] = {100, 150, 200, 300, 400, 600, 800, 1200, 1600, 2400, 3200};
constexpr const char* kHelpTopic = "concordance-plot";

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& accessible) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    b->setAutoDefault(false);
    return b;
}

// The run's yield: the window's events (and its Stop) while the dispersion runs.
class PlotRunHost : public RunHost {
public:
    explicit PlotRunHost(std::function<bool()> keepGoing) : m_keepGoing(std::move(keepGoing)) {}
    void yield(ProgramState& state) override {
        if (!m_keepGoing()) {
            state.ExitFlag = ExitRequest::UserConfirmedLeaving;
            m_stopped = true;
        }
    }
    bool stopped() const { return m_stopped; }

private:
    std::function<bool()> m_keepGoing;
    bool m_stopped = false;
};

// The picture as PNG bytes, placed whole or not at all.
Status savePng(const QImage& image, const std::string& path, Placement placement) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return Failure(analysis::msg::DispersionCannotSavePicture(path, ENOMEM),
                       FailureCode::CannotWrite, ENOMEM);
    StagedFile file(path);
    if (file.valid())
        file.append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    const PlaceOutcome placed = file.valid() ? file.commit(placement) : PlaceOutcome::WriteFailed;
    if (placed == PlaceOutcome::Placed)
        return Status::success();
    if (placed == PlaceOutcome::NameTaken)
        return Failure(analysis::msg::DispersionPictureExists(path), FailureCode::CannotWrite,
                       EEXIST);
    const int error = file.systemError();
    return Failure(analysis::msg::DispersionCannotSavePicture(path, error),
                   error == ENOSPC ? FailureCode::DiskFull : FailureCode::CannotWrite, error);
}

std::optional<PictureChoice> askPictureFile(QWidget* parent, const QString& suggested) {
    const QString png = QObject::tr("PNG picture (*.png)");
    const QString svg = QObject::tr("SVG picture (*.svg)");
    QString filter = png;
    const QString path =
        QFileDialog::getSaveFileName(parent, QObject::tr("Save the plot as"), suggested,
                                     png + ";;" + svg, &filter, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty())
        return std::nullopt;
    PictureChoice choice;
    const QString suffix = QFileInfo(path).suffix().toLower();
    choice.format = suffix == "svg" || (suffix != "png" && filter == svg) ? PictureFormat::Svg
                                                                          : PictureFormat::Png;
    QString named = path;
    if (suffix != "png" && suffix != "svg")
        named += choice.format == PictureFormat::Svg ? ".svg" : ".png";
    choice.path = pathFromQt(named);
    return choice;
}

} // namespace

PlotWindow::PlotWindow(ProgramState& state, Prompter& prompter, PlotSource source, PlotHooks hooks,
                       QWidget* parent)
    : QDialog(parent), m_state(state), m_prompter(prompter), m_source(std::move(source)),
      m_hooks(std::move(hooks)) {
    setObjectName("frmPlot");
    setAccessibleName(tr("Concordance plot"));
    setWindowTitle(
        tr("Concordance plot of %1").arg(QFileInfo(pathToQt(m_source.resultPath)).fileName()));
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_selection = SourceSelectionCorpus(m_state, m_prompter);

    m_plot = new DispersionPlot;
    m_plot->lineOfHit = [this](const PlotHit& hit) { return lineOf(hit); };
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName("scrPlot");
    m_scroll->setAccessibleName(tr("Dispersion plot"));
    m_scroll->setWidget(m_plot);
    m_scroll->setWidgetResizable(false);
    m_scroll->setBackgroundRole(QPalette::Base);
    // The bars fit the room beside the vertical bar, whether or not the rows need it yet.
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_lblNotes = new QLabel(this);
    m_lblNotes->setObjectName("lblNotes");
    m_lblNotes->setWordWrap(true);
    m_lblNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblStatus = new QLabel(this);
    m_lblStatus->setObjectName("lblStatus");
    m_lblStatus->setAccessibleName(tr("Status"));
    m_lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createPartsRow());
    layout->addWidget(createViewRow());
    layout->addWidget(m_lblNotes);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_lblStatus);
    layout->addWidget(createButtonRow());

    connect(m_plot, &DispersionPlot::hitClicked, this,
            [this](const PlotHit& hit) { goToHit(hit); });
    connect(m_plot, &DispersionPlot::hitActivated, this, [this](const PlotHit& hit) {
        if (goToHit(hit))
            showDetails();
    });
    connect(m_plot, &DispersionPlot::zoomWanted, this, [this](int steps) {
        m_sldZoom->setValue(
            std::clamp(m_sldZoom->value() + steps, m_sldZoom->minimum(), m_sldZoom->maximum()));
    });
    m_dialogs.choosePictureFile = [this] {
        return askPictureFile(this, QFileInfo(pathToQt(m_source.resultPath)).completeBaseName() +
                                        "-plot.png");
    };
    m_dialogs.choosePrinter = [this]() -> std::unique_ptr<QPrinter> {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!askPrinter(this, *printer))
            return nullptr;
        return printer;
    };
    resize(1000, 700);
    setRunning(false);
}

PlotWindow::~PlotWindow() = default;

QWidget* PlotWindow::createPartsRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_cboParts = new QComboBox(row);
    m_cboParts->setObjectName("cboParts");
    m_cboParts->setAccessibleName(tr("Parts"));
    if (m_selection) {
        const QString first = pathToQt(m_selection->entries.front());
        m_cboParts->addItem(
            m_selection->entries.size() == 1
                ? tr("the current source selection: %1").arg(first)
                : tr("the current source selection: %1 files").arg(m_selection->entries.size()));
    }
    m_cboParts->addItem(tr("the files the result file's log names (files with hits only)"));
    auto* label = new QLabel(tr("&Parts:"), row);
    label->setBuddy(m_cboParts);
    m_cmdStart = button(row, "cmdStart", tr("&Start"), tr("Start"));
    m_prgRun = new QProgressBar(row);
    m_prgRun->setObjectName("prgRun");
    m_prgRun->setAccessibleName(tr("Progress"));
    m_prgRun->setRange(0, 1);
    m_prgRun->setValue(0);
    m_prgRun->setTextVisible(false);
    layout->addWidget(label);
    layout->addWidget(m_cboParts, 2);
    layout->addWidget(m_cmdStart);
    layout->addWidget(m_prgRun, 1);
    connect(m_cmdStart, &QPushButton::clicked, this, [this] {
        if (m_running)
            stop();
        else
            start();
    });
    return row;
}

QWidget* PlotWindow::createViewRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_cboOrder = new QComboBox(row);
    m_cboOrder->setObjectName("cboOrder");
    m_cboOrder->setAccessibleName(tr("Sort the rows by"));
    m_cboOrder->addItems({tr("file order"), tr("hits"), tr("hits per 1,000 words"), tr("name")});
    auto* orderLabel = new QLabel(tr("S&ort rows by:"), row);
    orderLabel->setBuddy(m_cboOrder);
    m_sldZoom = new QSlider(Qt::Horizontal, row);
    m_sldZoom->setObjectName("sldZoom");
    m_sldZoom->setAccessibleName(tr("Zoom"));
    m_sldZoom->setRange(0, static_cast<int>(std::size(kZoomSteps)) - 1);
    m_sldZoom->setPageStep(1);
    m_sldZoom->setToolTip(tr("Zoom in on the bars (Ctrl+wheel on the plot)"));
    auto* zoomLabel = new QLabel(tr("&Zoom:"), row);
    zoomLabel->setBuddy(m_sldZoom);
    m_lblZoom = new QLabel(QStringLiteral("100%"), row);
    m_lblZoom->setObjectName("lblZoom");
    m_lblZoom->setMinimumWidth(m_lblZoom->fontMetrics().horizontalAdvance("3200%") + 4);
    layout->addWidget(orderLabel);
    layout->addWidget(m_cboOrder);
    layout->addSpacing(20);
    layout->addWidget(zoomLabel);
    layout->addWidget(m_sldZoom, 1);
    layout->addWidget(m_lblZoom);
    connect(m_cboOrder, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_plot->setOrder(static_cast<PlotOrder>(std::max(0, index))); });
    connect(m_sldZoom, &QSlider::valueChanged, this, [this](int step) {
        const int last = static_cast<int>(std::size(kZoomSteps)) - 1;
        const int percent = kZoomSteps[std::clamp(step, 0, last)];
        // The bars widen about the middle of the view, which stays in place.
        QScrollBar* bar = m_scroll->horizontalScrollBar();
        const double middle =
            (bar->value() + m_scroll->viewport()->width() / 2.0) / std::max(1, m_plot->width());
        m_plot->setZoom(percent);
        m_lblZoom->setText(QStringLiteral("%1%").arg(percent));
        bar->setValue(
            static_cast<int>(middle * m_plot->width() - m_scroll->viewport()->width() / 2.0));
    });
    return row;
}

QWidget* PlotWindow::createButtonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* save = button(row, "cmdSave", tr("Sa&ve As..."), tr("Save the plot as PNG or SVG"));
    auto* print = button(row, "cmdPrint", tr("&Print..."), tr("Print the plot"));
    auto* copy = button(row, "cmdCopyPicture", tr("&Copy Picture"), tr("Copy the picture"));
    auto* line =
        button(row, "cmdCommandLine", tr("Copy as Co&mmand Line"), tr("Copy as command line"));
    m_cmdDetails =
        button(row, "cmdDetails", tr("Record &Details"), tr("The record details of the hit"));
    auto* help = button(row, "cmdHelp", tr("&Help"), tr("Help"));
    auto* close = button(row, "cmdClose", tr("C&lose"), tr("Close"));
    m_needData = {save, print, copy, line};
    for (QPushButton* b : {save, print, copy, line, m_cmdDetails})
        layout->addWidget(b);
    layout->addStretch(1);
    layout->addWidget(help);
    layout->addWidget(close);
    connect(save, &QPushButton::clicked, this, &PlotWindow::save);
    connect(print, &QPushButton::clicked, this, &PlotWindow::print);
    connect(copy, &QPushButton::clicked, this, &PlotWindow::copyPicture);
    connect(line, &QPushButton::clicked, this, &PlotWindow::copyCommandLine);
    connect(m_cmdDetails, &QPushButton::clicked, this, &PlotWindow::showDetails);
    connect(help, &QPushButton::clicked, this, &PlotWindow::showHelp);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    return row;
}

std::optional<PlotCorpus> PlotWindow::chosenCorpus() const {
    if (m_selection && m_cboParts->currentIndex() == 0)
        return m_selection;
    return std::nullopt;
}

void PlotWindow::setRunning(bool running) {
    m_running = running;
    m_stopAsked = false;
    m_cmdStart->setText(running ? tr("&Stop") : tr("&Start"));
    m_cmdStart->setAccessibleName(running ? tr("Stop") : tr("Start"));
    m_cboParts->setEnabled(!running);
    for (QPushButton* b : m_needData)
        b->setEnabled(!running && m_data != nullptr);
    m_cmdDetails->setEnabled(!running && m_chosenHit.has_value() &&
                             static_cast<bool>(m_hooks.showDetails));
    m_prgRun->setRange(0, running ? 0 : 1); // busy while it runs
}

bool PlotWindow::reportProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastEvents >= kEventInterval) {
        m_lastEvents = now;
        QCoreApplication::processEvents();
    }
    return !m_stopAsked;
}

bool PlotWindow::start() {
    if (m_running)
        return false;
    setRunning(true);
    setStatus(tr("Working..."));
    DispersionRequest request;
    request.resultPath = m_source.resultPath;
    request.records = m_source.records;
    const std::optional<PlotCorpus> corpus = chosenCorpus();
    if (corpus) {
        request.corpus = corpus->entries;
        request.tree = corpus->tree;
    }
    request.state = &m_state;
    PlotRunHost host([this] { return reportProgress(); });
    const ExitRequest exitBefore = m_state.ExitFlag;
    RunControl control(m_state, host, m_prompter, analysis::msg::DispersionAbandonQuestion());
    Result<DispersionData> result = RunDispersion(request, m_prompter, &control);
    if (host.stopped())
        m_state.ExitFlag = exitBefore; // a Stop ends this run only
    if (!result) {
        m_running = false;
        setRunning(false);
        setStatus(tr("Stopped."));
        if (result.code() != FailureCode::Cancelled)
            m_prompter.tell(result.error());
        return false;
    }
    m_data = std::make_shared<const DispersionData>(std::move(*result));
    m_runCorpus = corpus;
    m_hits = std::make_unique<PlotHitIndex>(m_state, m_source.resultPath, m_source.records);
    m_chosenHit.reset();
    m_plot->setData(m_data);
    fitPlot();
    QStringList notes;
    for (const std::string& note : m_data->notes)
        notes << toQt(note);
    m_lblNotes->setText(notes.join("\n"));
    m_lblNotes->setVisible(!notes.isEmpty());
    setRunning(false);
    m_prgRun->setValue(1);
    setStatus(tr("Point at a mark to see its line; click it to show the hit in the viewer."));
    return true;
}

QString PlotWindow::notesText() const {
    return m_lblNotes->text();
}

QString PlotWindow::statusText() const {
    return m_lblStatus->text();
}

void PlotWindow::setStatus(const QString& text) {
    m_lblStatus->setText(text);
}

void PlotWindow::setOrder(PlotOrder order) {
    m_cboOrder->setCurrentIndex(static_cast<int>(order));
}

void PlotWindow::setZoom(int percent) {
    const auto* at = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), percent);
    m_sldZoom->setValue(static_cast<int>(std::min<std::ptrdiff_t>(
        at - std::begin(kZoomSteps), static_cast<std::ptrdiff_t>(std::size(kZoomSteps)) - 1)));
}

void PlotWindow::fitPlot() {
    m_plot->setFitWidth(m_scroll->viewport()->width());
}

void PlotWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitPlot();
}

// --- hits --------------------------------------------------------------------------------

std::optional<std::int64_t> PlotWindow::hitNumberOf(const PlotHit& hit) {
    if (!m_data || !m_hits)
        return std::nullopt;
    // The first mark of a file places its hits again: a large file takes a moment.
    const bool walk = !m_hits->placed(hit.file);
    if (walk)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<std::int64_t> number =
        m_hits->hitOf(*m_data, hit.keyword, hit.file, hit.place);
    if (walk)
        QApplication::restoreOverrideCursor();
    return number;
}

QString PlotWindow::lineOf(const PlotHit& hit) {
    const std::optional<std::int64_t> number = hitNumberOf(hit);
    if (!number)
        return tr("(the hit could not be found again: the file has changed)");
    QString line = toQt(m_hits->lineOf(*number)).simplified().toHtmlEscaped();
    QString text = tr("<b>Hit %1</b>").arg(QLocale(QLocale::English).toString(*number));
    if (hit.hitsOnPixel > 1)
        text += tr(" (and %1 more on this pixel)").arg(hit.hitsOnPixel - 1);
    return "<p style='white-space:pre'>" + text + "<br>" + line + "</p>";
}

bool PlotWindow::goToHit(const PlotHit& hit) {
    const std::optional<std::int64_t> number = hitNumberOf(hit);
    if (!number) {
        setStatus(tr("The hit of this mark could not be found again: its file has changed."));
        return false;
    }
    m_chosenHit = number;
    m_cmdDetails->setEnabled(static_cast<bool>(m_hooks.showDetails));
    const QString line = toQt(m_hits->lineOf(*number)).simplified();
    const QString hitText = QLocale(QLocale::English).toString(*number);
    if (m_hooks.goToHit && !m_hooks.goToHit(*number)) {
        setStatus(tr("Hit %1 is not among the lines the viewer shows: %2").arg(hitText, line));
        return false;
    }
    setStatus(tr("Hit %1: %2").arg(hitText, line));
    return true;
}

bool PlotWindow::showDetails() {
    return m_chosenHit && m_hooks.showDetails && m_hooks.showDetails(*m_chosenHit);
}

// --- pictures, printing and the clipboard -------------------------------------------------

bool PlotWindow::savePicture(const PictureChoice& choice) {
    if (!m_data)
        return false;
    Placement placement = Placement::KeepExisting;
    if (QFileInfo::exists(pathToQt(choice.path))) {
        if (m_prompter.ask(exporting::msg::ReplaceTableFile(choice.path)) != Answer::Yes)
            return false;
        placement = Placement::Replace;
    }
    // The SVG is the engine's, rows in the order shown, as wide as the plot.
    const Status saved =
        choice.format == PictureFormat::Svg
            ? SaveDispersionSvg(
                  DispersionSvg(ReorderedData(*m_data, m_plot->rows()), m_plot->pictureWidth()),
                  choice.path, placement)
            : savePng(m_plot->picture(), choice.path, placement);
    if (!saved) {
        m_prompter.tell(saved.error());
        return false;
    }
    setStatus(tr("The plot is saved as %1.").arg(QFileInfo(pathToQt(choice.path)).fileName()));
    return true;
}

void PlotWindow::save() {
    if (const std::optional<PictureChoice> choice = m_dialogs.choosePictureFile())
        savePicture(*choice);
}

bool PlotWindow::printTo(QPrinter& printer) {
    QPainter painter;
    if (!m_data || !painter.begin(&printer))
        return false;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const double scale = page.width() / std::max(1, m_plot->pictureWidth());
    const int pageHeight = static_cast<int>(page.height() / scale);
    const int rowHeight = std::max(1, m_plot->rowTop(1) - m_plot->rowTop(0));
    // Pages break between rows: the first holds the measures, every page whole rows.
    int top = 0;
    const int end = m_plot->height();
    while (top < end) {
        int bottom = top + pageHeight;
        if (bottom < end) {
            const int rows = std::max(1, (bottom - m_plot->rowTop(0)) / rowHeight);
            bottom = std::max(m_plot->rowTop(0) + rows * rowHeight, top + rowHeight);
        }
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -top);
        const QRect area(0, top, m_plot->pictureWidth(), bottom - top);
        painter.setClipRect(area);
        painter.setFont(m_plot->font());
        m_plot->paintPicture(painter, area);
        painter.restore();
        top = bottom;
        if (top < end)
            printer.newPage();
    }
    return painter.end();
}

void PlotWindow::print() {
    const std::unique_ptr<QPrinter> printer = m_dialogs.choosePrinter();
    if (printer && !printTo(*printer))
        m_prompter.tell(msg::PrinterNotOpened());
}

void PlotWindow::copyPicture() {
    if (!m_data)
        return;
    QApplication::clipboard()->setImage(m_plot->picture());
    setStatus(tr("The picture is on the clipboard."));
}

std::string PlotWindow::commandLine() const {
    return PlotCommandLine(m_state, m_source.resultPath, m_data ? m_runCorpus : chosenCorpus());
}

void PlotWindow::copyCommandLine() {
    const std::string line = commandLine();
    QtClipboard system;
    Clipboard& clipboard = m_clipboard != nullptr ? *m_clipboard : system;
    clipboard.setUtf8Text(line);
    m_prompter.tell(core::msg::CommandLineCopied(line));
}

void PlotWindow::showHelp() {
    ShowHelpTopic(this, m_state, m_prompter, kHelpTopic);
}

void PlotWindow::closeEvent(QCloseEvent* event) {
    if (m_running) {
        // The run is on this window's stack: it stops first, then the window may close.
        stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace lexmora::ui
