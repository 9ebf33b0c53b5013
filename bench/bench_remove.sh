#!/usr/bin/env bash
# What a removal costs: merivox-view --remove of a record in the middle of a 1 MB and a 50 MB
# file (made by bench_read), wall time median of 5 runs on a fresh copy each; then a second
# removal, which finds the first one's .bak in its way; and how much the files beside it grow
# (the history by the removed bytes and its entry, never by a copy).
# Usage: bench/bench_remove.sh [build dir]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
view="$build/app/viewer/merivox-view"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for mb in 1 50; do
    "$build/bench/bench_read" --write "$work/source.dat" "$mb" >/dev/null
    lines=$(wc -l <"$work/source.dat")
    # The first line of the record that holds the middle line.
    line=$(awk -v mid=$((lines / 2)) 'NR <= mid && /^ITEM:/ { at = NR } NR == mid { print at; exit }' \
        "$work/source.dat")
    times=() seconds=()
    for run in 1 2 3 4 5; do
        rm -rf "$work/run" && mkdir "$work/run"
        cp "$work/source.dat" "$work/run/usrprobe.dat"
        sync
        start=$(date +%s.%N)
        "$view" --remove "$line" "$work/run/usrprobe.dat" >/dev/null
        end=$(date +%s.%N)
        times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
        start=$(date +%s.%N)
        "$view" --remove "$line" "$work/run/usrprobe.dat" >/dev/null
        end=$(date +%s.%N)
        seconds+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
    done
    beside=$(find "$work/run" -maxdepth 1 -name 'usrprobe.dat.*' -printf '%f=%s ' | sort)
    printf '%3d MB: removal %.3f s, a second one %.3f s (medians of 5); beside the file afterwards: %s\n' "$mb" \
        "$(printf '%s\n' "${times[@]}" | median)" "$(printf '%s\n' "${seconds[@]}" | median)" "$beside"
done
