// The concordance plot window timed offscreen, as bench/analysis/plot_desktop.sh runs it:
//   plot_desktop_bench HOME RESULT CORPUS [SHOT.png]
// opens the window on RESULT with the folder tree CORPUS (its *.txt files) as the current source
// selection and prints the run's time, the time from the data to the plot drawn, the whole
// open-to-drawn time, the repaint after each of a series of resizes (median and longest), and
// the peak resident memory; SHOT saves the window as it was drawn, and SHOT-by-hits with the rows
// sorted by hits.
#include "codes/program_start.h"
#include "core/heap_pages.h"
#include "core/program_location.h"
#include "ui/plot_widget.h"
#include "ui/plot_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace lexmora;

namespace {

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs events until the plot has painted (at most 5 s).
void waitForPaint(bool& painted) {
    QElapsedTimer limit;
    limit.start();
    while (!painted && limit.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv) {
    KeepHeapInLargePages(); // as the desktop program does
    QApplication app(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: plot_desktop_bench HOME RESULT CORPUS [SHOT.png]\n");
        return 2;
    }
    ProgramState state;
    SilentPrompter prompter;
    StartProgram(state,
                 LocateProgramFrom(QCoreApplication::applicationDirPath().toStdString(), argv[1]),
                 prompter);
    state.SourceDirectory = argv[3];
    state.SourceFiles.clear();
    state.AllFilesInFolder = true;
    state.IncludeSubfolders = true;
    state.SourceFileType = "*.txt";

    QElapsedTimer open;
    open.start();
    ui::PlotWindow window(state, prompter, ui::PlotSource{argv[2], std::nullopt}, {});
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();
    bool painted = false;
    QObject::connect(window.plot(), &ui::DispersionPlot::painted, [&] { painted = true; });
    QElapsedTimer run;
    run.start();
    if (!window.start())
        return 1;
    const double runMs = ms(run);
    QElapsedTimer drawn;
    drawn.start();
    painted = false;
    window.plot()->update();
    waitForPaint(painted);
    const double drawnMs = ms(drawn);
    const double openMs = ms(open);
    std::int64_t hits = 0;
    for (const KeywordPlaces& k : window.data()->keywords)
        hits += k.hits();
    std::printf("plot of %lld hits over %zu files: run %.0f ms; data to drawn %.1f ms (marks "
                "%.1f ms, paint %.1f ms); open to drawn %.0f ms\n",
                static_cast<long long>(hits), window.data()->files.size(), runMs, drawnMs,
                window.plot()->lastMarksMs(), window.plot()->lastPaintMs(), openMs);
    if (argc == 5) {
        window.grab().save(argv[4]);
        // The same rows most hits first: a rare word's rows with hits come into view.
        window.setOrder(ui::PlotOrder::Hits);
        QApplication::processEvents();
        QString sorted = QString::fromLocal8Bit(argv[4]);
        sorted.insert(sorted.lastIndexOf('.'), "-by-hits");
        window.grab().save(sorted);
        window.setOrder(ui::PlotOrder::FileOrder);
    }

    // The first mark pointed at in the file with most hits: its file's hits are placed again
    // then (once), the next mark of the same file is a look-up.
    const std::vector<std::size_t> byHits = ui::PlotRowOrder(*window.data(), ui::PlotOrder::Hits);
    if (!byHits.empty() && !window.data()->keywords.empty()) {
        const std::size_t file = byHits.front();
        QElapsedTimer first;
        first.start();
        const auto hit = window.hitNumberOf({0, file, 0, 1});
        const double firstMs = ms(first);
        QElapsedTimer next;
        next.start();
        const auto other = window.hitNumberOf({0, file, 1, 1});
        std::printf("hover in %s: first mark %.0f ms (hit %lld), next mark %.3f ms (hit %lld)\n",
                    window.data()->files[file].name.c_str(), firstMs,
                    static_cast<long long>(hit.value_or(0)), ms(next),
                    static_cast<long long>(other.value_or(0)));
    }

    std::vector<double> repaints, paints;
    const int widths[] = {1000, 1400, 900, 1300, 1100, 1500, 950, 1250, 1050, 1350};
    for (const int width : widths) {
        QElapsedTimer resized;
        resized.start();
        painted = false;
        window.resize(width, 800);
        waitForPaint(painted);
        repaints.push_back(ms(resized));
        paints.push_back(window.plot()->lastPaintMs());
    }
    std::sort(repaints.begin(), repaints.end());
    std::sort(paints.begin(), paints.end());
    std::printf("resize to repainted (%zu resizes): repaint median %.1f ms, repaint longest %.1f "
                "ms; paint alone median %.1f ms, paint alone longest %.1f ms; peak memory %ld MB\n",
                repaints.size(), repaints[repaints.size() / 2], repaints.back(),
                paints[paints.size() / 2], paints.back(), peakKb() / 1024);
    return 0;
}
