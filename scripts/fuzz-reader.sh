#!/usr/bin/env bash
# fuzz-reader.sh [SECONDS]: builds the reader's fuzz target with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer (build/fuzz) and runs it for SECONDS (default
# 600) at low priority over the stored corpus. New inputs go to build/fuzz/corpus; a crash, leak
# or slow input is written to tests/fuzz/findings/, which the normal tests replay (tst_fuzzreplay)
# once it is fixed. Not run by ctest.
set -euo pipefail

seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMERIVOX_FUZZ=ON -DMERIVOX_WINE_TESTS=OFF -DCMAKE_CXX_FLAGS="$sanitizers" >/dev/null
nice -n 15 cmake --build "$build" --target fuzz_reader

mkdir -p "$build/corpus"
cd "$build"
# Slow inputs count as findings: no paint may take long, whatever the file holds.
# Fontconfig's caches live until the end and count as leaks there; they are not the program's.
LSAN_OPTIONS=suppressions=$root/tests/fuzz/lsan-suppressions.txt QT_QPA_PLATFORM=offscreen \
    nice -n 15 "$build/tests/fuzz/fuzz_reader" \
    -max_total_time="$seconds" -max_len=8192 -timeout=5 -rss_limit_mb=3072 -print_final_stats=1 \
    -artifact_prefix="$root/tests/fuzz/findings/" "$build/corpus" "$root/tests/fuzz/corpus"
