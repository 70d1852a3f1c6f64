#!/usr/bin/env bash
# The desktop word count against `lexmora-cli count` on the same corpus, in interleaved pairs
# (the machine is shared), and the frequency viewer on a word list of more than 1,000,000 types
# made from a synthetic text. Builds a release tree in build/release (lexmora-cli and
# freq_desktop_bench only).
#
# usage: freq_desktop.sh [CORPUS_DIR] [PAIRS]     default /work/corpus/bench, 3 pairs
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
CORPUS=${1:-/work/corpus/bench}
PAIRS=${2:-3}
if [[ ! -d $CORPUS ]]; then
    bash /work/shared/bench/make-corpus.sh "$(dirname "$CORPUS")" 100
fi
export CCACHE_DIR=${CCACHE_DIR:-/work/.ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work}
cmake -S "$ROOT" -B "$ROOT/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DLEXMORA_BUILD_TESTS=OFF > /dev/null
cmake --build "$ROOT/build/release" -j 2 --target lexmora-cli freq_desktop_bench > /dev/null
CLI=$ROOT/build/release/bin/lexmora-cli
BENCH=$ROOT/build/release/bin/freq_desktop_bench
[[ -x $BENCH ]] || BENCH=$ROOT/build/release/freq_desktop_bench

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/home" "$WORK/out" "$WORK/tmp"
printf '[Defaults]\r\nTempDirectory=%s\r\n' "$WORK/tmp" > "$WORK/home/lexmora9.ini"
export QT_QPA_PLATFORM=offscreen

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs);" \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "corpus: $CORPUS, $(du -sh "$CORPUS" | cut -f1)"
find "$CORPUS" -type f -print0 | xargs -0 cat > /dev/null # warm the page cache

# Wall time of the count (the desktop's from Start to the result, the command line's whole
# process) and CPU time (user + system) of both whole processes, the desktop's with Qt's start.
cpu() { awk '{print $1 + $2}' "$1"; }
for ((i = 1; i <= PAIRS; i++)); do
    rm -f "$WORK"/out/*
    /usr/bin/time -f '%e %U %S' -o "$WORK/cli.time" "$CLI" --home "$WORK/home" count \
        --language english --folder "$WORK/out" --out bench --tree "$CORPUS" > /dev/null 2>&1
    rm -f "$WORK"/out/*
    line=$(/usr/bin/time -f '%U %S' -o "$WORK/desk.time" "$BENCH" count "$WORK/tmp" "$WORK/out" \
        "$CORPUS" 2> /dev/null)
    desk=$(sed -n 's/^desktop count: \([0-9.]*\) s.*/\1/p' <<< "$line")
    cli=$(awk '{print $1}' "$WORK/cli.time")
    clicpu=$(awk '{print $2 + $3}' "$WORK/cli.time")
    deskcpu=$(cpu "$WORK/desk.time")
    printf 'pair %d: cli %.2f s (CPU %.2f s), %s (CPU %.2f s); desktop/cli wall %.3f, CPU %.3f\n' \
        "$i" "$cli" "$clicpu" "$line" "$deskcpu" "$(echo "$desk / $cli" | bc -l)" \
        "$(echo "$deskcpu / $clicpu" | bc -l)"
done

# A synthetic text of 1,200,000 different five-letter words, the first 1000 of them repeated.
python3 - "$WORK/types.txt" <<'PY'
import sys, itertools, string
with open(sys.argv[1], "w") as out:
    words = ("".join(p) for p in itertools.product(string.ascii_lowercase, repeat=5))
    for n, w in enumerate(itertools.islice(words, 1200000)):
        out.write(w + (" " + w) * (n % 7 if n < 1000 else 0) + ("\n" if n % 12 == 11 else " "))
PY
rm -f "$WORK"/out/*
"$CLI" --home "$WORK/home" count --language english --folder "$WORK/out" --out types \
    "$WORK/types.txt" > /dev/null 2>&1
# a word of the list (in another case) and one that is not there
for ((i = 1; i <= 3; i++)); do
    "$BENCH" view "$WORK/out/types.lst" BZZZZ
    "$BENCH" view "$WORK/out/types.lst" bzzzzz
done
