// The concordance plot window: the parts (the current source selection, or the files the
// result file's log names), Start with progress, the plot (sorted, zoomed), the hit under the
// mouse as its KWIC line, a click that shows the hit in the viewer, and Save (PNG, SVG), Print,
// Copy Picture, Copy as Command Line and Help.
#pragma once

#include "analysis/dispersion.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "ui/plot_parts.h"
#include "ui/plot_widget.h"

#include <QDialog>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPrinter;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSlider;

namespace lexmora {
class Clipboard;
}

namespace lexmora::ui {

class PlotHitIndex;

// What the window is opened on: a result file and, from the viewer, the hits it shows.
struct PlotSource {
    std::string resultPath;
    std::optional<std::vector<std::int64_t>> records;
};

// What the opener does for a hit (1 = first): the viewer shows it (false: it is not among the
// lines shown), or opens its record details.
struct PlotHooks {
    std::function<bool(std::int64_t hit)> goToHit;
    std::function<bool(std::int64_t hit)> showDetails;
};

enum class PictureFormat { Png, Svg };
struct PictureChoice {
    std::string path; // UTF-8, as on disk
    PictureFormat format = PictureFormat::Png;
};

class PlotWindow : public QDialog {
    Q_OBJECT
public:
    PlotWindow(ProgramState& state, Prompter& prompter, PlotSource source, PlotHooks hooks,
               QWidget* parent = nullptr);
    ~PlotWindow() override;

    // The dialogs the window opens; tests replace them.
    struct Dialogs {
        std::function<std::optional<PictureChoice>()> choosePictureFile;
        // A printer the user chose (a PDF file works the same way); null: cancelled.
        std::function<std::unique_ptr<QPrinter>()> choosePrinter;
    };
    Dialogs& dialogs() { return m_dialogs; }
    void setClipboard(Clipboard* clipboard) { m_clipboard = clipboard; } // tests

    // The parts offered: 0 the current source selection (when there is one), then the files
    // the log names.
    QComboBox* partsBox() const { return m_cboParts; }
    std::optional<PlotCorpus> chosenCorpus() const;

    // Runs the dispersion over the chosen parts and shows it; false when it failed or stopped.
    bool start();
    void stop() { m_stopAsked = true; }
    const DispersionData* data() const { return m_data.get(); }
    DispersionPlot* plot() const { return m_plot; }
    QString notesText() const;
    QString statusText() const;

    void setOrder(PlotOrder order);
    void setZoom(int percent);

    // A mark's hit number (1 = first) and KWIC line (as shown).
    std::optional<std::int64_t> hitNumberOf(const PlotHit& hit);
    QString lineOf(const PlotHit& hit);
    // The click on a mark: the viewer goes to the hit; false when it could not.
    bool goToHit(const PlotHit& hit);
    bool showDetails();

    bool savePicture(const PictureChoice& choice); // asks before replacing
    void save();
    bool printTo(QPrinter& printer);
    void print();
    void copyPicture();
    std::string commandLine() const;
    void copyCommandLine();
    void showHelp();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* createPartsRow();
    QWidget* createViewRow();
    QWidget* createButtonRow();
    void fitPlot();
    bool reportProgress();
    void setRunning(bool running);
    void setStatus(const QString& text);

    ProgramState& m_state;
    Prompter& m_prompter;
    PlotSource m_source;
    PlotHooks m_hooks;
    Dialogs m_dialogs;
    Clipboard* m_clipboard = nullptr;
    std::optional<PlotCorpus> m_selection;
    std::optional<PlotCorpus> m_runCorpus; // the parts of the plot shown
    std::shared_ptr<const DispersionData> m_data;
    std::unique_ptr<PlotHitIndex> m_hits;
    std::optional<std::int64_t> m_chosenHit;
    bool m_running = false;
    bool m_stopAsked = false;
    std::chrono::steady_clock::time_point m_lastEvents{};

    QComboBox* m_cboParts;
    QPushButton* m_cmdStart;
    QProgressBar* m_prgRun;
    QComboBox* m_cboOrder;
    QSlider* m_sldZoom;
    QLabel* m_lblZoom;
    QLabel* m_lblNotes;
    QScrollArea* m_scroll;
    DispersionPlot* m_plot;
    QLabel* m_lblStatus;
    QPushButton* m_cmdDetails;
    QList<QPushButton*> m_needData;
};

} // namespace lexmora::ui
