#!/usr/bin/env bash
# Two builds of merivox-view side by side on the command-line calls that change or report on a
# probe file: --remove, --repair, --history, --restore, --pdf (data sheet) and --check.
#
# Every case starts from a fresh copy of one sample folder (usrprobe.dat, and for some cases a
# usrprobe.dat.bak or usrprobe.dat.history put there on purpose), copied anew for each build, so
# both builds see the same bytes; the file layer writes usrprobe.dat.history and usrprobe.dat.bak
# beside the file, so nothing of one run may reach the next. A case is one or more steps run in
# that folder, with the folder as the current directory and relative file names, so that the
# messages name the same paths for both builds. Of every step the exit code, standard output and
# standard error are kept; after the last step, the sha256 of usrprobe.dat (and whether a PDF
# asked for was written; its bytes are not compared).
#
# Before the comparison, moments (dd.MM.yyyy HH:mm:ss, as --history shows them) become <ZEIT>
# and the temporary folder's path becomes <TMP>. Where old and new then still differ, the old
# output is compared once more with every control character other than TAB, LF and CR written as
# \xNN, the way a name with control bytes is shown: when that makes them the same, the case is
# reported "DIFFERS (escaped: expected)" and counts as passed, and is listed at the end.
#
# Usage: bench/compare_commands.sh OLD_VIEW NEW_VIEW   (paths of two merivox-view programs; the
# window part module must stand beside each, as in its build tree, for --pdf; needs python3)
# Exits 0 when every case passes, 1 when any differs, 2 on a wrong call. With KEEP=DIR, the
# reports of both builds are kept in DIR/old and DIR/new, one CASE.txt each, for reading.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 OLD_VIEW NEW_VIEW" >&2; exit 2; }
for view in "$1" "$2"; do
    [ -x "$view" ] && [ -f "$view" ] || { echo "$0: $view is no program" >&2; exit 2; }
done
old=$(realpath "$1")
new=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples="$work/samples" # one folder a sample
pieces="$work/pieces"   # records on their own, for steps that append one by hand
results="$work/results" # results/old/CASE.txt, results/new/CASE.txt
run="$work/run"         # the one folder every case runs in, whichever build
mkdir -p "$samples" "$pieces" "$results/old" "$results/new" "$work/xdg"
chmod 700 "$work/xdg"

# ---------------------------------------------------------------------------------------------
# Sample files. Records are "ITEM:<name>MM <thread>" followed by their lines; lines end in CR LF
# unless said otherwise.

# rec NAME THREAD [END]: a record of three lines, its last line ended by END (default CR LF).
rec() { printf 'ITEM:%sMM %s\r\nbegintip\r\nendtip%s' "$1" "$2" "${3-$'\r\n'}"; }

# A ball stylus of 11 lines (TIP on M3) and a 50 mm extension of 5 lines; the ball's name can be
# given, so that it can carry control bytes.
ball() {
    printf 'ITEM:%sMM M3\r\n' "$1"
    printf '%s\r\n' "begintip" "ribcount 10" "Color 142 142 142" "cylinder 0 0 0 0 0 -10 4" \
        "cone 0 0 -10 4 0 0 -15 2" "cylinder 0 0 -15 0 0 -40 2" "Color 255 0 0" "sphere 0 0 -40 3" \
        "hotspot 0 0 -40 0 0 1 3 3 ball" "endtip"
}
extension() {
    printf '%s\r\n' "ITEM:V50MM M3ANALOG" "ribcount 10" "Color 142 142 142" "cylinder 0 0 0 0 0 -50 4" \
        "connect  0  0 -50 0  0  1 M2ANALOG"
}

# The name with an escape sequence in it: TIP, then ESC ] 0 ; x BEL (a terminal's "set the
# title to x"), bytes 1b 5d 30 3b 78 07.
escaped_name=$'TIP\e]0;x\a'

sample() { mkdir -p "$samples/$1" && cat >"$samples/$1/usrprobe.dat"; }

# three: A lines 1-3 (CR LF), B 4-6 (LF only), a stray line 7, C 8-10 without a line end at the
# end of the file.
{ rec A M3; printf 'ITEM:BMM M4\nbegintip\nendtip\n'; printf 'irgendwas\r\n'; rec C M5 ''; } | sample three
# kzh: K1 (M3) lines 1-3, Z1 (M4) 4-6, H1 (M5) 7-9.
{ rec K1 M3; rec Z1 M4; rec H1 M5; } | sample kzh
# ball: the ball stylus, lines 1-11, and the extension, 12-16.
{ ball TIP; extension; } | sample ball
# escape: K1 lines 1-3, the ball stylus named TIP ESC]0;x BEL lines 4-14, the extension 15-19.
{ rec K1 M3; ball "$escaped_name"; extension; } | sample escape
ball "$escaped_name" >"$pieces/escape.rec"
# stray: a line of no record (4) between two records.
{ rec A M3; printf 'irgendwas\r\n'; rec B M4; } | sample stray
# stray-first: a line of no record before the first record.
{ printf 'irgendwas\r\n'; rec A M3; } | sample stray-first
# cutoff: the rest of a cut-off record (lines 4-5) between two records.
{ rec A M3; printf 'cyl 1 2 3\r\nendtip\r\n'; rec B M4; } | sample cutoff
# together: A's endtip and B's item line in one line (3): the line end between them lost.
{ rec A M3 ''; rec B M4; } | sample together
# two: two intact records, lines 1-3 and 4-6.
{ rec A M3; rec B M4; } | sample two

# ---------------------------------------------------------------------------------------------
# The table of cases: NAME SAMPLE STEP... Each STEP is the arguments of one merivox-view call,
# split at spaces ("FILE" is usrprobe.dat), or "sh: COMMAND" run by the shell in the case folder
# ($PIECES names the folder of loose records). Every step runs, whatever the exit code of the one
# before; all of them are compared.
cases=()
add() { local IFS=$'\x1f'; cases+=("$*"); }

# --remove LINE FILE
# Success: the first line of the first record, a middle line, the middle of the last record
# (which ends without a line end), a line of the ball stylus.
add remove-first-line         three  "--remove 1 FILE"
add remove-middle-line        three  "--remove 5 FILE"
add remove-last-record        three  "--remove 9 FILE"
add remove-extension          ball   "--remove 14 FILE"
# A line of no record: refused (1) with the hint to --repair; before the first record as well;
# and a line that holds two records.
add remove-outside            three  "--remove 7 FILE"
add remove-before-first       stray-first "--remove 1 FILE"
add remove-shared-line        together "--remove 3 FILE"
add remove-record-sharing     together "--remove 1 FILE"
# A line number past the end: refused (1), the number of lines named.
add remove-past-end           three  "--remove 11 FILE"
add remove-far-past-end       three  "--remove 2147483647 FILE"
# Not a line number: 0, negative, a word, a decimal, too large (2, wrong call).
add remove-line-0             three  "--remove 0 FILE"
add remove-negative           three  "--remove -3 FILE"
add remove-word               three  "--remove abc FILE"
add remove-decimal            three  "--remove 1,5 FILE"
add remove-too-large          three  "--remove 2147483648 FILE"
# Values missing, one too many.
add remove-alone              three  "--remove"
add remove-no-file            three  "--remove 5"
add remove-two-files          three  "--remove 1 FILE b.dat"
# A file that is not there, a folder given as the file (2).
add remove-missing-file       three  "--remove 1 fehlt.dat"
add remove-folder             three  "sh: mkdir ordner" "--remove 1 ordner"
# usrprobe.dat.bak is a folder: the backup cannot be read, the removal is refused and the file
# stays as it was.
add remove-bak-folder         three  "sh: mkdir usrprobe.dat.bak" "--remove 1 FILE"
# usrprobe.dat.history is a folder: what was removed cannot be kept, the removal fails.
add remove-history-folder     three  "sh: mkdir usrprobe.dat.history" "--remove 1 FILE"
# A record whose name carries ESC ] 0 ; x BEL: removed by its item line and by a middle line; the
# name in the message is what differs between a build that prints it raw and one that escapes it.
add remove-escape-name        escape "--remove 4 FILE"
add remove-escape-name-middle escape "--remove 9 FILE"

# --repair LINE FILE
# Success: a stray line between records, the rest of a cut-off record (two lines), asked at its
# end and at its start, a stray line before the first record, a line holding two records (split).
add repair-stray              stray  "--repair 4 FILE"
add repair-cutoff-end         cutoff "--repair 5 FILE"
add repair-cutoff-start       cutoff "--repair 4 FILE"
add repair-stray-first        stray-first "--repair 1 FILE"
add repair-stray-three        three  "--repair 7 FILE"
add repair-split              together "--repair 3 FILE"
# Nothing to repair: a line of an intact record, a record before a run-together line, a line
# past the end (1).
add repair-intact             two    "--repair 5 FILE"
add repair-intact-before      together "--repair 1 FILE"
add repair-past-end           two    "--repair 9 FILE"
# Wrong calls (2): no values, no file, line 0, a word, a missing file, a folder.
add repair-alone              two    "--repair"
add repair-no-file            two    "--repair 3"
add repair-line-0             two    "--repair 0 FILE"
add repair-word               two    "--repair x FILE"
add repair-missing-file       two    "--repair 3 fehlt.dat"
add repair-folder             two    "sh: mkdir ordner" "--repair 3 ordner"

# --history FILE
# Nothing removed yet; after one removal; after two (newest first); after a repair (lines of no
# record are kept too); usrprobe.dat.history a folder (2); a missing file; no file given.
add history-none              kzh    "--history FILE"
add history-one               kzh    "--remove 4 FILE" "--history FILE"
add history-two               kzh    "--remove 4 FILE" "--remove 4 FILE" "--history FILE"
add history-repair            stray  "--repair 4 FILE" "--history FILE"
add history-escape-name       escape "--remove 4 FILE" "--history FILE"
add history-folder            kzh    "sh: mkdir usrprobe.dat.history" "--history FILE"
add history-missing-file      kzh    "--history fehlt.dat"
add history-alone             kzh    "--history"

# --restore N FILE
# At its old place: the file before it unchanged.
add restore-old-place         kzh    "--remove 4 FILE" "--restore 1 FILE"
# At its old place after a record after it was removed as well.
add restore-after-later-gone  kzh    "--remove 4 FILE" "--remove 4 FILE" "--restore 2 FILE"
# The old place gone (a record before it removed since): put at the end.
add restore-at-end            kzh    "--remove 7 FILE" "--remove 1 FILE" "--restore 2 FILE"
# A record of the same name and thread already in the file: refused (1), nothing inserted; once
# after restoring it twice, once after appending it again by hand.
add restore-twice             kzh    "--remove 4 FILE" "--restore 1 FILE" "--restore 1 FILE"
add restore-already-there     kzh    "--remove 4 FILE" "sh: printf 'ITEM:Z1MM M4\r\nbegintip\r\nendtip\r\n' >>usrprobe.dat" "--restore 1 FILE"
# Numbers: past the end of the list (1), 0 and a word (2), no history at all (1).
add restore-out-of-range      kzh    "--remove 4 FILE" "--restore 2 FILE"
add restore-0                 kzh    "--remove 4 FILE" "--restore 0 FILE"
add restore-word              kzh    "--restore eins FILE"
add restore-no-history        kzh    "--restore 1 FILE"
add restore-no-number         kzh    "--restore FILE"
add restore-history-folder    kzh    "sh: mkdir usrprobe.dat.history" "--restore 1 FILE"
# The record with the escape sequence in its name: restored at its old place; and refused while
# another record of that name and thread stands in the file (the refusal names it).
add restore-escape-name       escape "--remove 4 FILE" "--restore 1 FILE"
add restore-escape-refused    escape "--remove 4 FILE" 'sh: cat "$PIECES/escape.rec" >>usrprobe.dat' "--restore 1 FILE"

# --pdf OUT.pdf LINE FILE (data sheet; only the messages and whether a PDF was written count)
# The record with the escape-sequence name, the plain ball stylus, a line of no record (1), the
# output over the file read (2).
add pdf-escape-name           escape "--pdf sheet.pdf 6 FILE"
add pdf-ball                  ball   "--pdf sheet.pdf 1 FILE"
add pdf-outside               three  "--pdf sheet.pdf 7 FILE"
add pdf-over-input            ball   "--pdf FILE 1 FILE"

# --check FILE: clean files, one with problems (a stray line, a shared line), the escape-sequence
# name, a missing file and a folder.
add check-two                 two    "--check FILE"
add check-ball                ball   "--check FILE"
add check-three               three  "--check FILE"
add check-together            together "--check FILE"
add check-escape-name         escape "--check FILE"
add check-missing-file        two    "--check fehlt.dat"
add check-folder              two    "sh: mkdir ordner" "--check ordner"

# ---------------------------------------------------------------------------------------------
# Running.

# Without a display: what needs none must not look for one; the data sheet is made offscreen.
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/xdg" TZ=UTC LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
export PIECES="$pieces"

# show FILE: the file's bytes, and a note where its last line has no line end.
show() {
    cat "$1"
    if [ -s "$1" ] && [ "$(tail -c1 "$1" | od -An -tx1 | tr -d ' ')" != 0a ]; then
        printf '\n[no line end]\n'
    fi
}

# run_case VIEW RESULT SAMPLE STEP...: the steps in a fresh copy of SAMPLE, a report into RESULT.
run_case() {
    local view=$1 result=$2 sample=$3 step rc
    shift 3
    rm -rf "$run"
    cp -a "$samples/$sample" "$run"
    (
        cd "$run"
        for step in "$@"; do
            set +e
            if [[ $step == "sh: "* ]]; then
                echo "\$ ${step#sh: }"
                bash -c "${step#sh: }" >"$work/out" 2>"$work/err"
            else
                local -a words
                read -ra words <<<"${step//FILE/usrprobe.dat}"
                echo "\$ merivox-view ${words[*]}"
                timeout 120 "$view" "${words[@]}" >"$work/out" 2>"$work/err"
            fi
            rc=$?
            set -e
            echo "exit $rc"
            echo "--- stdout"
            show "$work/out"
            echo "--- stderr"
            show "$work/err"
        done
        echo "==="
        if [ -f usrprobe.dat ]; then
            echo "usrprobe.dat: sha256 $(sha256sum <usrprobe.dat | cut -d' ' -f1), $(stat -c %s usrprobe.dat) bytes"
        else
            echo "usrprobe.dat: not a file"
        fi
        for pdf in *.pdf; do
            [ -e "$pdf" ] || continue
            if [ "$(head -c5 "$pdf")" = "%PDF-" ]; then
                echo "$pdf: a PDF"
            else
                echo "$pdf: not a PDF"
            fi
        done
    ) >"$result"
}

names=()
for entry in "${cases[@]}"; do
    IFS=$'\x1f' read -ra fields <<<"$entry"
    name=${fields[0]}
    names+=("$name")
    run_case "$old" "$results/old/$name.txt" "${fields[@]:1}"
    run_case "$new" "$results/new/$name.txt" "${fields[@]:1}"
done
rm -rf "$run"
if [ -n "${KEEP:-}" ]; then
    mkdir -p "$KEEP"
    cp -a "$results/old" "$results/new" "$KEEP/"
fi

# ---------------------------------------------------------------------------------------------
# Comparing, case by case.
python3 - "$results" "$work" "${names[@]}" <<'EOF'
import difflib, re, sys

results, work, names = sys.argv[1], sys.argv[2], sys.argv[3:]
moment = re.compile(r"\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d")
# Control characters as a name shows them escaped: below 0x20 but TAB, LF and CR; DEL to 0x9f.
control = re.compile("[\x00-\x08\x0b\x0c\x0e-\x1f\x7f-\x9f]")

def text(side, name):
    with open(f"{results}/{side}/{name}.txt", "rb") as f:
        t = f.read().decode("utf-8", "surrogateescape")
    return moment.sub("<ZEIT>", t.replace(work, "<TMP>"))

def escaped(t):
    return control.sub(lambda m: "\\x%02x" % ord(m.group()), t)

def shown(t):
    # For the diff on the terminal: a raw control character as <1b>, unlike the text "\x1b".
    return control.sub(lambda m: "<%02x>" % ord(m.group()), t)

passed = failed = 0
expected = []
for name in names:
    old, new = text("old", name), text("new", name)
    if old == new:
        print(f"same: {name}")
        passed += 1
    elif escaped(old) == new:
        print(f"DIFFERS (escaped: expected): {name}")
        expected.append(name)
        passed += 1
    else:
        print(f"DIFFERS: {name}")
        failed += 1
        for line in difflib.unified_diff(shown(old).splitlines(), shown(new).splitlines(), "old", "new",
                                         lineterm="", n=2):
            print("    " + line)
if expected:
    print("control bytes escaped in the new output (passed): " + ", ".join(expected))
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
EOF
