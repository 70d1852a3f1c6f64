#!/usr/bin/env bash
# The analysis windows against the command line, in interleaved pairs on the same inputs: the
# keyness window (two synthetic word lists of 1.2 million types each, made by keyness.sh) and the
# collocates window (`the` on the bench corpus, the corpus's word list given). The desktop's
# figure is Start to the table drawn; the command line's is its whole process. Wall and CPU.
#
# usage: desktop.sh [CORPUS_DIR] [PAIRS]     default /work/corpus/bench, 5 pairs
# Builds lexmora-cli and analysis_desktop_bench in BUILD (default build/release, configured
# Release with the desktop when missing).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
CORPUS=${1:-/work/corpus/bench}
PAIRS=${2:-5}
[[ -d $CORPUS ]] || { echo "no corpus at $CORPUS (see /work/shared/bench/make-corpus.sh)"; exit 1; }
BUILD=${BUILD:-$ROOT/build/release}
[[ -f $BUILD/CMakeCache.txt ]] || cmake -S "$ROOT" -B "$BUILD" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DLEXMORA_BUILD_TESTS=OFF > /dev/null
cmake --build "$BUILD" -j 2 --target lexmora-cli analysis_desktop_bench > /dev/null
CLI=$BUILD/bin/lexmora-cli
BENCH=$BUILD/bin/analysis_desktop_bench
[[ -x $BENCH ]] || BENCH=$BUILD/analysis_desktop_bench
export QT_QPA_PLATFORM=offscreen

# The keyness lists come from keyness.sh's cache (it makes them when missing).
KWORK=${KWORK:-/tmp/lexmora-keyness-bench}
[[ -f $KWORK/lists/syn_target.lst ]] || CLI=$CLI RUNS=1 PYRUNS=1 WORK=$KWORK \
    bash "$ROOT/bench/analysis/keyness.sh" > /dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/out" "$WORK/freq"
printf '[Defaults]\r\nTempDirectory=%s\r\nLanguage=English\r\n' "$WORK" > "$WORK/home/lexmora9.ini"
RUN=("$CLI" --home "$WORK/home" --yes)
"${RUN[@]}" search --source "$CORPUS" --tree --save "$WORK/out" --quiet the > /dev/null
THE=$(ls "$WORK"/out/the*.dmp | head -1)
"${RUN[@]}" count --language english --folder "$WORK/freq" --out bench --tree "$CORPUS" > /dev/null
LIST=$WORK/freq/bench.lst

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# pair NAME CLI-ARGS... -- DESKTOP-ARGS...: PAIRS interleaved runs, medians of the wall and of
# the CPU (user + system) seconds and their ratios. On a shared machine the CPU time is the
# steadier figure.
pair() {
    local name=$1 cli=() desk=() seen=0 clis=() desks=() clicpus=() deskcpus=() out
    shift
    for a in "$@"; do
        if [[ $a == -- ]]; then seen=1; elif ((seen)); then desk+=("$a"); else cli+=("$a"); fi
    done
    for ((i = 1; i <= PAIRS; i++)); do
        /usr/bin/time -f '%e %U %S' -o "$WORK/t" "${RUN[@]}" "${cli[@]}" > /dev/null 2>&1
        read -r wall user sys < "$WORK/t"
        clis+=("$wall")
        clicpus+=("$(echo "$user + $sys" | bc -l)")
        out=$("$BENCH" "${desk[@]}" 2> /dev/null)
        desks+=("$(sed -n 's/.*: \([0-9.]*\) s from Start.*/\1/p' <<< "$out")")
        deskcpus+=("$(sed -n 's/.*cpu \([0-9.]*\) s.*/\1/p' <<< "$out")")
    done
    local c d cc dc
    c=$(printf '%s\n' "${clis[@]}" | median)
    d=$(printf '%s\n' "${desks[@]}" | median)
    cc=$(printf '%s\n' "${clicpus[@]}" | median)
    dc=$(printf '%s\n' "${deskcpus[@]}" | median)
    printf '%-12s command line %6.3f s (cpu %6.3f s)   desktop %6.3f s (cpu %6.3f s)   desktop/command line %.2fx (cpu %.2fx)\n' \
        "$name" "$c" "$cc" "$d" "$dc" "$(echo "$d / $c" | bc -l)" "$(echo "$dc / $cc" | bc -l)"
}

pair keyness keyness "$KWORK/lists/syn_target.lst" "$KWORK/lists/syn_reference.lst" --format tsv \
    -- keyness "$KWORK/lists/syn_target.lst" "$KWORK/lists/syn_reference.lst"
pair collocates collocates "$THE" --wordlist "$LIST" --format tsv -- collocates "$THE" "$LIST"
