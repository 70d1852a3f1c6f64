#!/usr/bin/env bash
# Times regular-expression keywords of `lexmora-cli search --regex` on a corpus, results saved,
# page cache warm, against `grep -P -o -i` and `rg -j1 -E windows-1252 -o -i` with the same
# expression, counting matches (every tool's count is its number of matches). Also a plain word
# given as an expression against the same word as a plain keyword. Medians of RUNS of the wall
# time and of the CPU time (user + sys, the figure to trust on a shared, loaded machine).
#
# usage: bench/search/regex.sh LEXMORA_CLI CORPUS_DIR [RUNS]
#
# Measured 2026-12-07 on the 100 MB bench corpus (2-core EPYC under KVM, shared, load ~11;
# medians of 5; wall s / CPU s, CPU the figure to trust under such load):
#   giraffe plain 0.39/0.09, as an expression 0.36/0.09;
#   colou?r 0.40/0.10 (grep -P 0.55/0.15, rg 1.06/0.30);
#   \b(walk|talk)(ed|ing)?\b 0.53/0.09 (grep 0.36/0.11, rg 9.82/3.12);
#   \b\w+ment\b 0.35/0.10 (grep 1.19/0.42, rg 2.75/0.82), before the inner literal 1.65/0.32;
#   [[:upper:]]\w+ville 0.30/0.08 (grep 1.59/0.51, rg 0.56/0.14), before 1.91/0.36 (the
#   "before" figures: the previous build, medians of 3 in the same hour).
# The counts differ where the engines disagree on a word character: here \w is the search's own
# (accented letters, # $ %, no _), grep's in the C locale ASCII and _, rg's Unicode; and the
# search joins words hyphenated at a line end. \b(walk|talk)(ed|ing)?\b: 1717 against 1711, the
# six "Talk_..." of the Italian files ("_" is no word character here); \b\w+ment\b: 34584,
# grep 33883 (it cuts "événement" at the "é"), rg 34500.
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '8p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/out"
bytes=$(find "$DIR" -type f -name '*.txt' -printf '%s\n' | awk '{s += $1} END {print s}')
find "$DIR" -type f -name '*.txt' -exec cat {} + >/dev/null # warm the page cache

# run LABEL COMMAND: times COMMAND (a bash snippet printing a count) RUNS times; prints the row
# and leaves the medians in $median (wall) and $cpu.
median=0 cpu=0
run() {
    local label=$1 cmd=$2 times=() cpus=() count=""
    for ((r = 0; r < RUNS; r++)); do
        rm -f "$work"/out/*
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" bash -c "$cmd" >"$work/count" \
            2>"$work/err" || true
        read -r wall user sys rss <"$work/time"
        times+=("$wall")
        cpus+=("$(echo "$user + $sys" | bc)")
        count=$(tail -1 "$work/count")
    done
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((RUNS + 1) / 2))p")
    cpu=$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "$(((RUNS + 1) / 2))p")
    [[ $median == 0.00 ]] && median=0.01
    [[ $cpu == 0 || $cpu == .00 ]] && cpu=0.01
    printf '| %s | %.2f | %.2f | %.0f | %s | %s |\n' "$label" "$median" "$cpu" \
        "$(echo "$bytes / $median / 1000000" | bc -l)" "${count:-?}" "$((rss / 1024))"
}

# ratio LABEL OURS_WALL OURS_CPU THEIRS_WALL THEIRS_CPU: how many times faster ours is.
ratio() {
    printf '| %s | %sx | %sx | | | |\n' "$1" "$(echo "$4 / $2" | bc -l | cut -c1-4)" \
        "$(echo "$5 / $3" | bc -l | cut -c1-4)"
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
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| command | median wall s | median CPU s | MB/s (wall) | matches | peak RSS MB |"
echo "|---|---|---|---|---|---|"
run "lexmora giraffe (plain keyword)" "$(ours giraffe)"
plain=$median plain_cpu=$cpu
run "lexmora --regex giraffe" "$(ours --regex giraffe)"
echo "| ratio regex / plain (at most 1.2) | $(echo "$median / $plain" | bc -l | cut -c1-4) |" \
    "$(echo "$cpu / $plain_cpu" | bc -l | cut -c1-4) | | | |"
for expression in 'colou?r' '\b(walk|talk)(ed|ing)?\b' '\b\w+ment\b' '[[:upper:]]\w+ville'; do
    run "lexmora --regex $expression" "$(ours --regex "$expression")"
    ours_wall=$median ours_cpu=$cpu
    run "LC_ALL=C grep -r -a -P -o -i $expression" \
        "LC_ALL=C grep -r -a -P -o -i --include='*.txt' -e $(q "$expression") $(q "$DIR") | wc -l"
    ratio "speed against grep -P (at least 1)" "$ours_wall" "$ours_cpu" "$median" "$cpu"
    if command -v rg >/dev/null; then
        run "rg -j1 -E windows-1252 -o -i $expression" \
            "rg -j1 -E windows-1252 -o -i -g '*.txt' -e $(q "$expression") $(q "$DIR") | wc -l"
        ratio "speed against rg -j1 (at least 0.5)" "$ours_wall" "$ours_cpu" "$median" "$cpu"
    fi
done
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
