// The analysis windows timed offscreen, as bench/analysis/desktop.sh runs them: the time and
// the process's CPU time (user + system) from Start to the table drawn, and the peak memory. The
// command line's time for the same table is taken by the script beside it.
//   keyness TARGET.lst REFERENCE      the keyness window of the frequency viewer
//   collocates RESULT.dmp LIST.lst    the collocates window, the corpus given as a word list
#include "core/heap_pages.h"
#include "core/program_state.h"
#include "core/prompter.h"
#include "core/settings.h"
#include "ui/collocates_window.h"
#include "ui/keyness_window.h"
#include "ui/table_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/resource.h>

using namespace lexmora;

namespace {

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Start pressed, the table filled and drawn once; prints the seconds, the CPU seconds, the
// peak memory and the rows.
int timeStart(ui::TableWindow& window, const char* what) {
    QApplication::processEvents(); // the window drawn empty first, as a user sees it
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = processCpuSeconds();
    const bool filled = window.start();
    window.repaint();
    QApplication::processEvents();
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu = processCpuSeconds() - cpuBefore;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s desktop: %.3f s from Start to the table drawn, cpu %.3f s, peak %ld MB, "
                "%zu rows\n",
                what, seconds, cpu, usage.ru_maxrss / 1024, window.tableRowCount());
    return filled ? 0 : 1;
}

int keyness(const char* target, const char* reference) {
    ProgramState state;
    SilentPrompter prompter;
    ui::TableWindow* window = ui::OpenKeynessWindow(state, prompter, target, {}, nullptr);
    window->findChild<QLineEdit*>("txtReference")->setText(QString::fromLocal8Bit(reference));
    const int status = timeStart(*window, "keyness");
    delete window;
    return status;
}

int collocates(const char* result, const char* list) {
    ProgramState state;
    ApplyLanguage(state, LanguageId::English);
    SilentPrompter prompter;
    ui::TableWindow* window = ui::MakeCollocatesWindow(
        state, prompter, ui::CollocatesSource{result, std::nullopt},
        [](const std::string&, const std::vector<std::int64_t>&) {}, nullptr);
    window->show();
    window->findChild<QComboBox*>("cboCorpus")->setCurrentIndex(1); // a word list
    window->findChild<QLineEdit*>("txtCorpus")->setText(QString::fromLocal8Bit(list));
    const int status = timeStart(*window, "collocates");
    delete window;
    return status;
}

} // namespace

int main(int argc, char** argv) {
    KeepHeapInLargePages(); // as the desktop program does
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "keyness") == 0)
        return keyness(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "collocates") == 0)
        return collocates(argv[2], argv[3]);
    std::fprintf(stderr, "usage: analysis_desktop_bench keyness TARGET.lst REFERENCE |"
                         " collocates RESULT.dmp LIST.lst\n");
    return 2;
}
