#!/usr/bin/env bash
# Times two builds of `lexmora-cli count` on the same corpus in alternation (before, after, before,
# after ...), page cache warm, RUNS pairs; prints the median wall and CPU (user+sys) seconds of
# each, the median of the per-pair ratios after/before, and checks that both wrote the same pair.
#
# usage: paired.sh CLI_BEFORE CLI_AFTER CORPUS_DIR [RUNS]
set -euo pipefail
[[ $# -ge 3 ]] || { sed -n '2,6p' "$0" >&2; exit 2; }
BEFORE=$(realpath "$1")
AFTER=$(realpath "$2")
DIR=$(realpath "$3")
RUNS=${4:-5}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/tmp" "$WORK/before" "$WORK/after"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$WORK/tmp" > "$WORK/home/lexmora9.ini"
find "$DIR" -type f -print0 | xargs -0 cat > /dev/null # warm the page cache

median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# which (before|after), cli: one run, its "wall cpu" appended to $WORK/which.times
run() {
    rm -f "$WORK/$1"/*
    /usr/bin/time -f '%e %U %S' -o "$WORK/t" "$2" --home "$WORK/home" count --language english \
        --folder "$WORK/$1" --out bench --tree "$DIR" > /dev/null 2>&1
    awk '{print $1, $2 + $3}' "$WORK/t" >> "$WORK/$1.times"
}

for ((i = 0; i < RUNS; i++)); do
    run before "$BEFORE"
    run after "$AFTER"
done
cmp "$WORK/before/bench.lst" "$WORK/after/bench.lst"
cmp "$WORK/before/bench.sta" "$WORK/after/bench.sta"

printf 'machine: %s, %s cores, load average at end: %s; %s pairs\n' "$(uname -m)" "$(nproc)" \
    "$(cut -d' ' -f1-3 /proc/loadavg)" "$RUNS"
printf '| build | wall s (median) | CPU s (median) |\n|---|---:|---:|\n'
for which in before after; do
    printf '| %s | %.2f | %.2f |\n' "$which" "$(awk '{print $1}' "$WORK/$which.times" | median)" \
        "$(awk '{print $2}' "$WORK/$which.times" | median)"
done
paste "$WORK/before.times" "$WORK/after.times" |
    awk '{print $3 / $1, $4 / $2}' > "$WORK/ratios"
printf 'after/before, median of pairs: wall %.3f, CPU %.3f (outputs identical)\n' \
    "$(awk '{print $1}' "$WORK/ratios" | median)" "$(awk '{print $2}' "$WORK/ratios" | median)"
