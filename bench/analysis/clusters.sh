#!/usr/bin/env bash
# Clusters on the bench corpus: `the` (a quarter of a million hits) and a rare keyword, timed as
# whole processes (medians of RUNS runs, wall and CPU). With BASE=path/to/another/lexmora-cli
# the run of `the` is timed with both, and the lists of `the`, the rare keyword and a keyword of
# two words, sizes 2 to 5 at every place of the keyword, in every order, are made by both and
# compared byte for byte (a change that speeds the count must not move a row).
#
# usage: clusters.sh [CORPUS_DIR] [RUNS]     default /work/corpus/bench, 5
# CLI=path/to/lexmora-cli overrides the build tree's (build/dev).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
CORPUS=${1:-/work/corpus/bench}
RUNS=${2:-5}
CLI=${CLI:-$ROOT/build/dev/bin/lexmora-cli}
BASE=${BASE:-}
RARE=${RARE:-river}
PHRASE=${PHRASE:-the lord} # a keyword of two words: one block in every cluster
[[ -d $CORPUS ]] || { echo "no corpus at $CORPUS (see /work/shared/bench/make-corpus.sh)"; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/out" "$WORK/cache"
printf '[Defaults]\r\nTempDirectory=%s\r\nLanguage=English\r\n' "$WORK" > "$WORK/home/lexmora9.ini"
# the hits' places are noted in the user's cache by the first run: keep the bench's apart
export XDG_CACHE_HOME=$WORK/cache
RUN=("$CLI" --home "$WORK/home" --yes)

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
find "$CORPUS" -type f -print0 | xargs -0 cat > /dev/null # warm the page cache
"${RUN[@]}" search --source "$CORPUS" --tree --save "$WORK/out" --quiet the "$RARE" \
    "$PHRASE" > /dev/null 2>&1
THE=$(ls "$WORK"/out/the*.dmp | head -1)
RAREDMP=$(ls "$WORK"/out/"$RARE"*.dmp | head -1)
PHRASEDMP=$(ls "$WORK"/out/"${PHRASE// /_}"*.dmp | head -1)

# median wall and CPU seconds of RUNS runs of a command
timed() {
    local label=$1
    shift
    : > "$WORK/times"
    for ((i = 1; i <= RUNS; i++)); do
        /usr/bin/time -f '%e %U %S' -o "$WORK/t" "$@" > /dev/null 2> "$WORK/err" || {
            echo "$label failed:"; cat "$WORK/err"; exit 1; }
        cat "$WORK/t" >> "$WORK/times"
    done
    local mid=$(((RUNS + 1) / 2))
    printf '%-34s median %6.3f s wall, %6.3f s CPU (%d runs)\n' "$label" \
        "$(awk '{print $1}' "$WORK/times" | sort -n | sed -n "${mid}p")" \
        "$(awk '{print $2 + $3}' "$WORK/times" | sort -n | sed -n "${mid}p")" "$RUNS"
}

"${RUN[@]}" clusters "$THE" --format tsv > /dev/null 2>&1 # notes the hits' places
timed "clusters the (size 3, any)" "${RUN[@]}" clusters "$THE" --format tsv
[[ -n $BASE ]] && timed "  the same by BASE" "$BASE" --home "$WORK/home" --yes clusters "$THE" \
    --format tsv
timed "clusters $RARE (size 3, any)" "${RUN[@]}" clusters "$RAREDMP" --format tsv
[[ -z $BASE ]] && exit 0

# every list byte for byte against BASE's: each size at each place, the orders and filters taken
# in turn
EXTRAS=("" "--stop-at-sentence --sort ending --min-freq 1" "--sort alpha --min-range 2"
    "--sort range --top 500")
differ=0
for dmp in "$THE" "$RAREDMP" "$PHRASEDMP"; do
    for size in 2 3 4 5; do
        turn=$size
        for node in any left right; do
            extra=${EXTRAS[$((turn++ % 4))]}
            # shellcheck disable=SC2086
            args=(clusters "$dmp" --size "$size" --node "$node" --format tsv $extra)
            "${RUN[@]}" "${args[@]}" > "$WORK/new.tsv" 2> /dev/null
            "$BASE" --home "$WORK/home" --yes "${args[@]}" > "$WORK/old.tsv" 2> /dev/null
            if ! cmp -s "$WORK/new.tsv" "$WORK/old.tsv"; then
                echo "DIFFERENT: ${args[*]}"
                differ=1
            fi
            echo "$(wc -l < "$WORK/new.tsv") rows: ${args[*]}" >> "$WORK/compared"
        done
    done
done
cat "$WORK/compared"
echo "lists compared with BASE: $([[ $differ == 0 ]] && echo identical || echo DIFFERENT)"
exit $differ
