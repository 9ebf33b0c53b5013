#!/bin/bash
# Screenshots of the editor with its preview, one per kind, one with plausibility notes and one
# with missing inputs, into docs/screenshots/preview_*.png. Runs the real program on a virtual
# X display (Xvfb), German, and operates it with xdotool like an operator: click, type, click.
# Needs: xvfb, xdotool, imagemagick, a debug build. Usage: scripts/preview-screenshots.sh [DISPLAY]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display=${1:-:97}
out="$root/docs/screenshots"
work=$(mktemp -d)
mkdir -p "$work/Messungen"

app=
xvfb=
trap 'kill $app $xvfb 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
# start WIDTHxHEIGHT: a fresh display of that size with the program on it, at its selection window.
start() {
    kill $app $xvfb 2>/dev/null || true
    sleep 1
    Xvfb "$display" -screen 0 "$1x24" >/dev/null 2>&1 &
    xvfb=$!
    sleep 2
    (cd "$work/Messungen" && exec env LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 "$root/build/debug/app/merivox" >/dev/null 2>&1) &
    app=$!
    sleep 7 # the splash closes after five seconds
}

# Places in screen pixels: the editor's client area starts at 116, 86; the selection window's at 286, 210.
declare -A at=(
    [kug]="346 290" [zyl]="474 290" [sph]="346 426" [disk]="474 426" [wuerf]="598 290" [ver]="598 426"
    [txt_id]="620 216" [cb_gew]="600 246" [cb_gew2]="600 278" [txt_L1]="620 310" [txt_l2]="620 342"
    [txt_l3]="620 374" [txt_l4]="620 408" [txt_d1]="620 438" [txt_d2]="620 470" [txt_kd]="620 502"
    [txt_l]="620 534" [txt_b]="620 566" [Check_zyl]="740 150" [Check_SS]="740 182" [Check_KFS]="740 206"
    [Check_ks]="740 230" [Option_HK]="740 254" [Option_RK]="740 278" [Option_kk]="740 302" [cmd_abr]="800 618"
)
click() { xdotool mousemove ${at[$1]} click 1; sleep 0.2; }
# shot NAME KIND "field=text ..." "boxes ..." [CROP]: opens the editor for KIND, fills it in, takes the picture,
# cancels.
shot() {
    click "$2"
    sleep 1
    for pair in $3; do
        click "${pair%%=*}"
        xdotool type --delay 30 "${pair#*=}"
    done
    for box in $4; do click "$box"; done
    sleep 0.5
    import -window root -crop "${5:-1280x640+0+60}" +repage "$out/preview_$1.png"
    click cmd_abr
    sleep 0.5
}

start 1280x1024
shot ball kug "txt_id=Prüfkugel cb_gew=M3 txt_L1=10 txt_l2=15 txt_l3=40 txt_d1=4 txt_d2=2 txt_kd=3" "Check_SS Option_RK"
shot cylinder zyl "txt_id=ZT1 cb_gew=M3ANALOG txt_L1=10 txt_l2=20 txt_l3=30 txt_l4=45 txt_d1=6 txt_d2=3 txt_kd=2" \
    "Check_KFS Option_RK"
shot halfsphere sph "txt_id=HK1 cb_gew=M3ANALOG txt_L1=10 txt_l2=20 txt_l3=30 txt_d1=6 txt_d2=3 txt_kd=8" \
    "Check_ks Option_HK"
shot disc disk "txt_id=SC1 cb_gew=M3ANALOG txt_L1=10 txt_l2=20 txt_l3=30 txt_d1=6 txt_d2=3 txt_l=12 txt_b=2" \
    "Check_SS Option_RK"
shot cube wuerf "txt_id=W10 cb_gew=M3ANALOG txt_L1=10" "Check_SS"
shot extension ver "txt_id=V50 cb_gew=M3ANALOG cb_gew2=M2ANALOG txt_d1=4 txt_l=50" "Check_SS"
shot note kug "txt_id=Prüfkugel cb_gew=M3 txt_L1=10 txt_l2=40 txt_l3=15 txt_d1=4 txt_d2=2 txt_kd=1,5" \
    "Check_SS Option_RK"
# A 0,3 mm ball on a 50 mm stylus, with its magnified detail; a ceramic ball's hot spot.
shot small_ball kug "txt_id=Mikrotaster cb_gew=M2 txt_L1=10 txt_l2=20 txt_l3=50 txt_d1=3 txt_d2=0,2 txt_kd=0,3" \
    "Check_SS Option_RK"
shot ceramic_ball kug "txt_id=Keramik8 cb_gew=M3 txt_L1=10 txt_l2=15 txt_l3=40 txt_d1=4 txt_d2=2 txt_kd=8" \
    "Check_KFS Option_kk"
shot missing kug "txt_id=Prüfkugel txt_L1=10 txt_l2=15mm" "Check_SS"
# A screen without room beside the editor: the preview covers the selection window and the editor's
# drawing, never its inputs and buttons.
start 1024x768
shot narrow_screen disk "txt_id=SC1 cb_gew=M3 txt_L1=10 txt_l2=20 txt_l3=30 txt_d1=6 txt_d2=3 txt_l=12 txt_b=2" \
    "Check_SS Option_RK" 1024x640+0+60
