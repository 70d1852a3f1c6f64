#!/usr/bin/env bash
# Result viewer benchmark: 1,000,000 records, our open/page/sort against GNU sort on the same
# keys. Usage: bench/viewer/run.sh [RECORDS] (default 1000000). Needs g++.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
records=${1:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The engine, optimised as a release build is.
g++ -std=c++20 -O2 -DNDEBUG -I "$root/src" "$root/bench/viewer/viewer_bench.cpp" \
    "$root"/src/{core,codes,keywords,search,viewer,files}/*.cpp -o "$work/viewer_bench"
"$work/viewer_bench" make "$work/bench.dmp" "$records"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
# Once to warm the page cache, then measured.
"$work/viewer_bench" run "$work/bench.dmp" >/dev/null
"$work/viewer_bench" run "$work/bench.dmp"
# The first word right of the keyword starts in column 70 of the KWIC lines.
TIMEFORMAT='%R s'
echo -n "GNU sort -f -k1.70 (LC_ALL=C): "
time (LC_ALL=C sort -f -t "$(printf '\t')" -k1.70 "$work/bench.dmp.txt" >/dev/null)
echo -n "GNU sort -f -k1.70 --parallel=1: "
time (LC_ALL=C sort --parallel=1 -f -t "$(printf '\t')" -k1.70 "$work/bench.dmp.txt" >/dev/null)
echo -n "rev | sort | rev (LC_ALL=C): "
time (rev "$work/bench.dmp.txt" | LC_ALL=C sort | rev >/dev/null)
