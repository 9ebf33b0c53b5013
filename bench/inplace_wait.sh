#!/bin/sh
# inplace_wait.sh [BUILD_DIR] [MB] [ROUNDS]: a removal in a large file and the wait of another copy's
# append meanwhile, on the one-step replace and on the path in place (forced by the test switch).
set -eu
build=${1:-build/debug}
mb=${2:-50}
rounds=${3:-3}
"$build/bench/bench_inplace" "$mb" "$rounds"
MERIVOX_TEST_IN_PLACE=1 "$build/bench/bench_inplace" "$mb" "$rounds"
