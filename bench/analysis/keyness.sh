#!/usr/bin/env bash
# Keyness benchmark: the whole "lexmora-cli keyness" process (both lists loaded, merged, every
# column worked out, the table printed as TSV) against the Python anchor keyness_check.py, which
# computes the same table from the formulas; its output is also checked row by row against the
# anchor's.
#
# usage: bash bench/analysis/keyness.sh [CORPUS_DIR]
#   Pair 1, "synthetic": two word lists of 1.2 million types each (1 million shared, 200,000 only
#   in each), counted from made-up texts. Pair 2, with CORPUS_DIR (the bench corpus of
#   make-corpus.sh): the corpus counted whole against ten hard-linked copies of its English
#   folder. Medians of 5 runs (RUNS=N to change; the anchor PYRUNS=3), peak memory of the
#   largest.
# Environment: CLI (default build/dev/bin/lexmora-cli), WORK (default /tmp/lexmora-keyness-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
CLI=${CLI:-$root/build/dev/bin/lexmora-cli}
WORK=${WORK:-/tmp/lexmora-keyness-bench}
RUNS=${RUNS:-5}
PYRUNS=${PYRUNS:-3} # the anchor takes minutes on a loaded machine
CORPUS=${1:-}
CHECK=$here/keyness_check.py
[ -x "$CLI" ] || { echo "build lexmora-cli first ($CLI)" >&2; exit 2; }
mkdir -p "$WORK/home" "$WORK/lists"

count() { # NAME PATH...: a word list in $WORK/lists
    local name=$1
    shift
    [ -f "$WORK/lists/$name.lst" ] && return
    "$CLI" --home "$WORK/home" count --language english --tree --folder "$WORK/lists" \
        --out "$name" "$@" > /dev/null 2>&1
}

# Made-up words (five letters), word n written 1 + (n * step) % modulo times, so that a third
# of them pass the default minimum of 5 and the two lists' rates differ word by word.
synthetic() { # FILE FIRST LAST STEP MODULO
    python3 - "$@" <<'PY'
import itertools, string, sys
path, first, last, step, modulo = sys.argv[1], *map(int, sys.argv[2:])
words = ("".join(p) for p in itertools.product(string.ascii_lowercase, repeat=5))
with open(path, "w") as out:
    for n, w in enumerate(itertools.islice(words, last)):
        if n >= first:
            out.write((w + " ") * (1 + (n * step) % modulo) + ("\n" if n % 12 == 11 else ""))
PY
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Times RUNS runs of a command writing $WORK/out; prints "wall cpu peak_kb": the medians of the
# wall-clock and of the processor (user + system) seconds, and the largest peak memory. On a
# shared machine the processor time is the steadier figure.
timed() {
    local walls=() cpus=() peak=0 s u k kb
    local runs=$1
    shift
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f '%e %U %S %M' -o "$WORK/time" "$@" > "$WORK/out" 2> /dev/null
        read -r s u k kb < "$WORK/time"
        walls+=("$s")
        cpus+=("$(echo "$u + $k" | bc -l)")
        ((kb > peak)) && peak=$kb
    done
    printf '%s %s %s\n' "$(printf '%s\n' "${walls[@]}" | median)" \
        "$(printf '%s\n' "${cpus[@]}" | median)" "$peak"
}

types() { head -c 46 "$1" | sed -n 's/.*types: *\([0-9]*\).*/\1/p'; }

compare() { # NAME TARGET REFERENCE
    local name=$1 target=$WORK/lists/$2.lst reference=$WORK/lists/$3.lst
    read -r cli clicpu clikb < <(timed "$RUNS" "$CLI" --home "$WORK/home" keyness "$target" \
        "$reference" --format tsv)
    cp "$WORK/out" "$WORK/$name.tsv"
    read -r py pycpu pykb < <(timed "$PYRUNS" python3 "$CHECK" "$target" "$reference")
    local check rows
    check=$(python3 "$CHECK" "$target" "$reference" --compare "$WORK/$name.tsv" | tail -n 1)
    rows=$(($(wc -l < "$WORK/$name.tsv") - 1))
    printf '%-10s %8s %8s %7s  %6.2f s %6.2f s %5d MB  %7.2f s %7.2f s %5d MB  %5.1fx %5.1fx  %s\n' \
        "$name" "$(types "$target")" "$(types "$reference")" "$rows" "$cli" "$clicpu" \
        $((clikb / 1024)) "$py" "$pycpu" $((pykb / 1024)) "$(echo "$py / $cli" | bc -l)" \
        "$(echo "$pycpu / $clicpu" | bc -l)" "$check"
}

if [ ! -f "$WORK/lists/syn_target.lst" ]; then
    mkdir -p "$WORK/text"
    synthetic "$WORK/text/target.txt" 0 1200000 3 11
    synthetic "$WORK/text/reference.txt" 200000 1400000 5 13
    count syn_target "$WORK/text/target.txt"
    count syn_reference "$WORK/text/reference.txt"
    rm -rf "$WORK/text"
fi
if [ -n "$CORPUS" ]; then
    if [ ! -f "$WORK/lists/corpus.lst" ]; then
        rm -rf "$WORK/copies"
        for k in 0 1 2 3 4 5 6 7 8 9; do cp -al "$CORPUS/en" "$WORK/copies/en$k" 2> /dev/null ||
            { mkdir -p "$WORK/copies" && cp -al "$CORPUS/en" "$WORK/copies/en$k"; }; done
        count corpus "$CORPUS"
        count english10 "$WORK/copies"
        rm -rf "$WORK/copies"
    fi
fi

echo "keyness, whole process, median of $RUNS runs (anchor $PYRUNS) ($(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'))"
printf '%-10s %8s %8s %7s  %8s %8s %8s  %9s %9s %8s  %6s %6s  %s\n' pair "types T" \
    "types R" rows "wall" "cpu" peak "py wall" "py cpu" "py peak" "wall" "cpu" check
compare synthetic syn_target syn_reference
[ -n "$CORPUS" ] && compare corpus corpus english10
exit 0
