#!/usr/bin/env bash
# Times a keyword list searched by `lexmora-cli search` (results saved as one "Single File" set,
# default settings otherwise) against ripgrep on the same list, for 1, 10, 100 and 1,000
# mid-frequency English words of the corpus (ranks 201 on among words of four letters or more).
# The machine is shared: runs are interleaved (1 keyword, N keywords, ripgrep on N) and each
# figure is a median, the ratios quoted are of medians taken in those rounds.
#
# usage: bench/search/keywords.sh LEXMORA_CLI CORPUS_DIR [RUNS] [SIZES...]
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '8p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
shift $(($# >= 3 ? 3 : 2))
SIZES=("${@:-1 10 100 1000}")
read -r -a SIZES <<<"${SIZES[*]}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/out"
find "$DIR" -type f -name '*.txt' -exec cat {} + >/dev/null # warm the page cache

# The word list: English words of the corpus by frequency, from rank 201.
find "$DIR" -type f -name '*.txt' -path '*/en/*' -exec cat {} + | tr -cs 'A-Za-z' '\n' |
    tr 'A-Z' 'a-z' | awk 'length >= 4' | sort | uniq -c | sort -k1,1nr -k2 |
    awk 'NR > 200 && NR <= 1200 {print $2}' >"$work/words"

seconds() { # COMMAND...: wall seconds of one run
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
ours() { # LIST
    mapfile -t words <"$1"
    "$CLI" --home "$work/home" search --source "$DIR" --tree --pattern '*.txt' --save "$work/out" \
        --single-file --quiet "${words[@]}"
}
ripgrep() { rg -j1 -c -i -w -g '*.txt' -f "$1" "$DIR"; }
median() { sort -g | sed -n "$(((RUNS + 1) / 2))p"; }

echo "corpus: $DIR, $(du -sm "$DIR" | cut -f1) MB; $(nproc) cores; $RUNS interleaved rounds"
echo
echo "| keywords | lexmora s | 1 keyword s | ratio to 1 keyword | rg s | rg / lexmora |"
echo "|---|---|---|---|---|---|"
head -1 "$work/words" >"$work/list1"
for n in "${SIZES[@]}"; do
    head -"$n" "$work/words" >"$work/list"
    one=() many=() rgs=()
    # The last run's result files are removed before the clock starts: deleting hundreds of
    # megabytes is no part of the next search.
    for ((r = 0; r < RUNS; r++)); do
        rm -f "$work"/out/*
        one+=("$(seconds ours "$work/list1")")
        rm -f "$work"/out/*
        many+=("$(seconds ours "$work/list")")
        if command -v rg >/dev/null; then rgs+=("$(seconds ripgrep "$work/list")"); else rgs+=(0); fi
    done
    o=$(printf '%s\n' "${one[@]}" | median)
    m=$(printf '%s\n' "${many[@]}" | median)
    g=$(printf '%s\n' "${rgs[@]}" | median)
    printf '| %s | %.2f | %.2f | %.1f | %.2f | %.2f |\n' "$n" "$m" "$o" "$(echo "$m / $o" | bc -l)" \
        "$g" "$(echo "$g / $m" | bc -l)"
done
