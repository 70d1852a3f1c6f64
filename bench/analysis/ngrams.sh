#!/usr/bin/env bash
# Times `lexmora-cli ngrams` (3-grams, and 2-5-grams in one run, min freq 2) on a corpus beside
# `lexmora-cli count` of the same files, a tr | awk | sort | uniq -c pipeline and a Python
# collections.Counter script (ngrams_check.py), page cache warm, RUNS times each; prints the
# median wall time, CPU time and peak memory, then checks lexmora-cli's 3-gram list against the
# Python one, line for line.
#
# usage: ngrams.sh CLI CORPUS_DIR [RUNS]    e.g. ngrams.sh build/dev/bin/lexmora-cli /work/corpus/bench 5
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '2,9p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/out" "$WORK/tmp"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$WORK/tmp" > "$WORK/home/lexmora9.ini"

find "$DIR" -type f -name '*.txt' -print0 | sort -z > "$WORK/files0"
BYTES=$(xargs -0 cat < "$WORK/files0" | wc -c)
xargs -0 cat < "$WORK/files0" > /dev/null # warm the page cache

median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# label, command: RUNS runs, median wall / CPU seconds and peak resident kB
measure() {
    local label=$1 cmd=$2 i
    : > "$WORK/times"
    for ((i = 0; i < RUNS; i++)); do
        rm -f "$WORK"/out/*
        /usr/bin/time -f '%e %U %S %M' -o "$WORK/t" bash -o pipefail -c "$cmd" > "$WORK/result" 2> "$WORK/err" \
            || { echo "failed: $cmd" >&2; cat "$WORK/err" >&2; exit 1; }
        cat "$WORK/t" >> "$WORK/times"
    done
    local wall cpu mem
    wall=$(awk '{print $1}' "$WORK/times" | median)
    cpu=$(awk '{print $2 + $3}' "$WORK/times" | median)
    mem=$(awk '{print $4}' "$WORK/times" | median)
    printf '| %s | %.2f | %.0f | %.2f | %.1f | %s |\n' "$label" "$wall" \
        "$(echo "$BYTES / 1000000 / $wall" | bc -l)" "$cpu" "$(echo "$mem / 1024" | bc -l)" \
        "$(tail -1 "$WORK/result")"
}

export FILES0=$WORK/files0 WORK CLI DIR HERE
TOK="LC_ALL=C tr -cs 'A-Za-z\\300-\\377' '\\n' | LC_ALL=C tr A-Z a-z"
printf '# n-grams: %s files, %.1f MB, median of %s runs\n\n' \
    "$(tr -cd '\0' < "$WORK/files0" | wc -c)" "$(echo "$BYTES / 1000000" | bc -l)" "$RUNS"
printf 'machine: %s, %s cores, %s; load average at start: %s\n\n' "$(uname -m)" "$(nproc)" \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '| command | wall s | MB/s | CPU s | peak MB | result (last line) |\n|---|---:|---:|---:|---:|---|\n'
measure "lexmora-cli count" \
    "\"\$CLI\" --home \"\$WORK/home\" count --language english --folder \"\$WORK/out\" --out bench --tree \"\$DIR\" 2>/dev/null"
measure "lexmora-cli ngrams (3, min freq 2)" \
    "\"\$CLI\" --home \"\$WORK/home\" ngrams --language english --tree --format tsv \"\$DIR\" 2>/dev/null | wc -l"
measure "lexmora-cli ngrams (2-5, min freq 2)" \
    "\"\$CLI\" --home \"\$WORK/home\" ngrams --size 2-5 --language english --tree --format tsv \"\$DIR\" 2>/dev/null | wc -l"
measure "tr | awk 3-grams | sort | uniq -c (min 2)" \
    "xargs -0 cat < \"\$FILES0\" | $TOK | mawk 'NR > 2 {print a, b, \$0} {a = b; b = \$0}' | LC_ALL=C sort | LC_ALL=C uniq -c | mawk '\$1 >= 2' | wc -l"
measure "python Counter 3-grams (min 2)" \
    "xargs -0 python3 \"\$HERE/ngrams_check.py\" english 3 3 2 < \"\$FILES0\" | wc -l"

# the 3-gram lists, both ways, compared as sorted lines
"$CLI" --home "$WORK/home" ngrams --language english --tree --format tsv "$DIR" 2>/dev/null \
    | tail -n +2 | LC_ALL=C sort > "$WORK/lexmora.tsv"
xargs -0 python3 "$HERE/ngrams_check.py" english 3 3 2 < "$WORK/files0" | LC_ALL=C sort > "$WORK/python.tsv"
printf '\n3-grams listed: lexmora-cli %s, Python %s; lines that differ: %s\n' \
    "$(wc -l < "$WORK/lexmora.tsv")" "$(wc -l < "$WORK/python.tsv")" \
    "$(LC_ALL=C comm -3 "$WORK/lexmora.tsv" "$WORK/python.tsv" | wc -l)"
LC_ALL=C comm -3 "$WORK/lexmora.tsv" "$WORK/python.tsv" | head -10
