#!/usr/bin/env bash
# Collocates on the bench corpus: `the` (a quarter of a million hits) with a word list given and
# with the corpus counted on the fly, and a rare keyword with the word list, each against the
# search and the count that made its inputs, and against the Python anchor (which also checks
# the figures: its TSV must equal the program's). Medians of RUNS whole-process runs.
#
# usage: collocates.sh [CORPUS_DIR] [RUNS]     default /work/corpus/bench, 5
# CLI=path/to/lexmora-cli overrides the build tree's (build/dev); ANCHOR=0 leaves out the Python
# runs (about six minutes each on the 100 MB corpus).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
CORPUS=${1:-/work/corpus/bench}
RUNS=${2:-5}
CLI=${CLI:-$ROOT/build/dev/bin/lexmora-cli}
CHECK=$ROOT/bench/analysis/collocates_check.py
[[ -d $CORPUS ]] || { echo "no corpus at $CORPUS (see /work/shared/bench/make-corpus.sh)"; exit 1; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/out" "$WORK/freq"
# the word list and the collocates cut words by the same (English) rules
printf '[Defaults]\r\nTempDirectory=%s\r\nLanguage=English\r\n' "$WORK" > "$WORK/home/lexmora9.ini"
# --yes: a repeated search or count replaces its own earlier files
RUN=("$CLI" --home "$WORK/home" --yes)

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "corpus: $CORPUS, $(du -sh "$CORPUS" | cut -f1)"
find "$CORPUS" -type f -print0 | xargs -0 cat > /dev/null # warm the page cache

# median wall seconds and the largest peak RSS (MB) of RUNS runs of a command
timed() {
    local label=$1
    shift
    : > "$WORK/times"
    for ((i = 1; i <= RUNS; i++)); do
        /usr/bin/time -f '%e %M %U %S' -o "$WORK/t" "$@" > "$WORK/last.out" 2> "$WORK/last.err" || {
            echo "$label failed:"; cat "$WORK/last.err"; exit 1; }
        cat "$WORK/t" >> "$WORK/times"
    done
    local mid=$(((RUNS + 1) / 2))
    local wall cpu peak
    wall=$(awk '{print $1}' "$WORK/times" | sort -n | sed -n "${mid}p")
    cpu=$(awk '{print $3 + $4}' "$WORK/times" | sort -n | sed -n "${mid}p")
    peak=$(awk '{if ($2 > m) m = $2} END {print m / 1024}' "$WORK/times")
    printf '%-40s median %7.3f s wall, %7.3f s CPU, peak %6.1f MB (%d runs)\n' \
        "$label" "$wall" "$cpu" "$peak" "$RUNS" | tee -a "$WORK/summary"
}
median() { grep -F "$1" "$WORK/summary" | awk '{for (i = 1; i <= NF; i++) if ($i == "median") print $(i + 1)}'; }
cpu() { grep -F "$1" "$WORK/summary" | awk '{for (i = 1; i <= NF; i++) if ($i == "wall,") print $(i + 1)}'; }

LANG_OPTS=(--language english)
timed "search the" "${RUN[@]}" search --source "$CORPUS" --tree --save "$WORK/out" --quiet the
THE=$(ls "$WORK"/out/the*.dmp | head -1)
timed "count (word list of the corpus)" "${RUN[@]}" count "${LANG_OPTS[@]}" --folder "$WORK/freq" \
    --out bench --tree "$CORPUS"
LIST=$WORK/freq/bench.lst
timed "collocates the --wordlist" "${RUN[@]}" collocates "$THE" --wordlist "$LIST" --format tsv
cp "$WORK/last.out" "$WORK/the_lst.tsv"
timed "collocates the (files with hits)" "${RUN[@]}" collocates "$THE" --format tsv
timed "collocates the --corpus tree" "${RUN[@]}" collocates "$THE" --corpus "$CORPUS" --tree --format tsv

# A rare keyword: the first word of the list with between 500 and 1499 occurrences (a search
# also finds it inside words the list keeps apart, "l'option" in "l'options": under 2000 hits).
# (the list is read whole: awk leaving early would stop freq with SIGPIPE)
RARE=$("${RUN[@]}" freq "$LIST" --sort desc 2> /dev/null |
    awk -F'\t' '!found && $3 < 1500 && $3 >= 500 && length($2) > 4 { print $2; found = 1 }')
[[ -n $RARE ]] || { echo "no word with 500 to 1499 occurrences in the list"; exit 1; }
timed "search $RARE" "${RUN[@]}" search --source "$CORPUS" --tree --save "$WORK/out" --quiet "$RARE"
RAREDMP=$(ls -t "$WORK"/out/*.dmp | head -1)
timed "collocates $RARE --wordlist" "${RUN[@]}" collocates "$RAREDMP" --wordlist "$LIST" --format tsv
cp "$WORK/last.out" "$WORK/rare_lst.tsv"
echo "hits: the $(( $(wc -l < "$THE") - 1 )), $RARE $(( $(wc -l < "$RAREDMP") - 1 ))"

[[ ${ANCHOR:-1} == 0 ]] && exit 0
# The anchor: the same table in Python over the same tokens, once each.
mapfile -t FILES < <(find "$CORPUS" -type f | sort)
RUNS=1 timed "python anchor the --wordlist" python3 "$CHECK" the "${FILES[@]}" --wordlist "$LIST"
cmp -s "$WORK/last.out" "$WORK/the_lst.tsv" && echo "anchor: the table is identical" ||
    { echo "anchor: the table differs:"; diff "$WORK/last.out" "$WORK/the_lst.tsv" | head -10; }
RUNS=1 timed "python anchor $RARE --wordlist" python3 "$CHECK" "$RARE" "${FILES[@]}" \
    --wordlist "$LIST"
cmp -s "$WORK/last.out" "$WORK/rare_lst.tsv" && echo "anchor: the rare table is identical" ||
    { echo "anchor: the rare table differs:"; diff "$WORK/last.out" "$WORK/rare_lst.tsv" | head -10; }

awk -v s="$(median 'search the')" -v c="$(median 'count (word')" \
    -v f="$(median 'collocates the --corpus')" -v l="$(median 'collocates the --wordlist')" \
    -v p="$(median 'python anchor the')" -v lc="$(cpu 'collocates the --wordlist')" \
    -v pc="$(cpu 'python anchor the')" 'BEGIN {
    printf "the, corpus counted: %.3f s against search + count + 0.2 = %.3f s\n", f, s + c + 0.2
    printf "the, word list: %.3f s (target 0.5 s); anchor/program %.1fx wall, %.1fx CPU\n",
        l, p / l, pc / lc }'
