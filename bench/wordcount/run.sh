#!/usr/bin/env bash
# Times `lexmora-cli count` on a corpus (as made by ../shared/bench/make-corpus.sh) beside the
# shell pipelines of baselines.sh that count word frequencies, page cache warm, RUNS times each;
# prints the median wall time, CPU time and peak memory, and checks the 200 most frequent types
# against an independent count written from the word rules (independent_count.py).
#
# usage: run.sh CLI CORPUS_DIR [RUNS]      e.g. run.sh build/release/bin/lexmora-cli corpus/bench
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '2,7p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-3}
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
    printf '| `%s` | %.2f | %.0f | %.2f | %.1f | %s |\n' "$label" "$wall" \
        "$(echo "$BYTES / 1000000 / $wall" | bc -l)" "$cpu" "$(echo "$mem / 1024" | bc -l)" \
        "$(tail -1 "$WORK/result")"
}

export FILES0=$WORK/files0 WORK CLI DIR
TOK="LC_ALL=C tr -cs 'A-Za-z\\300-\\377' '\\n' | LC_ALL=C tr A-Z a-z"
printf '# word count: %s files, %.1f MB, median of %s runs\n\n' \
    "$(tr -cd '\0' < "$WORK/files0" | wc -c)" "$(echo "$BYTES / 1000000" | bc -l)" "$RUNS"
printf 'machine: %s, %s cores, %s; load average at start: %s\n\n' "$(uname -m)" "$(nproc)" \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '| command | wall s | MB/s | CPU s | peak MB | result |\n|---|---:|---:|---:|---:|---|\n'
measure "lexmora-cli count (scatter, gather, both files)" \
    "\"\$CLI\" --home \"\$WORK/home\" count --language english --folder \"\$WORK/out\" --out bench --tree \"\$DIR\" 2>/dev/null"
measure "tr | tr | mawk hash | sort -rn" \
    "xargs -0 cat < \"\$FILES0\" | $TOK | mawk '{c[\$0]++} END {for (w in c) print c[w], w}' | LC_ALL=C sort -rn | wc -l"
measure "tr | tr | sort | uniq -c | sort -rn" \
    "xargs -0 cat < \"\$FILES0\" | $TOK | LC_ALL=C sort | LC_ALL=C uniq -c | LC_ALL=C sort -rn | wc -l"

# the 200 most frequent types, both ways (words in lower case)
"$CLI" --home "$WORK/home" count --language english --folder "$WORK/out" --out bench --tree "$DIR" \
    > /dev/null 2>&1
"$CLI" --home "$WORK/home" freq "$WORK/out/bench.lst" --sort desc --top 200 2>/dev/null \
    | python3 -c 'import sys
for line in sys.stdin:
    f = line.rstrip("\n").split("\t")
    print(f[2], f[1].lower())' > "$WORK/ours"
xargs -0 python3 "$HERE/independent_count.py" english 200 < "$WORK/files0" > "$WORK/theirs"
if cmp -s <(sort "$WORK/ours") <(sort "$WORK/theirs"); then
    echo; echo "top 200 types: the same words and frequencies in both counts"
else
    echo; echo "top 200 types differ:"; diff <(sort "$WORK/ours") <(sort "$WORK/theirs") | head -20 || true
    exit 1
fi
