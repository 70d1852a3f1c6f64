// The word-frequency window timed offscreen, as bench/wordcount/freq_desktop.sh runs it:
//   count TEMP OUT CORPUS   a count of the corpus tree through the window's Start; wall time and
//                           the longest gap between two turns of the event loop
//   view LIST WORD          open the list (first rows shown), find WORD, sort by frequency;
//                           the time of each and the peak resident memory
#include "core/heap_pages.h"
#include "core/program_state.h"
#include "core/settings.h"
#include "ui/frmViewCount.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>

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

int count(const char* temp, const char* out, const char* corpus) {
    ProgramState state;
    ApplyLanguage(state, LanguageId::English);
    state.TempDirectory = temp;
    state.FrequencyFilesDirectory = out;
    state.SourceDirectory = corpus;
    state.IncludeSubfolders = true;
    state.SourceFileType = "*";
    SilentPrompter prompter;
    ui::frmViewCount window(state, prompter);
    window.show();
    window.findChild<QLineEdit*>("txtUserInput")->setText("bench");
    // A timer that wants to run every 10 ms: the longest gap between its turns is how long the
    // window went without its event loop (and so without drawing its progress).
    QElapsedTimer gap;
    double longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, ms(gap));
        gap.restart();
    });
    tick.start(10);
    gap.start();
    QElapsedTimer wall;
    wall.start();
    window.pressStart();
    const double total = ms(wall);
    std::printf("desktop count: %.3f s, tokens %lld, types %lld, longest event-loop gap %.0f ms\n",
                total / 1000, static_cast<long long>(window.lastCount().tokens),
                static_cast<long long>(window.lastCount().types), longest);
    return window.lastCount().outcome == CountOutcome::Completed ? 0 : 1;
}

int view(const char* list, const char* word) {
    ProgramState state;
    SilentPrompter prompter;
    ui::frmViewCount window(state, prompter);
    window.setMode(FrequencyWindowMode::Viewing);
    window.show();
    QElapsedTimer t;
    t.start();
    if (!window.openCountFile(list))
        return 1;
    QApplication::processEvents(); // the first rows drawn
    const double open = ms(t);
    window.dialogs().askText = [word](const std::string&, std::size_t) {
        return std::optional<std::string>(word);
    };
    t.restart();
    window.post(FrequencyWordSearchRequest{});
    const double find = ms(t);
    const std::int64_t foundTop = window.top();
    t.restart();
    window.post(FrequencySortCommand{FrequencySort::Descending});
    const double sort = ms(t);
    std::printf("viewer: %lld types; open and first rows %.1f ms; find %s %.2f ms (top %lld); "
                "sort by frequency %.1f ms; peak RSS %.1f MB\n",
                static_cast<long long>(window.table()->size()), open, word, find,
                static_cast<long long>(foundTop), sort, static_cast<double>(peakKb()) / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    KeepHeapInLargePages(); // as the desktop program does
    QApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "count") == 0)
        return count(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "view") == 0)
        return view(argv[2], argv[3]);
    std::fprintf(stderr, "usage: freq_desktop_bench count TEMP OUT CORPUS | view LIST WORD\n");
    return 2;
}
