// Result viewer benchmark: a result file of 1,000,000 records, opened on disk, its first page
// shown, sorted on the first word to the right (forwards) and on the word left of the keyword
// read backwards. Run through run.sh, which also times GNU sort on the same keys.
//
//   viewer_bench make FILE.dmp [RECORDS]   writes the result file (and FILE.txt, its KWIC lines)
//   viewer_bench run FILE.dmp              opens, pages and sorts; prints times and peak memory
#include "core/prompter.h"
#include "search/kwic_line.h"
#include "search/result_files.h"
#include "viewer/result_viewer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace lexmora;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A small deterministic vocabulary so that keys repeat as words of a real text do.
const char* const kWords[] = {
    "house", "Maison",  "the",   "old",    "river",  "city",   "walking", "talking", "king",
    "green", "l'homme", "night", "garden", "Window", "stone",  "bread",   "water",   "light",
    "road",  "horse",   "table", "letter", "Summer", "winter", "friend",  "mother",  "school",
    "paper", "north",   "south", "market", "church", "field",  "silver",  "forest",  "people"};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::uint64_t nextRandom(std::uint64_t& state) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
}

std::string phrase(std::uint64_t& state, std::size_t length) {
    std::string out;
    while (out.size() < length) {
        out += kWords[nextRandom(state) % kWordCount];
        out += ' ';
    }
    return out;
}

int make(const std::string& path, long records) {
    constexpr int left = 60, right = 60;
    ResultSetHeader header;
    header.dumpPath = path;
    header.runDate = "06:12:26";
    header.recordLength = *ComputeRecordLength(left, 3, right);
    header.leftContext = left;
    header.keyword = "the";
    header.logKeywordField = "the ";
    header.fileMask = "*.txt";
    header.targetDirectory = "/bench/";
    auto set = ResultFileSet::open(header, 0);
    if (!set) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::ofstream lines(path + ".txt", std::ios::binary);
    std::uint64_t state = 42;
    std::int32_t entry = 0;
    std::string line;
    for (long i = 0; i < records; ++i) {
        const bool first = i % 250 == 0; // a new source file every 250 hits
        ResultFileSet::SourceFileInfo file{"F" + std::to_string(i / 250) + ".TXT",
                                           "/bench/f" + std::to_string(i / 250) + ".txt",
                                           "06/12/2026",
                                           "Windows",
                                           {}};
        std::string l = phrase(state, left);
        const std::string r = " " + phrase(state, right);
        line.clear();
        AppendKwicLine(line, i % 250 + 1, std::string_view(l).substr(0, l.size() - 1), "the", r,
                       left, right);
        if (!set->writeHit(line, file, first, entry).ok())
            return 1;
        lines << line.substr(0, static_cast<std::size_t>(TextFieldWidth(set->recordLength())))
              << '\n';
    }
    if (!set->close().ok())
        return 1;
    std::printf("record length %d, %ld records\n", set->recordLength(), records);
    return 0;
}

int run(const std::string& path) {
    SilentPrompter prompter;
    ViewerOptions onDisk;
    onDisk.freeMemory = [] { return std::optional<std::uint64_t>(0); };
    auto start = std::chrono::steady_clock::now();
    auto viewer = ResultViewer::open(path, prompter, onDisk);
    if (!viewer) {
        std::fprintf(stderr, "%s\n", viewer.error().text.c_str());
        return 1;
    }
    std::size_t shown = 0;
    for (std::int64_t p = 2; p <= std::min<std::int64_t>(23, viewer->IndexCount()); ++p)
        shown += viewer->GetRecord(p).size();
    std::printf("open + first page (on disk): %.4f s  (%lld records, %zu bytes shown)\n",
                seconds(start), static_cast<long long>(viewer->RecordTotal()), shown);
    std::printf("peak memory after opening: %ld KB\n", peakKilobytes());

    start = std::chrono::steady_clock::now();
    viewer->Sort(SortMode::WordBeginning, 0, 1, 60);
    std::printf("sort first word right, forwards: %.3f s\n", seconds(start));
    std::printf("peak memory after the first sort: %ld KB\n", peakKilobytes());

    start = std::chrono::steady_clock::now();
    viewer->Sort(SortMode::WordEnd, 1, 0, 60);
    std::printf("sort word left, backwards (word end): %.3f s\n", seconds(start));

    start = std::chrono::steady_clock::now();
    viewer->Unsort();
    std::printf("un-sort: %.3f s\n", seconds(start));
    std::printf("peak memory: %ld KB\n", peakKilobytes());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "make")
        return make(argv[2], argc >= 4 ? std::atol(argv[3]) : 1000000);
    if (argc >= 3 && std::string(argv[1]) == "run")
        return run(argv[2]);
    std::fprintf(stderr, "usage: viewer_bench make FILE.dmp [RECORDS] | run FILE.dmp\n");
    return 2;
}
