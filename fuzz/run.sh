#!/usr/bin/env bash
# Fuzzes the readers with libFuzzer (clang), each for SECONDS (default 600), then merges what
# widened coverage into fuzz/corpus/<target>/ so the tests replay it. A crash stops the run
# and leaves its input as build/fuzz/crash-*.
#   fuzz/run.sh [SECONDS] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_settings fuzz_keyword_file fuzz_file_list \
    fuzz_result_file fuzz_word_list fuzz_scanner fuzz_compile_keyword fuzz_code_file)
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLEXMORA_FUZZ=ON -DLEXMORA_BUILD_UI=OFF -DLEXMORA_BUILD_TESTS=OFF >/dev/null
cmake --build build/fuzz -j 2 --target "${targets[@]}"
for target in "${targets[@]}"; do
    work=build/fuzz/work/$target
    mkdir -p "$work"
    (cd build/fuzz && "bin/$target" -max_total_time="$seconds" -max_len=20000 -timeout=10 \
        -rss_limit_mb=1024 "work/$target" "../../fuzz/corpus/$target")
    "build/fuzz/bin/$target" -merge=1 "fuzz/corpus/$target" "$work" 2>/dev/null
done
