#!/usr/bin/env bash
# Times `lexmora-cli search` on a corpus (as made by make-corpus.sh), results saved, page cache
# warm, side by side with grep and ripgrep doing the nearest job on the same files: median wall
# time, MB/s (10^6 bytes of corpus per second), CPU seconds, hits (the tools' counts: -c counts
# lines, -o | wc -l counts hits) and our peak memory. Tools that are missing are left out.
#
# usage: bench/search/run.sh LEXMORA_CLI CORPUS_DIR [RUNS]
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

# run LABEL COMMAND: times COMMAND (a bash snippet printing a count) RUNS times.
run() {
    local label=$1 cmd=$2 times=() cpus=() count=""
    for ((r = 0; r < RUNS; r++)); do
        rm -f "$work"/out/*
        /usr/bin/time -f '%e %U %S %M' -o "$work/time" bash -c "$cmd" >"$work/count" 2>"$work/err" ||
            true
        read -r wall user sys rss <"$work/time"
        times+=("$wall")
        cpus+=("$(echo "$user + $sys" | bc -l)")
        count=$(tail -1 "$work/count")
    done
    local median cpu
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((RUNS + 1) / 2))p")
    cpu=$(printf '%s\n' "${cpus[@]}" | sort -g | sed -n "$(((RUNS + 1) / 2))p")
    [[ $median == 0.00 ]] && median=0.01
    printf '| %s | %.2f | %.0f | %.2f | %s | %s |\n' "$label" "$median" \
        "$(echo "$bytes / $median / 1000000" | bc -l)" "$cpu" "${count:-?}" "$((rss / 1024))"
}

ours() { # KEYWORD: prints the run's hit count
    echo "'$CLI' --home '$work/home' search --source '$DIR' --tree --pattern '*.txt' --left 60 \
--right 60 --code ansi --save '$work/out' --quiet '$1' 2>&1 >/dev/null | \
grep -o '^ [0-9]* examples' | head -1 | tr -dc 0-9"
}
sum='awk -F: '"'"'{s += $NF} END {print s}'"'"
have() { command -v "$1" >/dev/null; }

echo "corpus: $DIR, $((bytes / 1000000)) MB of .txt files; $(nproc) cores; $RUNS runs each"
echo
echo "| command | median s | MB/s | CPU s | hits or lines | peak RSS MB |"
echo "|---|---|---|---|---|---|"
run "lexmora zebra" "$(ours zebra)"
run "LC_ALL=C grep -r -c -i -w zebra" "LC_ALL=C grep -r -c -i -w --include='*.txt' zebra '$DIR' | $sum"
have rg && run "rg -j1 -c -i -w zebra" "rg -j1 -c -i -w -g '*.txt' zebra '$DIR' | $sum"
have rg && run "rg -j1 -E windows-1252 -c -i -w zebra" \
    "rg -j1 -E windows-1252 -c -i -w -g '*.txt' zebra '$DIR' | $sum"
run "lexmora the" "$(ours the)"
run "grep -r -o -i -w the \| wc -l" "grep -r -o -i -w --include='*.txt' the '$DIR' | wc -l"
have rg && run "rg -j1 -E windows-1252 -o -i -w the \| wc -l" \
    "rg -j1 -E windows-1252 -o -i -w -g '*.txt' the '$DIR' | wc -l"
run "lexmora conna*" "$(ours 'conna*')"
run "LC_ALL=C grep -r -c -i -E '\\<conna[[:alpha:]]*'" \
    "LC_ALL=C grep -r -c -i -E --include='*.txt' '\\<conna[[:alpha:]]*' '$DIR' | $sum"
have rg && run "rg -j1 -E windows-1252 -c -i '\\bconna\\w*'" \
    "rg -j1 -E windows-1252 -c -i -g '*.txt' '\\bconna\\w*' '$DIR' | $sum"
run "lexmora *ment" "$(ours '*ment')"
run "LC_ALL=C grep -r -c -i -E '[[:alpha:]]*ment\\>'" \
    "LC_ALL=C grep -r -c -i -E --include='*.txt' '[[:alpha:]]*ment\\>' '$DIR' | $sum"
have rg && run "rg -j1 -E windows-1252 -c -i '\\w*ment\\b'" \
    "rg -j1 -E windows-1252 -c -i -g '*.txt' '\\w*ment\\b' '$DIR' | $sum"
