#!/usr/bin/env bash
# Times `lexmora-cli search` on a corpus (as made by make-corpus.sh), results saved, page cache
# warm: wall time, MB/s (10^6 bytes of corpus per second), hits and peak memory per keyword.
#
# usage: bench/search/run.sh LEXMORA_CLI CORPUS_DIR [RUNS]
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '5p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/out"
bytes=$(find "$DIR" -type f -name '*.txt' -printf '%s\n' | awk '{s += $1} END {print s}')
cat "$(find "$DIR" -type f -name '*.txt' | head -1)" >/dev/null
echo "| keyword | median s | MB/s | hits | peak RSS MB |"
echo "|---|---|---|---|---|"
for keyword in zebra the 'conna*' '*ment'; do
    times=()
    for ((r = 0; r < RUNS; r++)); do
        rm -f "$work"/out/*
        start=$(date +%s.%N)
        /usr/bin/time -f '%M' -o "$work/rss" "$CLI" --home "$work/home" search --source "$DIR" \
            --tree --pattern '*.txt' --left 60 --right 60 --code ansi --save "$work/out" --quiet \
            "$keyword" 2>"$work/err" || true
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc -l)")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((RUNS + 1) / 2))p")
    hits=$(grep -o '^ [0-9]* examples' "$work/err" | head -1 | tr -dc 0-9)
    rss=$(($(cat "$work/rss") / 1024))
    printf '| %s | %.2f | %.0f | %s | %s |\n' "$keyword" "$median" \
        "$(echo "$bytes / $median / 1000000" | bc -l)" "${hits:-0}" "$rss"
done
