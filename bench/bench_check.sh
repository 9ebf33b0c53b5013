#!/usr/bin/env bash
# merivox-view --check against its goals, each beside its baseline in the same run:
#  - memory: peak RSS on the 200 MB file that bench_read makes, above the peak on an empty file,
#    and what that comes to per record beyond a fixed 32 MiB;
#  - memory on 18 MiB of bare "ITEM:" lines (a record per line, each cut off);
#  - CPU: user + system time, median of 5 runs after a warm-up, on the 50 MB file against wc -l
#    on the same file.
# Usage: bench/bench_check.sh [build dir]   (default build/release; needs python3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
view="$build/app/viewer/merivox-view"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/bench_read" --write "$work/200.dat" 200
"$build/bench/bench_read" --write "$work/50.dat" 50
: >"$work/empty.dat"
head -c $((18 * 1024 * 1024)) < <(yes $'ITEM:\r') >"$work/items.dat"

# Prints "user+system seconds" and "peak kB" of one run, to the microsecond (GNU time rounds to
# 10 ms, more than wc -l takes).
run() {
    python3 -c '
import os, subprocess, sys
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
_, _, usage = os.wait4(child.pid, 0)
print("%.4f %d" % (usage.ru_utime + usage.ru_stime, usage.ru_maxrss))' "$@"
}
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
cpu5() {
    run "$@" >/dev/null # warm-up
    for _ in 1 2 3 4 5; do run "$@"; done | awk '{ print $1 }' | median
}

records=$("$view" --check "$work/200.dat" | tail -1 | awk '{ print $1 }')
empty_kb=$(run "$view" --check "$work/empty.dat" | awk '{ print $2 }')
big_kb=$(run "$view" --check "$work/200.dat" | awk '{ print $2 }')
items_kb=$(run "$view" --check "$work/items.dat" | awk '{ print $2 }')
echo "processor: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), $(nproc) cores; load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "peak RSS, empty file: ${empty_kb} kB"
echo "peak RSS, 200 MB file ($(stat -c %s "$work/200.dat") bytes, $records records): ${big_kb} kB"
awk -v b="$big_kb" -v e="$empty_kb" -v r="$records" 'BEGIN {
    above = (b - e) * 1024; fixed = 32 * 1048576
    printf "  above the empty file: %.1f MiB = 32 MiB + %.1f bytes per record\n", above / 1048576, (above - fixed) / r }'
echo "peak RSS, 18 MiB of bare item lines: ${items_kb} kB (above the empty file: $(( (items_kb - empty_kb) / 1024 )) MiB)"
check=$(cpu5 "$view" --check "$work/50.dat")
wc=$(cpu5 wc -l "$work/50.dat")
echo "CPU, median of 5 warm runs on the 50 MB file: --check ${check} s, wc -l ${wc} s"
awk -v c="$check" -v w="$wc" 'BEGIN { printf "  ratio: %.1f (goal: at most 10)\n", c / w }'
