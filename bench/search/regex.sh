#!/usr/bin/env bash
# Times regular-expression keywords of `lexmora-cli search --regex` on a corpus, results saved,
# page cache warm, against `grep -P -o -i` and `rg -j1 -E windows-1252 -o -i` with the same
# expression, counting matches (every tool's count is its number of matches). Also a plain word
# given as an expression against the same word as a plain keyword. Median wall time of RUNS.
#
# usage: bench/search/regex.sh LEXMORA_CLI CORPUS_DIR [RUNS]
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '7p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/out"
bytes=$(find "$DIR" -type f -name '*.txt' -printf '%s\n' | awk '{s += $1} END {print s}')
find "$DIR" -type f -name '*.txt' -exec cat {} + >/dev/null # warm the page cache

# run LABEL COMMAND: times COMMAND (a bash snippet printing a count) RUNS times; prints the row
# and leaves the median in $median.
median=0
run() {
    local label=$1 cmd=$2 times=() count=""
    for ((r = 0; r < RUNS; r++)); do
        rm -f "$work"/out/*
        /usr/bin/time -f '%e %M' -o "$work/time" bash -c "$cmd" >"$work/count" 2>"$work/err" ||
            true
        read -r wall rss <"$work/time"
        times+=("$wall")
        count=$(tail -1 "$work/count")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((RUNS + 1) / 2))p")
    [[ $median == 0.00 ]] && median=0.01
    printf '| %s | %.2f | %.0f | %s | %s |\n' "$label" "$median" \
        "$(echo "$bytes / $median / 1000000" | bc -l)" "${count:-?}" "$((rss / 1024))"
}

ours() { # [--regex] KEYWORD: prints the run's hit count
    local flag=""
    if [[ $1 == --regex ]]; then
        flag=--regex
        shift
    fi
    printf '%q ' "$CLI" --home "$work/home" search --source "$DIR" --tree --pattern '*.txt' \
        --left 60 --right 60 --code ansi --save "$work/out" --quiet $flag -- "$1"
    echo "2>&1 >/dev/null | grep -o '^ [0-9]* examples' | head -1 | tr -dc 0-9"
}
q() { printf '%q' "$1"; }

echo "corpus: $DIR, $((bytes / 1000000)) MB of .txt files; $(nproc) cores; $RUNS runs each"
echo
echo "| command | median s | MB/s | matches | peak RSS MB |"
echo "|---|---|---|---|---|"
run "lexmora giraffe (plain keyword)" "$(ours giraffe)"
plain=$median
run "lexmora --regex giraffe" "$(ours --regex giraffe)"
echo "| ratio regex / plain | $(echo "$median / $plain" | bc -l | cut -c1-4) | | | |"
for expression in 'colou?r' '\b(walk|talk)(ed|ing)?\b' '\b\w+ment\b' '[[:upper:]]\w+ville'; do
    run "lexmora --regex $expression" "$(ours --regex "$expression")"
    run "LC_ALL=C grep -r -a -P -o -i $expression" \
        "LC_ALL=C grep -r -a -P -o -i --include='*.txt' -e $(q "$expression") $(q "$DIR") | wc -l"
    command -v rg >/dev/null &&
        run "rg -j1 -E windows-1252 -o -i $expression" \
            "rg -j1 -E windows-1252 -o -i -g '*.txt' -e $(q "$expression") $(q "$DIR") | wc -l"
done
