#!/usr/bin/env bash
# Peak memory (maximum resident set, /usr/bin/time -v) of `lexmora-cli search` with a long keyword
# list read from a keyword file (random nine-letter keywords, one pass over the sources, results
# saved as one "Single File" set), for each list size given; and the bytes per keyword beyond the
# run with one keyword. The machine is shared: each figure is the median of RUNS runs.
#
# usage: bench/search/keywords_memory.sh LEXMORA_CLI SOURCE_DIR [RUNS] [SIZES...]
#
# Measured on a 2-core Xeon under KVM (shared, loaded: one run each), 26 files, 3.2 MB:
#   one pass for the whole list:  200,000 keywords 503 MB (2,604 bytes/keyword);
#                                 1,000,000 above 1.9 GB and not done after 15 minutes
#   batches of 25,000 keywords:   200,000 keywords 83 MB (402 bytes/keyword);
#                                 1,000,000 keywords 154 MB (146 bytes/keyword)
set -euo pipefail
[[ $# -ge 2 ]] || { sed -n '7p' "$0" >&2; exit 2; }
CLI=$(realpath "$1")
DIR=$(realpath "$2")
RUNS=${3:-5}
shift $(($# >= 3 ? 3 : 2))
SIZES=("${@:-200000 1000000}")
read -r -a SIZES <<<"${SIZES[*]}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/out"

# Random nine-letter keywords, the same list every time (a fixed seed).
python3 - "$work" "${SIZES[@]}" <<'PY'
import random, sys
work, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
rng = random.Random(1)
words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(9)) for _ in range(max(sizes))]
for n in sizes:
    with open(f"{work}/k{n}.kwd", "w") as f:
        f.write("\r\n".join(words[:n]) + "\r\n")
with open(f"{work}/k1.kwd", "w") as f:
    f.write(words[0] + "\r\n")
PY

peak_kb() { # KEYWORD_FILE: maximum resident set of one run, in KB
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -v "$CLI" --home "$work/home" search --source "$DIR" --tree --pattern '*.txt' \
        --save "$work/out" --single-file --quiet --keywords "$1" 2>&1 >/dev/null |
        sed -n 's/.*Maximum resident set size (kbytes): *//p'
}
median() { sort -g | sed -n "$(((RUNS + 1) / 2))p"; }

base=$(for _ in $(seq "$RUNS"); do peak_kb "$work/k1.kwd"; done | median)
printf '%10s %12s %16s\n' keywords "peak MB" "bytes/keyword"
printf '%10s %12.1f %16s\n' 1 "$(echo "$base / 1024" | bc -l)" -
for n in "${SIZES[@]}"; do
    kb=$(for _ in $(seq "$RUNS"); do peak_kb "$work/k$n.kwd"; done | median)
    text=$((n * 10)) # the keywords' own text: nine letters and a terminator each
    printf '%10s %12.1f %16.0f\n' "$n" "$(echo "$kb / 1024" | bc -l)" \
        "$(echo "($kb - $base) * 1024 / $n - $text / $n" | bc -l)"
done
