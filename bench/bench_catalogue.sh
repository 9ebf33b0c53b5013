#!/bin/sh
# The catalogue's figures, one process per figure (peak memory only grows), on files written by a
# process of their own: one record's data sheet, then catalogues of 1, 500 and 5,000 records with
# the file's bytes left on disk (as merivox-view --pdf OUT FILE writes them), and of 5,000 with the
# bytes in memory (as the viewer window holds a file). Run from a build folder, e.g. build/release:
#   sh ../../bench/bench_catalogue.sh
set -e
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} # no display needed
bench=${1:-./bench/bench_catalogue}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
for records in 1 500 5000; do
    "$bench" --write "$folder/$records.dat" "$records"
done
"$bench" "$folder/1.dat" --sheet
for records in 1 500 5000; do
    "$bench" "$folder/$records.dat"
done
"$bench" "$folder/5000.dat" --in-memory
