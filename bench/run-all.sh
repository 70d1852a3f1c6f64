#!/usr/bin/env bash
# Every benchmark in one table: each of our jobs (default settings, whole process, page cache
# warm) beside the anchor that does the nearest job on the same files, timed in turn in the
# same sitting; medians of RUNS runs, ratio ours / anchor (below 1: we are faster), our peak RSS.
#
# usage: bench/run-all.sh CORPUS_DIR [RUNS]   (CORPUS_DIR as made by make-corpus.sh)
# Builds the release lexmora-cli in build/bench first. Anchors that are missing are left out.
set -euo pipefail
[[ $# -ge 1 ]] || { sed -n '6p' "$0" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
DIR=$(realpath "$1")
RUNS=${2:-5}
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DLEXMORA_BUILD_UI=OFF -DLEXMORA_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build/bench" --target lexmora-cli >/dev/null
CLI=$root/build/bench/bin/lexmora-cli
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
mkdir -p "$W/home" "$W/out" "$W/tmp"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$W/tmp" > "$W/home/lexmora9.ini"
find "$DIR" -type f -name '*.txt' -print0 | sort -z > "$W/files0"
bytes=$(xargs -0 cat < "$W/files0" | wc -c)
export CLI DIR W
have() { command -v "$1" >/dev/null; }

# time_cmd CMD: prints "wall cpu peak_MB" medians over RUNS runs of the bash snippet CMD.
time_cmd() {
    local i
    : > "$W/times"
    for ((i = 0; i < RUNS; i++)); do
        rm -rf "$W"/out/* "$W"/tmp/*
        /usr/bin/time -f '%e %U %S %M' -o "$W/t" bash -o pipefail -c "$1" > /dev/null 2>&1 || true
        cat "$W/t" >> "$W/times"
    done
    local med='sort -g | awk "{a[NR] = \$1} END {print a[int((NR + 1) / 2)]}"'
    echo "$(awk '{print $1}' "$W/times" | eval "$med")" \
        "$(awk '{print $2 + $3}' "$W/times" | eval "$med")" \
        "$(awk '{print $4 / 1024}' "$W/times" | eval "$med")"
}

# row JOB OURS ANCHOR_LABEL ANCHOR: one line of the table, the two commands timed in turn.
row() {
    local ours anchor
    ours=$(time_cmd "$2")
    anchor=$( [[ -n $4 ]] && time_cmd "$4" || echo "0 0 0")
    read -r ow oc om <<< "$ours"
    read -r aw ac am <<< "$anchor"
    local ratio="—"
    [[ -n $4 ]] && ratio=$(echo "$ow / ($aw + 0.0001)" | bc -l | xargs printf '%.2f')
    printf '| %s | %.3f | %.0f | %.1f | %s | %s | %s |\n' "$1" "$ow" \
        "$(echo "$bytes / 1000000 / ($ow + 0.0001)" | bc -l)" "$om" "$3" \
        "$([[ -n $4 ]] && printf '%.3f' "$aw" || echo —)" "$ratio"
}

search() { # KEYWORD [OPTIONS...]: our search over the corpus, results saved
    local k=$1
    shift
    echo "\"\$CLI\" --home \"\$W/home\" search --source \"\$DIR\" --tree --pattern '*.txt' $* \
--save \"\$W/out\" --quiet '$k'"
}
rg1() { echo "rg -j1 -g '*.txt' $* \"\$DIR\""; }

echo "# benchmarks: $((bytes / 1000000)) MB of .txt files in $DIR, median of $RUNS runs"
echo "machine: $(uname -m), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- |
    sed 's/^ //'); load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| job | ours s | MB/s | our peak MB | anchor | anchor s | ours/anchor |"
echo "|---|---:|---:|---:|---|---:|---:|"
TOK="LC_ALL=C tr -cs 'A-Za-z\\300-\\377' '\\n' | LC_ALL=C tr A-Z a-z"
row "word count, whole run" \
    "\"\$CLI\" --home \"\$W/home\" count --language english --folder \"\$W/out\" --out b --tree \"\$DIR\"" \
    "tr\|tr\|mawk" \
    "$(have mawk && echo "xargs -0 cat < \"\$W/files0\" | $TOK | mawk '{c[\$0]++} END {for (w in c) print c[w], w}' | LC_ALL=C sort -rn")"
if have rg; then
    row "giraffe (default: Automatic)" "$(search giraffe)" "rg -j1 -c -i -w" "$(rg1 -c -i -w giraffe)"
    row "giraffe --code ansi" "$(search giraffe --code ansi)" "rg -j1 -c -i -w" \
        "$(rg1 -c -i -w giraffe)"
    for k in fichier nicht house; do
        row "$k" "$(search $k)" "rg -j1 -c -i -w" "$(rg1 -c -i -w $k)"
    done
    row "the, saved" "$(search the)" "rg -j1 -E windows-1252 -o -i -w \| wc -l" \
        "$(rg1 -E windows-1252 -o -i -w the) | wc -l"
else
    echo "(ripgrep is not installed: apt-get install ripgrep)"
fi
# The viewer: the saved "the" set, sorted on the first word right of the keyword.
eval "$(search the --single-file --left 60 --right 60)" > /dev/null 2>&1 || true
dump=$(ls "$W"/out/*.dmp | head -1)
cp "$dump" "$W/view.dmp"
"$CLI" view "$W/view.dmp" > "$W/view.txt" 2>/dev/null
row "viewer sort right word 1 ($(wc -l < "$W/view.txt") records)" \
    "\"\$CLI\" view --sort right \"\$W/view.dmp\"" "GNU sort -f -k1.70 --parallel=1" \
    "LC_ALL=C sort --parallel=1 -f -k1.70 \"\$W/view.txt\""
