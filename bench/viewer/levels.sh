#!/usr/bin/env bash
# Three-level sort against one-level sort of the same records: `lexmora-cli view --sort right
# --pos 1` against the same with `--then right:2 --then left:1`, open + sort + first line, five
# interleaved pairs (the machine is shared), medians and peak memory.
# Usage: bench/viewer/levels.sh [RECORDS] [BUILD_DIR] (default 1000000, build/dev).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
records=${1:-1000000}
build=${2:-$root/build/dev}
cli="$build/bin/lexmora-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The generator against the build's engine: one file to compile, not the whole engine again.
g++ -std=c++20 -O2 -DNDEBUG -I "$root/src" "$root/bench/viewer/viewer_bench.cpp" \
    "$build/liblexmora_engine.a" -lpcre2-8 -lxlsxwriter -lz -o "$work/viewer_bench"
"$work/viewer_bench" make "$work/bench.dmp" "$records" >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "load $(cut -d' ' -f1-3 /proc/loadavg)"
one=(view "$work/bench.dmp" --sort right --pos 1 --range 2-2)
three=(view "$work/bench.dmp" --sort right --pos 1 --then right:2 --then left:1 --range 2-2)
"$cli" "${one[@]}" >/dev/null # warms the page cache
measure() { # seconds and peak KB of one run
    /usr/bin/time -f '%e %M' "$cli" "$@" 2>&1 >/dev/null | tail -1
}
: >"$work/one" && : >"$work/three"
for pair in 1 2 3 4 5; do
    measure "${one[@]}" >>"$work/one"
    measure "${three[@]}" >>"$work/three"
done
median() { sort -n -k"$2" "$1" | sed -n 3p | cut -d' ' -f"$2"; }
t1=$(median "$work/one" 1) t3=$(median "$work/three" 1)
m1=$(median "$work/one" 2) m3=$(median "$work/three" 2)
echo "one level   (right:1):                   ${t1} s, peak ${m1} KB"
echo "three levels (right:1, right:2, left:1): ${t3} s, peak ${m3} KB"
awk -v a="$t1" -v b="$t3" -v ma="$m1" -v mb="$m3" -v n="$records" 'BEGIN {
    printf "ratio %.2fx, memory %+.1f bytes a record\n", b / a, (mb - ma) * 1024 / n }'
