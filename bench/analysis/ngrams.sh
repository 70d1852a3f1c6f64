#!/usr/bin/env bash
# Times `lexmora-cli ngrams` (3-grams, and 2-5-grams in one run, min freq 2) on a corpus beside
# `lexmora-cli count` of the same files, a tr | awk | sort | uniq -c pipeline and a Python
# collections.Counter script (ngrams_check.py), page cache warm, RUNS times each; prints the
# median wall time, CPU time and peak memory, then checks lexmora-cli's 3-gram list against the
# Python one, line for line. With BASE=path/to/another/lexmora-cli each n-gram run is timed with
# both, and the lists of every size alone and of ranges of sizes, at several thresholds, in every
# order, with and without sentence stops, in memory and spilled (a corpus beyond the tables'
# bound), are made by both and compared byte for byte (a change that speeds the count must not
# move a row).
#
# usage: [BASE=CLI2] ngrams.sh CLI CORPUS_DIR [RUNS]    e.g. ngrams.sh build/dev/bin/lexmora-cli /work/corpus/bench 5
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '2,14p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
BASE=${BASE:+$(realpath "$BASE")}
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

export FILES0=$WORK/files0 WORK CLI DIR HERE BASE
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
if [[ -n $BASE ]]; then
    measure "  the same 3-grams by BASE" \
        "\"\$BASE\" --home \"\$WORK/home\" ngrams --language english --tree --format tsv \"\$DIR\" 2>/dev/null | wc -l"
    measure "  the same 2-5-grams by BASE" \
        "\"\$BASE\" --home \"\$WORK/home\" ngrams --size 2-5 --language english --tree --format tsv \"\$DIR\" 2>/dev/null | wc -l"
fi
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

[[ -z $BASE ]] && exit 0
# every list byte for byte against BASE's: each size alone and ranges of sizes, the orders,
# thresholds and sentence stops taken in turn; the whole corpus spills its tables
EXTRAS=("" "--stop-at-sentence --sort ending --min-freq 1" "--sort alpha --min-range 2"
    "--sort range --min-freq 3 --top 200000" "--stop-at-sentence --min-freq 5")
# a few files too, whose tables stay in memory
mkdir -p "$WORK/few"
head -z -n 6 "$WORK/files0" | xargs -0 -I{} cp {} "$WORK/few/"
differ=0
: > "$WORK/compared"
turn=0
for size in 2 3 4 5 6 7 8 2-5 2-8 3-4; do
    for corpus in "$DIR" "$WORK/few"; do
        extra=${EXTRAS[$((turn++ % ${#EXTRAS[@]}))]}
        # shellcheck disable=SC2086
        args=(ngrams --size "$size" --language english --tree --format tsv $extra "$corpus")
        "$CLI" --home "$WORK/home" "${args[@]}" > "$WORK/new.tsv" 2> /dev/null
        "$BASE" --home "$WORK/home" "${args[@]}" > "$WORK/old.tsv" 2> /dev/null
        if ! cmp -s "$WORK/new.tsv" "$WORK/old.tsv"; then
            echo "DIFFERENT: ${args[*]}"
            differ=1
        fi
        echo "$(($(wc -l < "$WORK/new.tsv") - 1)) rows: ${args[*]}" >> "$WORK/compared"
        [[ -z $(ls -A "$WORK/tmp") ]] || { echo "temporary files left: $(ls "$WORK/tmp")"; differ=1; }
    done
done
cat "$WORK/compared"
echo "lists compared with BASE: $([[ $differ == 0 ]] && echo identical || echo DIFFERENT)"
exit $differ
