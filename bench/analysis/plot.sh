#!/usr/bin/env bash
# Times `lexmora-cli plot --measures` for "the" (searched and saved once, untimed) over a corpus
# (as made by ../shared/bench/make-corpus.sh) beside `lexmora-cli count` of the same files, page
# cache warm, RUNS runs each, interleaved; prints median wall time, CPU time and peak memory,
# the plot of a second keyword in the same run, the SVG's time and size, and checks the measures
# against dispersion_check.py (written from the formulas).
#
# usage: plot.sh CLI CORPUS_DIR [RUNS]      e.g. plot.sh build/release/bin/lexmora-cli corpus/bench
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '2,8p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/out" "$WORK/tmp" "$WORK/res1" "$WORK/res2"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$WORK/tmp" > "$WORK/home/lexmora9.ini"
find "$DIR" -type f -name '*.txt' -print0 | xargs -0 cat > /dev/null # warm the page cache

run() { "$CLI" --home "$WORK/home" "$@"; }
run search --source "$DIR" --pattern '*.txt' --tree --save "$WORK/res1" --quiet the 2> /dev/null
run search --source "$DIR" --pattern '*.txt' --tree --save "$WORK/res2" --single-file --quiet \
    the and 2> /dev/null
ONE=$(ls "$WORK"/res1/*.dmp | head -1)
TWO=$(ls "$WORK"/res2/*.dmp | head -1)

median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# label, command: one timed run appended to WORK/times.label ("wall cpu peak-kB")
# (status 3, partial results: hits of the corpus that the walk cannot find again, still a run)
once() {
    local status=0
    /usr/bin/time -f '%e %U %S %M' -o "$WORK/t" bash -c "$2" > "$WORK/out/$1.out" 2> "$WORK/err" \
        || status=$?
    [[ $status == 0 || $status == 3 ]] || { echo "failed: $2" >&2; cat "$WORK/err" >&2; exit 1; }
    awk '{print $1, $2 + $3, $4}' "$WORK/t" >> "$WORK/times.$1"
}
report() {
    printf '| %s | %.2f | %.2f | %.1f |\n' "$1" "$(awk '{print $1}' "$WORK/times.$1" | median)" \
        "$(awk '{print $2}' "$WORK/times.$1" | median)" \
        "$(echo "$(awk '{print $3}' "$WORK/times.$1" | median) / 1024" | bc -l)"
}

C="'$CLI' --home '$WORK/home'"
for ((i = 0; i < RUNS; i++)); do
    rm -f "$WORK"/out/*.lst "$WORK"/out/*.sta "$WORK"/plot.svg
    once count "$C count --tree --pattern '*.txt' --folder '$WORK/out' --out bench$i '$DIR'"
    once plot "$C plot '$ONE' --corpus '$DIR' --tree --measures --format tsv"
    once plot2 "$C plot '$TWO' --corpus '$DIR' --tree --measures --format tsv"
    once svg "$C plot '$ONE' --corpus '$DIR' --tree --measures --svg '$WORK/plot.svg'"
done
echo "| job ($RUNS runs, medians) | wall s | CPU s | peak MB |"
echo "|---|---|---|---|"
report count; report plot; report plot2; report svg
echo "SVG: $(wc -c < "$WORK/plot.svg") bytes, $(grep -o '<rect x=' "$WORK/plot.svg" | wc -l) marks"
cat "$WORK/out/plot.out"
run plot "$ONE" --corpus "$DIR" --tree --format tsv > "$WORK/rows.tsv" 2> /dev/null || true
python3 "$HERE/dispersion_check.py" "$WORK/rows.tsv" "$WORK/out/plot.out"
