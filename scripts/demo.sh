#!/usr/bin/env bash
# A short demonstration on the bundled sample texts, for machines without a display.
set -u
bin=$1
cli="$bin/lexmora-cli"
samples="$bin/samples"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
has() { "$cli" --home "$home" --help 2>/dev/null | grep -qE "^  $1 "; }
echo "== KWIC-LEXMORA demo (no display found; run 'make run' on a desktop for the windows) =="
echo "-- settings in effect for a fresh program folder:"
"$cli" --home "$home" settings
if has search; then
    echo "-- keywords in context: 'maison' in the French sample, 40 characters each side:"
    "$cli" --home "$home" search --source "$samples" --pattern "*.txt" --left 40 --right 40 maison
fi
if has count && has freq; then
    echo "-- word frequencies of the English sample, the ten most frequent words:"
    "$cli" --home "$home" count --language english --folder "$home" --out demo "$samples/english.txt" &&
        "$cli" --home "$home" freq "$home/demo.lst" --sort desc --norm 1M --top 10
fi
