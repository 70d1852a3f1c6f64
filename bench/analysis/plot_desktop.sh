#!/usr/bin/env bash
# The concordance plot window timed offscreen on a corpus (as made by
# ../shared/bench/make-corpus.sh): "the" (about 258,000 hits over 290 files) and a rare word,
# each searched and saved once (untimed), then the window opened RUNS times on the result with
# the corpus as the source selection: the run, the time from the data to the plot drawn, open to
# drawn, the repaint after resizes, and the first and next mark pointed at. Prints medians of the runs, with the machine's load; SHOTS
# (a folder) keeps a picture of each plot for a look by eye.
#
# usage: plot_desktop.sh [BUILD_DIR] [CORPUS_DIR] [RUNS] [SHOTS]
#        default build/dev (configured with -DLEXMORA_BUILD_UI=ON), /work/corpus/bench, 5, none
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(realpath "${1:-$ROOT/build/dev}")
CORPUS=$(realpath "${2:-/work/corpus/bench}")
RUNS=${3:-5}
SHOTS=${4:-}
RARE=${RARE:-lighthouse}
cmake --build "$BUILD" -j 2 --target lexmora-cli plot_desktop_bench > /dev/null
CLI=$BUILD/bin/lexmora-cli
BENCH=$BUILD/bin/plot_desktop_bench
[[ -x $BENCH ]] || BENCH=$BUILD/plot_desktop_bench

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/tmp" "$WORK/the" "$WORK/rare"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$WORK/tmp" > "$WORK/home/lexmora9.ini"
export QT_QPA_PLATFORM=offscreen

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
find "$CORPUS" -type f -name '*.txt' -print0 | xargs -0 cat > /dev/null # warm the page cache
for word in the "$RARE"; do
    out=$WORK/the
    [[ $word == the ]] || out=$WORK/rare
    "$CLI" --home "$WORK/home" search --source "$CORPUS" --pattern '*.txt' --tree --save "$out" \
        --quiet "$word" 2> /dev/null
done

median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
for word in the "$RARE"; do
    out=$WORK/the
    [[ $word == the ]] || out=$WORK/rare
    result=$(ls "$out"/*.dmp | head -1)
    : > "$WORK/lines"
    for ((i = 0; i < RUNS; i++)); do
        shot=()
        [[ -n $SHOTS && $i -eq 0 ]] && mkdir -p "$SHOTS" && shot=("$SHOTS/plot-$word.png")
        /usr/bin/time -f '%e %U %S' -o "$WORK/t" "$BENCH" "$WORK/home" "$result" "$CORPUS" \
            "${shot[@]}" >> "$WORK/lines" 2> /dev/null
        awk '{print $1, $2 + $3}' "$WORK/t" >> "$WORK/lines.time"
    done
    pick() { sed -n "s/.*$1 \([0-9.]*\) ms.*/\1/p" "$WORK/lines" | median; }
    echo "$word: $(head -1 "$WORK/lines" | sed 's/: run.*//')"
    printf '  medians of %d: run %s ms, data to drawn %s ms, open to drawn %s ms,' "$RUNS" \
        "$(pick run)" "$(pick 'data to drawn')" "$(pick 'open to drawn')"
    printf ' resize to repainted %s ms (longest %s ms), paint alone %s ms, peak %s MB\n' \
        "$(pick 'repaint median')" "$(pick 'repaint longest')" "$(pick 'paint alone median')" \
        "$(sed -n 's/.*peak memory \([0-9]*\) MB.*/\1/p' "$WORK/lines" | median)"
    printf '  hover: first mark %s ms, next mark %s ms\n' "$(pick 'first mark')" "$(pick 'next mark')"
    printf '  whole process: wall %s s, CPU %s s\n' "$(awk '{print $1}' "$WORK/lines.time" | median)" \
        "$(awk '{print $2}' "$WORK/lines.time" | median)"
    rm -f "$WORK/lines.time"
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
