#!/usr/bin/env bash
# The n-gram count over ten hard-linked copies of a corpus (about 1 GB for the 100 MB one):
# whole-process wall time, CPU time and peak memory of `lexmora-cli ngrams` (3-grams, min freq
# 2), and a check that its list is byte-identical to the list of one copy counted with min
# freq 1 and every frequency and range multiplied by ten (each copy's files are files of their
# own, so every 3-gram of one copy occurs ten times in ten files over the copies).
#
# usage: ngrams_big.sh CLI CORPUS_DIR    e.g. ngrams_big.sh build/dev/bin/lexmora-cli /work/corpus/bench
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '2,8p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
WORK=$(mktemp -d -p "$(dirname "$DIR")" 2>/dev/null || mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/tmp" "$WORK/copies"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$WORK/tmp" > "$WORK/home/lexmora9.ini"
for i in 0 1 2 3 4 5 6 7 8 9; do
    cp -al "$DIR" "$WORK/copies/c$i" 2>/dev/null || cp -a "$DIR" "$WORK/copies/c$i"
done
BYTES=$(find "$WORK/copies" -type f -name '*.txt' -printf '%s\n' | awk '{s += $1} END {print s}')
printf '# 3-grams over ten copies: %.0f MB; load average at start: %s\n' \
    "$(echo "$BYTES / 1000000" | bc -l)" "$(cut -d' ' -f1-3 /proc/loadavg)"
/usr/bin/time -f '%e %U %S %M' -o "$WORK/t" "$CLI" --home "$WORK/home" ngrams --language english \
    --tree --format tsv "$WORK/copies" > "$WORK/big.tsv" 2> /dev/null
read -r wall user sys peak < "$WORK/t"
printf 'wall %s s, CPU %.2f s, peak %.1f MB, %s n-grams\n' "$wall" \
    "$(echo "$user + $sys" | bc -l)" "$(echo "$peak / 1024" | bc -l)" "$(($(wc -l < "$WORK/big.tsv") - 1))"
"$CLI" --home "$WORK/home" ngrams --min-freq 1 --language english --tree --format tsv "$DIR" \
    2> /dev/null | awk -F'\t' 'NR == 1 {print; next} {print $1 "\t" $2 * 10 "\t" $3 * 10}' \
    > "$WORK/small.tsv"
if cmp -s "$WORK/big.tsv" "$WORK/small.tsv"; then
    echo "the list is byte-identical to one copy's (min freq 1) times ten"
else
    echo "the lists differ:"; cmp "$WORK/big.tsv" "$WORK/small.tsv" || true; exit 1
fi
echo "temporary files left: $(find "$WORK/tmp" -mindepth 1 | wc -l)"
