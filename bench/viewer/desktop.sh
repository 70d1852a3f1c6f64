#!/usr/bin/env bash
# The desktop viewer against the command line on a 1,000,000-record result file, under
# xvfb-run: open + first page, paging through the bar, and a sort (right word 1 forwards) on the
# desktop against `lexmora-cli view --sort right --pos 1` on the same file. Runs are interleaved,
# three pairs, since the machine may be loaded; then the table view (open to the first page
# painted, Page Down, the scroll bar anywhere). Usage: [BUILD=DIR] bench/viewer/desktop.sh [RECORDS]
# Needs g++, cmake, ninja, Qt 6 and xvfb-run; builds a Release tree with the desktop in
# build/bench-desktop (a folder of its own: bench/run-all.sh configures build/bench without it).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
records=${1:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build="${BUILD:-$root/build/bench-desktop}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLEXMORA_BUILD_UI=ON \
    ${CCACHE_DIR:+-DCMAKE_CXX_COMPILER_LAUNCHER=ccache} >/dev/null
cmake --build "$build" -j 2 --target lexmora_ui lexmora-cli >/dev/null
g++ -std=c++20 -O2 -DNDEBUG -fPIC -I "$root/src" "$root/bench/viewer/viewer_desktop_bench.cpp" \
    "$build/liblexmora_ui.a" "$build/liblexmora_engine.a" \
    $(pkg-config --cflags --libs Qt6Widgets Qt6PrintSupport libpcre2-8 xlsxwriter) -pthread \
    -o "$work/desktop_bench"
g++ -std=c++20 -O2 -DNDEBUG -I "$root/src" "$root/bench/viewer/viewer_bench.cpp" \
    "$build/liblexmora_engine.a" -o "$work/viewer_bench"
"$work/viewer_bench" make "$work/bench.dmp" "$records"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb() { xvfb-run -a -s "-screen 0 1280x900x24" "$@"; }
xvfb "$work/desktop_bench" "$work/bench.dmp" open >/dev/null # warms the page cache
xvfb "$work/desktop_bench" "$work/bench.dmp" open
TIMEFORMAT='%R'
for pair in 1 2 3; do
    echo "--- pair $pair"
    xvfb "$work/desktop_bench" "$work/bench.dmp" sort
    cli=$( { time "$build/bin/lexmora-cli" view "$work/bench.dmp" --sort right --pos 1 \
        --range 2-2 >/dev/null; } 2>&1 )
    echo "lexmora-cli view --sort right --pos 1 (open + sort): $cli s"
done
echo "--- table view"
for run in 1 2 3; do
    xvfb "$work/desktop_bench" "$work/bench.dmp" table
done
