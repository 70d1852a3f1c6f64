#!/usr/bin/env bash
# Three-level sort against one-level sort on the desktop: the viewer's sort dialog answered with
# right word 1 (one level) or right word 1, then right word 2, then left word 1 (three levels) on
# the same result file, under xvfb-run; five interleaved pairs (the machine is shared), medians of
# the sort's wall and CPU seconds and of the process's peak memory.
# Usage: [BUILD=DIR] bench/viewer/desktop_levels.sh [RECORDS] (a Release build with the desktop).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
records=${1:-1000000}
build="${BUILD:-$root/build/bench-desktop}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -DNDEBUG -fPIC -I "$root/src" "$root/bench/viewer/viewer_desktop_bench.cpp" \
    "$build/liblexmora_ui.a" "$build/liblexmora_engine.a" \
    $(pkg-config --cflags --libs Qt6Widgets Qt6PrintSupport libpcre2-8 xlsxwriter) -pthread \
    -o "$work/desktop_bench"
g++ -std=c++20 -O2 -DNDEBUG -I "$root/src" "$root/bench/viewer/viewer_bench.cpp" \
    "$build/liblexmora_engine.a" -lpcre2-8 -lxlsxwriter -lz -o "$work/viewer_bench"
"$work/viewer_bench" make "$work/bench.dmp" "$records" >/dev/null
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb() { xvfb-run -a -s "-screen 0 1280x900x24" "$@"; }
xvfb "$work/desktop_bench" "$work/bench.dmp" sort1 >/dev/null # warms the page cache
: >"$work/sort1" && : >"$work/sort3"
for pair in 1 2 3 4 5; do
    for levels in sort1 sort3; do # "...: sort W s wall, C s CPU; peak RSS K KB"
        xvfb "$work/desktop_bench" "$work/bench.dmp" $levels |
            awk '{ print $4, $7, $12 }' >>"$work/$levels"
    done
done
median() { sort -n -k"$2" "$1" | sed -n 3p | cut -d' ' -f"$2"; }
for levels in sort1 sort3; do
    echo "$levels: sort $(median "$work/$levels" 1) s wall, $(median "$work/$levels" 2) s CPU," \
        "peak $(median "$work/$levels" 3) KB"
done
awk -v a="$(median "$work/sort1" 1)" -v b="$(median "$work/sort3" 1)" \
    -v ca="$(median "$work/sort1" 2)" -v cb="$(median "$work/sort3" 2)" \
    -v ma="$(median "$work/sort1" 3)" -v mb="$(median "$work/sort3" 3)" -v n="$records" 'BEGIN {
    printf "ratio %.2fx wall, %.2fx CPU, memory %+.1f bytes a record\n", b / a, cb / ca,
        (mb - ma) * 1024 / n }'
