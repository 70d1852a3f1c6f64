// The desktop viewer's benchmark: a result file opened on the KWIC screen and its first page
// painted, the page redrawn at positions all over the file through the vertical bar, and a sort
// run as the user runs it (the sort dialog answered, the busy pointer, the page repainted); or
// the table view: opened to its first page painted, then paged down and moved all over the file,
// each page painted at once; or one sort of one level (right word 1) or of three (then right
// word 2, then left word 1) answered in the sort dialog, for desktop_levels.sh. Prints seconds
// (wall and CPU) and the peak memory; run through desktop.sh under xvfb-run.
//
//   viewer_desktop_bench FILE.dmp open|sort|table|sort1|sort3
#include "core/heap_pages.h"
#include "ui/frmContext.h"
#include "ui/frmViewScreen.h"
#include "ui/kwic_table_view.h"
#include "ui/qt_clipboard.h"
#include "ui/qt_printer.h"
#include "ui/viewer_dialogs_qt.h"
#include "ui/viewer_screen_qt.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace lexmora;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long peakMegabytes() {
    return peakKilobytes() / 1024;
}

class NoFiles : public FileViewer {
public:
    void openTextViewer(const std::string&, bool) override {}
    void openHtmlViewer(const std::string&, const std::string&) override {}
};

// A later key of the sort dialog: its side (1 left, 2 right) and the word's position.
struct LaterKey {
    int side = 0;
    int position = 1;
};

void answerSort(const char* left, const char* right, std::vector<LaterKey> later = {}) {
    ui::SetViewerDialogHookForTest([left, right, later](ui::frmContext& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog, left, right, later] {
            dialog.findChild<QLineEdit*>("txtContextLeft")->setText(left);
            dialog.findChild<QLineEdit*>("txtContextRight")->setText(right);
            for (std::size_t i = 0; i < later.size(); ++i) {
                const QString level = QString::number(i + 2);
                dialog.findChild<QComboBox*>("cboThenSide" + level)->setCurrentIndex(later[i].side);
                dialog.findChild<QSpinBox*>("spnThenPos" + level)->setValue(later[i].position);
            }
            dialog.findChild<QPushButton*>("cmdOK")->click();
        });
    });
}

} // namespace

int main(int argc, char** argv) {
    KeepHeapInLargePages(); // as the desktop program does
    if (argc < 3)
        return 2;
    QApplication app(argc, argv);
    const std::string path = argv[1];
    const std::string what = argv[2];
    ProgramState state;
    SilentPrompter prompter;
    ui::frmViewScreen screen(state, prompter);
    ui::QtPrinter printer(&screen);
    ui::QtViewerScreen adapter(screen, state, &prompter, &printer);
    ui::QtClipboard clipboard;
    NoFiles files;
    ViewerPorts ports{adapter, prompter, clipboard, printer, files};
    ViewingPass pass;
    const bool table = what == "table";
    screen.setTableView(table);
    screen.prepareForViewing(22);
    screen.resize(1280, 860);

    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    auto viewer = ResultViewer::open(path, prompter);
    if (!viewer)
        return 1;
    adapter.showFile(*viewer, 0, 1);
    adapter.drawPage(*viewer, state);
    screen.repaint();
    QCoreApplication::processEvents();
    const double firstPage = since(start);
    const double firstPageCpu = cpuSeconds() - cpuStart;
    if (table) {
        ui::KwicTableView& view = *screen.table();
        std::printf("table view open + first page painted: %.3f s wall, %.3f s CPU  records: %lld"
                    "  rows in view: %d\n",
                    firstPage, firstPageCpu, static_cast<long long>(viewer->RecordTotal()),
                    view.rowAt(view.viewport()->height() - 1) - view.rowAt(0) + 1);
        // Page Down 200 times from the top, each page painted before the next key.
        const auto pageDown = [&] {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(&view, &key);
            view.viewport()->repaint();
        };
        double slowest = 0;
        auto phase = Clock::now();
        double cpu = cpuSeconds();
        for (int i = 0; i < 200; ++i) {
            const auto one = Clock::now();
            pageDown();
            slowest = std::max(slowest, since(one));
        }
        std::printf("page down: %.2f ms per page wall, %.2f ms CPU, slowest %.2f ms\n",
                    since(phase) * 1000 / 200, (cpuSeconds() - cpu) * 1000 / 200, slowest * 1000);
        // The scroll bar moved to 200 places all over the file (rows not read before).
        QScrollBar* bar = view.verticalScrollBar();
        slowest = 0;
        phase = Clock::now();
        cpu = cpuSeconds();
        for (int i = 0; i < 200; ++i) {
            const auto one = Clock::now();
            bar->setValue(static_cast<int>((static_cast<long long>(i) * 7919 * 131) %
                                           std::max(bar->maximum(), 1)));
            view.viewport()->repaint();
            slowest = std::max(slowest, since(one));
        }
        std::printf("scroll anywhere: %.2f ms per page wall, %.2f ms CPU, slowest %.2f ms\n",
                    since(phase) * 1000 / 200, (cpuSeconds() - cpu) * 1000 / 200, slowest * 1000);
        std::printf("peak RSS: %ld MB\n", peakMegabytes());
        return 0;
    }
    if (what == "sort1" || what == "sort3") {
        if (what == "sort3")
            answerSort("", "1", {{2, 2}, {1, 1}});
        else
            answerSort("", "1");
        screen.commands().post(ViewerMenuCommand{ViewerMenu::SortByBeginning});
        const auto sortStart = Clock::now();
        const double cpu = cpuSeconds();
        (void)RunPendingCommand(*viewer, state, pass, ports);
        screen.repaint();
        std::printf("%s: sort %.3f s wall, %.3f s CPU; peak RSS %ld KB\n",
                    what == "sort3" ? "three levels" : "one level", since(sortStart),
                    cpuSeconds() - cpu, peakKilobytes());
        return 0;
    }
    if (what == "open") {
        // The bar moved to 200 places over the whole file, each page painted at once.
        auto* bar = screen.findChild<QScrollBar*>("vscVertical");
        double slowest = 0;
        const auto pagingStart = Clock::now();
        for (int i = 0; i < 200; ++i) {
            const auto one = Clock::now();
            bar->setValue(static_cast<int>((static_cast<long long>(i) * 7919) % bar->maximum()));
            screen.lines()->repaint();
            slowest = std::max(slowest, since(one));
        }
        std::printf("open + first page: %.3f s  records: %lld  in memory: %d\n", firstPage,
                    static_cast<long long>(viewer->RecordTotal()), viewer->InMemory() ? 1 : 0);
        std::printf("paging: %.2f ms per page, slowest %.2f ms\n", since(pagingStart) * 1000 / 200,
                    slowest * 1000);
        std::printf("peak RSS after open: %ld MB\n", peakMegabytes());
        return 0;
    }
    const struct {
        const char* name;
        ViewerMenu item;
        const char* left;
        const char* right;
    } sorts[] = {{"right word 1 forwards", ViewerMenu::SortByBeginning, "", "1"},
                 {"left word 1 backwards", ViewerMenu::SortByEnd, "1", ""}};
    for (const auto& sort : sorts) {
        answerSort(sort.left, sort.right);
        screen.commands().post(ViewerMenuCommand{sort.item});
        const auto sortStart = Clock::now();
        (void)RunPendingCommand(*viewer, state, pass, ports);
        screen.repaint();
        std::printf("sort %s: %.3f s (open + sort: %.3f s)\n", sort.name, since(sortStart),
                    since(start));
    }
    std::printf("peak RSS after two sorts: %ld MB\n", peakMegabytes());
    return 0;
}
