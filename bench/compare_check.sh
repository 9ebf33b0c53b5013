#!/usr/bin/env bash
# Two builds of merivox-view --check side by side:
#  (a) their output (stdout, stderr and exit code) must be byte for byte the same on every file of
#      the fuzz corpus and findings, on the 50 MB file that bench_read makes, on that file cut off
#      at odd places (mid-line, mid-record) and damaged (junk bytes at several places, a CR taken
#      out, a NUL put in), on an empty file, a missing file and a folder;
#  (b) their processor time (user + system) on the 50 MB file, old and new taking turns, RUNS runs
#      each (default 9) after a warm-up of each: median, min and max.
# Usage: bench/compare_check.sh OLD_VIEW NEW_VIEW   (needs python3; bench_read is taken from
# NEW_VIEW's build, or from $BENCH_READ)
# Exits 1 when an output differs.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: $0 OLD_VIEW NEW_VIEW" >&2; exit 2; }
old=$(realpath "$1")
new=$(realpath "$2")
runs=${RUNS:-9}
bench_read=${BENCH_READ:-$(dirname "$new")/../../bench/bench_read}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

big="$work/50.dat"
"$bench_read" --write "$big" 50 >/dev/null
size=$(stat -c %s "$big")

files=()
for f in tests/fuzz/corpus/* tests/fuzz/findings/*; do
    files+=("$f")
done
files+=("$big")

# Cut off: at odd offsets through the file, and just after an LF and just after a CR, and in the
# middle of an item line (mid-record).
mkdir "$work/cut"
for at in 1 4097 65537 1048577 $((size / 3 + 7)) $((size / 2 + 1)) $((size - 3)); do
    head -c "$at" "$big" >"$work/cut/at-$at.dat"
    files+=("$work/cut/at-$at.dat")
done
item=$(grep -abo 'ITEM:' "$big" | sed -n 1000p | cut -d: -f1)
head -c $((item + 9)) "$big" >"$work/cut/in-item.dat"
head -c $((item - 1)) "$big" >"$work/cut/before-lf.dat"
files+=("$work/cut/in-item.dat" "$work/cut/before-lf.dat")

# Damaged: bytes overwritten with junk at several places, one CR taken out, one NUL put in, one
# LF taken out (two lines in one), and all of them in one file.
mkdir "$work/damaged"
python3 - "$big" "$work/damaged" <<'EOF'
import os, random, sys
src, out = sys.argv[1], sys.argv[2]
data = open(src, "rb").read()
rng = random.Random(28)
def save(name, b):
    open(os.path.join(out, name), "wb").write(b)
def junk(b, places):
    b = bytearray(b)
    for _ in range(places):
        at = rng.randrange(len(b) - 8)
        for i in range(rng.randrange(1, 6)):
            b[at + i] = rng.choice(b"\x00\xff\x80 \t:,.-+eE9ITEMxyz\r\n")
    return bytes(b)
def without(b, what, nth):
    at = -1
    for _ in range(nth):
        at = b.index(what, at + 1)
    return b[:at] + b[at + len(what):], at
save("junk.dat", junk(data, 12))
no_cr, _ = without(data, b"\r", 5001)
save("no-cr.dat", no_cr)
mid = len(data) // 2 + 3
save("nul.dat", data[:mid] + b"\x00" + data[mid:])
no_lf, _ = without(data, b"\r\n", 7777)
save("no-lf.dat", no_lf)
all_of = junk(no_cr, 5)
all_of = all_of[:mid] + b"\x00" + all_of[mid:]
save("all.dat", all_of)
save("lf-only.dat", data.replace(b"\r\n", b"\n"))
EOF
for f in "$work"/damaged/*.dat; do
    files+=("$f")
done

: >"$work/empty.dat"
mkdir "$work/folder"
files+=("$work/empty.dat" "$work/missing.dat" "$work/folder")

differ=0
for f in "${files[@]}"; do
    set +e
    "$old" --check "$f" >"$work/old.out" 2>"$work/old.err"
    old_rc=$?
    "$new" --check "$f" >"$work/new.out" 2>"$work/new.err"
    new_rc=$?
    set -e
    if cmp -s "$work/old.out" "$work/new.out" && cmp -s "$work/old.err" "$work/new.err" && [ "$old_rc" = "$new_rc" ]; then
        echo "same: ${f#"$work"/} (exit $old_rc, $(wc -l <"$work/old.out") lines out, $(wc -c <"$work/old.err") bytes err)"
    else
        echo "DIFFERENT: ${f#"$work"/} (exit $old_rc / $new_rc)"
        diff <(cat "$work/old.out" "$work/old.err") <(cat "$work/new.out" "$work/new.err") | head -10 || true
        differ=1
    fi
done
echo "outputs compared: ${#files[@]}, $( [ $differ = 0 ] && echo 'all the same' || echo 'SOME DIFFER')"

# user + system seconds of one run.
run() {
    python3 -c '
import os, subprocess, sys
child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
_, _, usage = os.wait4(child.pid, 0)
print("%.4f" % (usage.ru_utime + usage.ru_stime))' "$@"
}
stats() { sort -g | awk '{ a[NR] = $1 } END { printf "median %.4f s, min %.4f s, max %.4f s (%d runs)", a[int((NR + 1) / 2)], a[1], a[NR], NR }'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
run "$old" --check "$big" >/dev/null
run "$new" --check "$big" >/dev/null
: >"$work/old.times"
: >"$work/new.times"
for _ in $(seq "$runs"); do
    run "$old" --check "$big" >>"$work/old.times"
    run "$new" --check "$big" >>"$work/new.times"
done
echo "processor: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), $(nproc) cores; load before: $load_before"
echo "CPU of --check on the 50 MB file ($size bytes), taking turns:"
echo "  old: $(stats <"$work/old.times")"
echo "  new: $(stats <"$work/new.times")"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $differ
